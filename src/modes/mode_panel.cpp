// The multi-mode panel of the main window: switching multi-mode, the number
// of modes, and the start and end frame of each mode, checked against the
// mode frame limit.
#include "app/window_model.hpp"
#include "modes/mode_file.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

// The controls that multi-mode switches on and off (Save mode only off).
constexpr ControlId kPanelControls[] = {
    ControlId::kReadModeButton, ControlId::kSaveModeButton,   ControlId::kRemoveModeButton,        ControlId::kAddModeButton,     ControlId::kModeSelector,
    ControlId::kStartField,   ControlId::kEndField,     ControlId::kModeOkButton,        ControlId::kFrameLimitLabel,   ControlId::kModeCountLabel,
    ControlId::kStartLabel, ControlId::kEndLabel, ControlId::kToLabel, ControlId::kModePathLabel, ControlId::kModeTitleLabel,
};

}  // namespace

void WindowModel::multiModeClicked() {
  ControlState& box = controls_[ControlId::kMultiModeBox];
  box.checked = !box.checked;
  for (ControlId id : kPanelControls) controls_[id].enabled = box.checked && id != ControlId::kSaveModeButton;
  modes_.path = kNoModePath;
  controls_[ControlId::kModePathLabel].caption = modes_.path;
  if (!box.checked) {
    modes_.frameLimit = 0;
    applyLanguage();
  }
}

void WindowModel::addModeClicked() {
  if (modes_.count >= kMaxModes) return;
  ++modes_.count;
  controls_[ControlId::kModeCountLabel].caption = decimal(modes_.count);
  controls_[ControlId::kModeSelector].items.push_back(decimal(modes_.count));
  controls_[ControlId::kModeSelector].text = "1";
}

void WindowModel::removeModeClicked() {
  if (modes_.count <= kMinModes) return;
  --modes_.count;
  controls_[ControlId::kModeCountLabel].caption = decimal(modes_.count);
  std::vector<std::string>& items = controls_[ControlId::kModeSelector].items;
  if (static_cast<std::size_t>(modes_.count) < items.size()) items.erase(items.begin() + modes_.count);
  controls_[ControlId::kModeSelector].text = "1";
}

void WindowModel::modeSelectorChanged() {
  const std::string& text = controls_[ControlId::kModeSelector].text;
  const std::optional<int32_t> m = parseInteger(text);
  if (!m) {
    reportError(notAnIntegerText(text));
    return;
  }
  if (*m < 1 || *m > kMaxModes) return;  // the selector only holds 1 .. ModeCount
  const ModeRow& row = modes_.table[static_cast<std::size_t>(*m - 1)];
  controls_[ControlId::kStartField].text = decimal(row.start);
  controls_[ControlId::kEndField].text = decimal(row.end);
}

void WindowModel::chooseModeItem(int index) {
  const std::vector<std::string>& items = controls_[ControlId::kModeSelector].items;
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
  controls_[ControlId::kModeSelector].text = items[static_cast<std::size_t>(index)];
  modeSelectorChanged();
}

void WindowModel::modeOkClicked() {
  std::optional<int32_t> values[3];
  const ControlId fields[3] = {ControlId::kModeSelector, ControlId::kStartField, ControlId::kEndField};
  for (int k = 0; k < 3; ++k) {
    const std::string& text = controls_[fields[k]].text;
    values[k] = parseInteger(text);
    if (!values[k]) {
      reportError(notAnIntegerText(text));
      return;
    }
  }
  const int32_t m = *values[0], s = *values[1], e = *values[2];
  if (s > modes_.frameLimit || e > modes_.frameLimit || s < 1 || e < 1) {
    showMessage(Msg::kModeRange);
    return;
  }
  if (m < 1 || m > kMaxModes) return;
  modes_.table[static_cast<std::size_t>(m - 1)] = ModeRow{s, e, e > s ? 0 : kReversedModeFlag};
}

void WindowModel::readModeClicked() {
  const std::optional<std::string> path = port_.openDialog(DialogKind::kOpenMode);
  if (path) readModeFile(*this, *path);
}

void WindowModel::saveModeClicked() { saveModeFile(*this); }

}  // namespace led2vqn
