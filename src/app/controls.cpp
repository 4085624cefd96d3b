#include "app/controls.hpp"

#include "app/messages.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

using C = ControlId;

}  // namespace

Controls::Controls() {
  for (const ControlDefinition& d : kControlDefinitions) {
    ControlState& s = (*this)[d.id];
    s.name = d.name;
    s.kind = d.kind;
    s.parent = d.parent;
    s.rect = d.rect;
    s.caption = d.english;
    s.enabled = d.enabled;
  }
  for (int r = 1; r <= kTwoPortsBoxCount; ++r) {
    ControlState& s = (*this)[twoPortsBoxId(r)];
    s.name = "CheckBox" + decimal(r);
    s.kind = ControlKind::kCheckBox;
    s.rect = {1057, 88 + (r - 1) * 29, 118, 22};
    s.caption = "2 ports";
    s.enabled = false;
    s.visible = r <= kVisibleTwoPortsBoxes;
  }
  (*this)[C::kEnglishRadio].checked = true;
  (*this)[C::kOtherColourRadio].checked = true;
  (*this)[C::kSpeedField].text = "25";
  (*this)[C::kBrightnessField].text = "100";
  (*this)[C::kModeSelector].text = "1";
  (*this)[C::kModeSelector].items = {"1"};
  (*this)[C::kStartField].text = "1";
  (*this)[C::kEndField].text = "1";
}

std::optional<ControlId> Controls::find(std::string_view name) const {
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (states_[i].name == name) return static_cast<ControlId>(i);
  }
  return std::nullopt;
}

bool Controls::clickable(ControlId id) const {
  const ControlState& s = (*this)[id];
  if (!s.enabled || !s.visible) return false;
  if (s.parent == ControlId::kMainWindow) return true;
  const ControlState& group = (*this)[s.parent];
  return group.enabled && group.visible;
}

void applyCaptions(Controls& controls, int32_t languageFlag) {
  const bool english = languageFlag == kEnglish;
  for (const ControlDefinition& d : kControlDefinitions) {
    if (d.chinese) controls[d.id].caption = english ? d.english : d.chinese;
  }
  for (int r = 1; r <= kTwoPortsBoxCount; ++r) controls[twoPortsBoxId(r)].caption = english ? "2 ports" : "2路主控";
}

const GridTexts& gridTexts(int32_t languageFlag) {
  static const GridTexts english{{" Files ", " File path", " Frames", " Ports"}, " File "};
  static const GridTexts chinese{{" 文 件 ", " 文件路径 ", " 帧 数 ", " 端口数 "}, " 文件 "};
  return languageFlag == kEnglish ? english : chinese;
}

std::string frameLimitCaption(int32_t frameLimit, int32_t languageFlag) {
  if (languageFlag == kEnglish) return "Total " + decimal(frameLimit) + " frames";
  return "共  " + decimal(frameLimit) + "  帧";
}

}  // namespace led2vqn
