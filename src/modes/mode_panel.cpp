// The multi-mode panel of the main window: switching multi-mode, the number
// of modes, and the start and end frame of each mode, checked against the
// mode frame limit.
#include "app/window_model.hpp"
#include "modes/mode_file.hpp"
#include "output/decimal_text.hpp"

namespace led2vqn {
namespace {

// The controls that multi-mode switches on and off (Save mode only off).
constexpr ControlId kPanelControls[] = {
    ControlId::kbread, ControlId::kbsave,   ControlId::kB11,        ControlId::kBB11,     ControlId::kCB11,
    ControlId::kE11,   ControlId::kE22,     ControlId::kBOK,        ControlId::kAlabel,   ControlId::kLN2,
    ControlId::kStartlabel, ControlId::kendlabel, ControlId::kLabel8, ControlId::kPathr, ControlId::kmodel,
};

}  // namespace

void WindowModel::ChkB2Click() {
  ControlState& box = controls_[ControlId::kChkB2];
  box.checked = !box.checked;
  for (ControlId id : kPanelControls) controls_[id].enabled = box.checked && id != ControlId::kbsave;
  modes_.path = kNoModePath;
  controls_[ControlId::kPathr].caption = modes_.path;
  if (!box.checked) {
    modes_.frameLimit = 0;
    ChangeYY();
  }
}

void WindowModel::BB1Click() {
  if (modes_.count >= kMaxModes) return;
  ++modes_.count;
  controls_[ControlId::kLN2].caption = decimal(modes_.count);
  controls_[ControlId::kCB11].items.push_back(decimal(modes_.count));
  controls_[ControlId::kCB11].text = "1";
}

void WindowModel::B1Click() {
  if (modes_.count <= kMinModes) return;
  --modes_.count;
  controls_[ControlId::kLN2].caption = decimal(modes_.count);
  std::vector<std::string>& items = controls_[ControlId::kCB11].items;
  if (static_cast<std::size_t>(modes_.count) < items.size()) items.erase(items.begin() + modes_.count);
  controls_[ControlId::kCB11].text = "1";
}

void WindowModel::CB1Change() {
  const std::string& text = controls_[ControlId::kCB11].text;
  const std::optional<int32_t> m = parseInteger(text);
  if (!m) {
    reportError(notAnIntegerText(text));
    return;
  }
  if (*m < 1 || *m > kMaxModes) return;  // the selector only holds 1 .. ModeCount
  const ModeRow& row = modes_.table[static_cast<std::size_t>(*m - 1)];
  controls_[ControlId::kE11].text = decimal(row.start);
  controls_[ControlId::kE22].text = decimal(row.end);
}

void WindowModel::chooseModeItem(int index) {
  const std::vector<std::string>& items = controls_[ControlId::kCB11].items;
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
  controls_[ControlId::kCB11].text = items[static_cast<std::size_t>(index)];
  CB1Change();
}

void WindowModel::BitBtn4Click() {
  std::optional<int32_t> values[3];
  const ControlId fields[3] = {ControlId::kCB11, ControlId::kE11, ControlId::kE22};
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

void WindowModel::breadClick() {
  const std::optional<std::string> path = port_.openDialog(DialogKind::kOpenMode);
  if (path) Readmod(*this, *path);
}

void WindowModel::bsaveClick() { SaveMode(*this); }

}  // namespace led2vqn
