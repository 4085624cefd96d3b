// The multi-mode panel's handlers: they call the window model's ModePanel and
// show its state in the panel's controls.
#include "app/window_model.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

// The controls that multi-mode switches on and off (Save mode only off).
constexpr ControlId kPanelControls[] = {
    ControlId::kReadModeButton, ControlId::kSaveModeButton, ControlId::kRemoveModeButton,
    ControlId::kAddModeButton,  ControlId::kModeSelector,   ControlId::kStartField,
    ControlId::kEndField,       ControlId::kModeOkButton,   ControlId::kFrameLimitLabel,
    ControlId::kModeCountLabel, ControlId::kStartLabel,     ControlId::kEndLabel,
    ControlId::kToLabel,        ControlId::kModePathLabel,  ControlId::kModeTitleLabel,
};

}  // namespace

void WindowModel::multiModeClicked() {
  ControlState& box = controls_[ControlId::kMultiModeBox];
  box.checked = !box.checked;
  for (ControlId id : kPanelControls) controls_[id].enabled = box.checked && id != ControlId::kSaveModeButton;
  modePanel_.forgetModeFile();
  controls_[ControlId::kModePathLabel].caption = modePanel_.state().path;
  if (!box.checked) {
    modePanel_.setFrameLimit(0);
    applyLanguage();
  }
}

void WindowModel::addModeClicked() {
  if (!modePanel_.addMode()) return;
  const std::string count = decimal(modePanel_.state().count);
  controls_[ControlId::kModeCountLabel].caption = count;
  controls_[ControlId::kModeSelector].items.push_back(count);
  controls_[ControlId::kModeSelector].text = "1";
}

void WindowModel::removeModeClicked() {
  if (!modePanel_.removeMode()) return;
  const int32_t count = modePanel_.state().count;
  controls_[ControlId::kModeCountLabel].caption = decimal(count);
  std::vector<std::string>& items = controls_[ControlId::kModeSelector].items;
  if (static_cast<std::size_t>(count) < items.size()) items.erase(items.begin() + count);
  controls_[ControlId::kModeSelector].text = "1";
}

void WindowModel::modeSelectorChanged() {
  const std::string& text = controls_[ControlId::kModeSelector].text;
  const std::optional<int32_t> m = parseInteger(text);
  if (!m) {
    reportError(notAnIntegerText(text));
    return;
  }
  const std::optional<ModeRow> row = modePanel_.range(*m);  // the selector only holds 1 .. ModeCount
  if (!row) return;
  controls_[ControlId::kStartField].text = decimal(row->start);
  controls_[ControlId::kEndField].text = decimal(row->end);
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
  if (auto notice = modePanel_.storeRange(*values[0], *values[1], *values[2])) showMessage(modeNoticeMessage(*notice));
}

void WindowModel::readModeClicked() {
  const std::optional<std::string> path = port_.openDialog(DialogKind::kOpenMode);
  if (path) readModeFile(*path);
}

void WindowModel::readModeFile(const std::string& path) {
  ModeFileHeader h;
  if (!showModeOutcome(modePanel_.readModeFile(engine_, path, h))) return;
  const ModeState& modes = modePanel_.state();
  if (h.framePeriod && *h.framePeriod > 0) controls_[ControlId::kSpeedField].text = speedTextOfPeriod(*h.framePeriod);
  if (h.brightness) controls_[ControlId::kBrightnessField].text = decimal(*h.brightness);

  // The selector lists 1 .. ModeCount and shows "1" once it has changed.
  ControlState& selector = controls_[ControlId::kModeSelector];
  while (selector.items.size() > 1) {
    selector.items.pop_back();
    selector.text = "1";
  }
  for (int32_t m = 2; m <= modes.count; ++m) {
    selector.items.push_back(decimal(m));
    selector.text = "1";
  }
  controls_[ControlId::kModeCountLabel].caption = decimal(modes.count);
  controls_[ControlId::kStartField].text = decimal(modes.table[0].start);
  controls_[ControlId::kEndField].text = decimal(modes.table[0].end);
  controls_[ControlId::kModePathLabel].caption = path;
  controls_[ControlId::kSaveModeButton].enabled = true;
  applyLanguage();
}

void WindowModel::saveModeClicked() { showModeOutcome(modePanel_.saveModeFile(engine_)); }

bool WindowModel::showModeOutcome(const ModeFileOutcome& outcome) {
  if (outcome.notice) showMessage(modeNoticeMessage(*outcome.notice));
  if (outcome.error) reportError(*outcome.error);
  return outcome.ok();
}

}  // namespace led2vqn
