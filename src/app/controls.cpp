#include "app/controls.hpp"

#include "app/messages.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

struct Definition {
  ControlId id;
  const char* name;
  ControlKind kind;
  ControlId parent;
  Rect rect;
  const char* caption;  // English, or the fixed text
  bool enabled;
};

using K = ControlKind;
using C = ControlId;

// The window definition. The mode panel's children and the radio buttons sit
// inside their group boxes; the check boxes are placed at window creation.
const Definition kDefinitions[] = {
    {C::kMainWindow, "Form1", K::kWindow, C::kMainWindow, {712, 302, kWindowWidth, kWindowHeight}, "LED TO VQN V3.70(test)-202005", true},
    {C::kAddButton, "ADDBT", K::kButton, C::kMainWindow, {16, 6, 90, 30}, "ADD File", true},
    {C::kDeleteButton, "DELBT", K::kButton, C::kMainWindow, {117, 6, 90, 30}, "DEL File", false},
    {C::kOutputZ58Button, "OUTPUTZ58", K::kButton, C::kMainWindow, {216, 6, 125, 30}, "Output Z58RGB(10k)", false},
    {C::kOutputZ71RgbButton, "OUTPUTBT", K::kButton, C::kMainWindow, {351, 6, 125, 30}, "Output Z71RGB(10K)", false},
    {C::kOutputZ71RgbwButton, "OUTRGBW", K::kButton, C::kMainWindow, {487, 6, 137, 30}, "Output Z71RGBW(10k)", false},
    {C::kOutputJ9Button, "OUTPUTBT4", K::kButton, C::kMainWindow, {633, 6, 125, 30}, "Output Z2.8 (10K)", false},
    {C::kOutputZ36Button, "OUTZ36", K::kButton, C::kMainWindow, {767, 6, 125, 30}, "Output Z36(10k)", false},
    {C::kExitButton, "EXBT", K::kButton, C::kMainWindow, {1073, 43, 81, 30}, " Exit ", true},
    {C::kProgressBar, "PBar1", K::kProgressBar, C::kMainWindow, {10, 42, 1047, 14}, "", true},
    {C::kFileGrid, "SGD1", K::kGrid, C::kMainWindow, {10, 58, 1046, 394}, "", true},
    {C::kLanguageGroup, "GroupBox1", K::kGroupBox, C::kMainWindow, {17, 456, 266, 56}, "Language", true},
    {C::kEnglishRadio, "RBT1", K::kRadioButton, C::kLanguageGroup, {14, 24, 110, 24}, "English", true},
    {C::kChineseRadio, "RBT2", K::kRadioButton, C::kLanguageGroup, {140, 24, 115, 24}, "简体中文", true},
    {C::kColourTypeGroup, "GB2", K::kGroupBox, C::kMainWindow, {319, 456, 306, 56}, "Color type", false},
    {C::kRgbRadio, "RB3", K::kRadioButton, C::kColourTypeGroup, {14, 24, 130, 24}, "RGB  ", false},
    {C::kOtherColourRadio, "RB4", K::kRadioButton, C::kColourTypeGroup, {160, 24, 140, 24}, "Other color ", false},
    {C::kSpeedLabel, "SPEEDL", K::kLabel, C::kMainWindow, {665, 474, 62, 22}, "Speed:", true},
    {C::kSpeedField, "SPEEDN", K::kEdit, C::kMainWindow, {730, 472, 68, 28}, "", true},
    {C::kFpsLabel, "Fs", K::kLabel, C::kMainWindow, {804, 473, 60, 22}, "fps", true},
    {C::kBrightnessLabel, "BRIGHTL", K::kLabel, C::kMainWindow, {906, 474, 62, 22}, "Bright:", true},
    {C::kBrightnessField, "BRIGHTN", K::kEdit, C::kMainWindow, {970, 472, 61, 28}, "", true},
    {C::kPercentLabel, "Label7", K::kLabel, C::kMainWindow, {1035, 472, 20, 22}, "%", true},
    {C::kOutputZ94Button, "OUTPUTZ94", K::kButton, C::kMainWindow, {1064, 456, 105, 30}, "Output Z94 RGB", false},
    {C::kOutputZ6Button, "OUTPUTZ6", K::kButton, C::kMainWindow, {1064, 488, 105, 30}, "Output Z6.3", false},
    {C::kModeGroup, "GBMOD", K::kGroupBox, C::kMainWindow, {19, 520, 1030, 153}, "Multimode setting", true},
    {C::kMultiModeBox, "ChkB2", K::kCheckBox, C::kModeGroup, {16, 38, 112, 28}, "Setting", true},
    {C::kReadModeButton, "bread", K::kButton, C::kModeGroup, {136, 36, 120, 32}, "Read mode", false},
    {C::kSaveModeButton, "bsave", K::kButton, C::kModeGroup, {266, 36, 120, 32}, "Save mode", false},
    {C::kModePathLabel, "Pathr", K::kLabel, C::kModeGroup, {400, 40, 614, 24}, "Path:", false},
    {C::kFrameLimitLabel, "Alabel", K::kLabel, C::kModeGroup, {16, 98, 190, 24}, "Total 0 frames", false},
    {C::kModeTitleLabel, "model", K::kLabel, C::kModeGroup, {214, 98, 60, 24}, "Mode", false},
    {C::kModeCountLabel, "LN2", K::kLabel, C::kModeGroup, {278, 98, 38, 24}, "1", false},
    {C::kModeSelector, "CB11", K::kComboBox, C::kModeGroup, {320, 94, 72, 30}, "", false},
    {C::kRemoveModeButton, "B11", K::kButton, C::kModeGroup, {400, 94, 36, 30}, "－", false},
    {C::kAddModeButton, "BB11", K::kButton, C::kModeGroup, {442, 94, 36, 30}, "＋", false},
    {C::kStartLabel, "Startlabel", K::kLabel, C::kModeGroup, {494, 98, 72, 24}, "Start", false},
    {C::kStartField, "E11", K::kEdit, C::kModeGroup, {570, 94, 90, 30}, "", false},
    {C::kToLabel, "Label8", K::kLabel, C::kModeGroup, {668, 98, 30, 24}, "To", false},
    {C::kEndLabel, "endlabel", K::kLabel, C::kModeGroup, {704, 98, 72, 24}, "End", false},
    {C::kEndField, "E22", K::kEdit, C::kModeGroup, {780, 94, 90, 30}, "", false},
    {C::kModeOkButton, "BOK", K::kButton, C::kModeGroup, {886, 92, 100, 34}, "OK", false},
};

struct Caption {
  ControlId id;
  const char* english;
  const char* chinese;
};

// The captions the language switch writes, in the order it writes them.
const Caption kCaptions[] = {
    {C::kMainWindow, "LED TO VQN V3.70(test)-202005", "LED 动感灯箱专用软件 V3.70(测试版)-202005"},
    {C::kAddButton, "ADD File", "添加文件"},
    {C::kDeleteButton, "DEL File", "移除文件"},
    {C::kOutputZ71RgbButton, "Output Z71RGB(10K)", "输出Z71 RGB(10K)"},
    {C::kOutputJ9Button, "Output Z2.8 (10K)", "输出Z2.8 (10k)"},
    {C::kOutputZ58Button, "Output Z58RGB(10k)", "输出Z58 RGB(10k)"},
    {C::kOutputZ94Button, "Output Z94 RGB", "定制 Z94 RGB"},
    {C::kOutputZ6Button, "Output Z6.3", "定制 Z6.3 "},
    {C::kOutputZ71RgbwButton, "Output Z71RGBW(10k)", "输出Z71 RGBW(10k)"},
    {C::kOutputZ36Button, "Output Z36(10k)", "输出 Z36(10k)"},
    {C::kExitButton, " Exit ", "退出"},
    {C::kColourTypeGroup, "Color type", "颜色类型"},
    {C::kRgbRadio, "RGB  ", "RGB全彩"},
    {C::kOtherColourRadio, "Other color ", "其它颜色"},
    {C::kSpeedLabel, "Speed:", "速度:"},
    {C::kFpsLabel, "fps", "帧/秒"},
    {C::kBrightnessLabel, "Bright:", "亮度:"},
    {C::kModeGroup, "Multimode setting", "多种模式设置"},
    {C::kMultiModeBox, "Setting", "设置"},
    {C::kReadModeButton, "Read mode", "读取参数"},
    {C::kSaveModeButton, "Save mode", "保存参数"},
    {C::kStartLabel, "Start", "起始帧"},
    {C::kEndLabel, "End", "终止帧"},
    {C::kModeTitleLabel, "Mode", "模式"},
};

}  // namespace

Controls::Controls() {
  for (const Definition& d : kDefinitions) {
    ControlState& s = (*this)[d.id];
    s.name = d.name;
    s.kind = d.kind;
    s.parent = d.parent;
    s.rect = d.rect;
    s.caption = d.caption;
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
  for (const Caption& c : kCaptions) controls[c.id].caption = english ? c.english : c.chinese;
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
