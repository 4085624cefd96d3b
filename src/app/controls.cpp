#include "app/controls.hpp"

#include "app/messages.hpp"
#include "output/decimal_text.hpp"

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
    {C::kForm1, "Form1", K::kWindow, C::kForm1, {712, 302, kWindowWidth, kWindowHeight}, "LED TO VQN V3.70(test)-202005", true},
    {C::kADDBT, "ADDBT", K::kButton, C::kForm1, {16, 6, 90, 30}, "ADD File", true},
    {C::kDELBT, "DELBT", K::kButton, C::kForm1, {117, 6, 90, 30}, "DEL File", false},
    {C::kOUTPUTZ58, "OUTPUTZ58", K::kButton, C::kForm1, {216, 6, 125, 30}, "Output Z58RGB(10k)", false},
    {C::kOUTPUTBT, "OUTPUTBT", K::kButton, C::kForm1, {351, 6, 125, 30}, "Output Z71RGB(10K)", false},
    {C::kOUTRGBW, "OUTRGBW", K::kButton, C::kForm1, {487, 6, 137, 30}, "Output Z71RGBW(10k)", false},
    {C::kOUTPUTBT4, "OUTPUTBT4", K::kButton, C::kForm1, {633, 6, 125, 30}, "Output Z2.8 (10K)", false},
    {C::kOUTZ36, "OUTZ36", K::kButton, C::kForm1, {767, 6, 125, 30}, "Output Z36(10k)", false},
    {C::kEXBT, "EXBT", K::kButton, C::kForm1, {1073, 43, 81, 30}, " Exit ", true},
    {C::kPBar1, "PBar1", K::kProgressBar, C::kForm1, {10, 42, 1047, 14}, "", true},
    {C::kSGD1, "SGD1", K::kGrid, C::kForm1, {10, 58, 1046, 394}, "", true},
    {C::kGroupBox1, "GroupBox1", K::kGroupBox, C::kForm1, {17, 456, 266, 56}, "Language", true},
    {C::kRBT1, "RBT1", K::kRadioButton, C::kGroupBox1, {14, 24, 110, 24}, "English", true},
    {C::kRBT2, "RBT2", K::kRadioButton, C::kGroupBox1, {140, 24, 115, 24}, "简体中文", true},
    {C::kGB2, "GB2", K::kGroupBox, C::kForm1, {319, 456, 306, 56}, "Color type", false},
    {C::kRB3, "RB3", K::kRadioButton, C::kGB2, {14, 24, 130, 24}, "RGB  ", false},
    {C::kRB4, "RB4", K::kRadioButton, C::kGB2, {160, 24, 140, 24}, "Other color ", false},
    {C::kSPEEDL, "SPEEDL", K::kLabel, C::kForm1, {665, 474, 62, 22}, "Speed:", true},
    {C::kSPEEDN, "SPEEDN", K::kEdit, C::kForm1, {730, 472, 68, 28}, "", true},
    {C::kFs, "Fs", K::kLabel, C::kForm1, {804, 473, 60, 22}, "fps", true},
    {C::kBRIGHTL, "BRIGHTL", K::kLabel, C::kForm1, {906, 474, 62, 22}, "Bright:", true},
    {C::kBRIGHTN, "BRIGHTN", K::kEdit, C::kForm1, {970, 472, 61, 28}, "", true},
    {C::kLabel7, "Label7", K::kLabel, C::kForm1, {1035, 472, 20, 22}, "%", true},
    {C::kOUTPUTZ94, "OUTPUTZ94", K::kButton, C::kForm1, {1064, 456, 105, 30}, "Output Z94 RGB", false},
    {C::kOUTPUTZ6, "OUTPUTZ6", K::kButton, C::kForm1, {1064, 488, 105, 30}, "Output Z6.3", false},
    {C::kGBMOD, "GBMOD", K::kGroupBox, C::kForm1, {19, 520, 1030, 153}, "Multimode setting", true},
    {C::kChkB2, "ChkB2", K::kCheckBox, C::kGBMOD, {16, 38, 112, 28}, "Setting", true},
    {C::kbread, "bread", K::kButton, C::kGBMOD, {136, 36, 120, 32}, "Read mode", false},
    {C::kbsave, "bsave", K::kButton, C::kGBMOD, {266, 36, 120, 32}, "Save mode", false},
    {C::kPathr, "Pathr", K::kLabel, C::kGBMOD, {400, 40, 614, 24}, "Path:", false},
    {C::kAlabel, "Alabel", K::kLabel, C::kGBMOD, {16, 98, 190, 24}, "Total 0 frames", false},
    {C::kmodel, "model", K::kLabel, C::kGBMOD, {214, 98, 60, 24}, "Mode", false},
    {C::kLN2, "LN2", K::kLabel, C::kGBMOD, {278, 98, 38, 24}, "1", false},
    {C::kCB11, "CB11", K::kComboBox, C::kGBMOD, {320, 94, 72, 30}, "", false},
    {C::kB11, "B11", K::kButton, C::kGBMOD, {400, 94, 36, 30}, "－", false},
    {C::kBB11, "BB11", K::kButton, C::kGBMOD, {442, 94, 36, 30}, "＋", false},
    {C::kStartlabel, "Startlabel", K::kLabel, C::kGBMOD, {494, 98, 72, 24}, "Start", false},
    {C::kE11, "E11", K::kEdit, C::kGBMOD, {570, 94, 90, 30}, "", false},
    {C::kLabel8, "Label8", K::kLabel, C::kGBMOD, {668, 98, 30, 24}, "To", false},
    {C::kendlabel, "endlabel", K::kLabel, C::kGBMOD, {704, 98, 72, 24}, "End", false},
    {C::kE22, "E22", K::kEdit, C::kGBMOD, {780, 94, 90, 30}, "", false},
    {C::kBOK, "BOK", K::kButton, C::kGBMOD, {886, 92, 100, 34}, "OK", false},
};

struct Caption {
  ControlId id;
  const char* english;
  const char* chinese;
};

// The captions the language switch writes, in the order it writes them.
const Caption kCaptions[] = {
    {C::kForm1, "LED TO VQN V3.70(test)-202005", "LED 动感灯箱专用软件 V3.70(测试版)-202005"},
    {C::kADDBT, "ADD File", "添加文件"},
    {C::kDELBT, "DEL File", "移除文件"},
    {C::kOUTPUTBT, "Output Z71RGB(10K)", "输出Z71 RGB(10K)"},
    {C::kOUTPUTBT4, "Output Z2.8 (10K)", "输出Z2.8 (10k)"},
    {C::kOUTPUTZ58, "Output Z58RGB(10k)", "输出Z58 RGB(10k)"},
    {C::kOUTPUTZ94, "Output Z94 RGB", "定制 Z94 RGB"},
    {C::kOUTPUTZ6, "Output Z6.3", "定制 Z6.3 "},
    {C::kOUTRGBW, "Output Z71RGBW(10k)", "输出Z71 RGBW(10k)"},
    {C::kOUTZ36, "Output Z36(10k)", "输出 Z36(10k)"},
    {C::kEXBT, " Exit ", "退出"},
    {C::kGB2, "Color type", "颜色类型"},
    {C::kRB3, "RGB  ", "RGB全彩"},
    {C::kRB4, "Other color ", "其它颜色"},
    {C::kSPEEDL, "Speed:", "速度:"},
    {C::kFs, "fps", "帧/秒"},
    {C::kBRIGHTL, "Bright:", "亮度:"},
    {C::kGBMOD, "Multimode setting", "多种模式设置"},
    {C::kChkB2, "Setting", "设置"},
    {C::kbread, "Read mode", "读取参数"},
    {C::kbsave, "Save mode", "保存参数"},
    {C::kStartlabel, "Start", "起始帧"},
    {C::kendlabel, "End", "终止帧"},
    {C::kmodel, "Mode", "模式"},
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
  for (int r = 1; r <= kCheckBoxCount; ++r) {
    ControlState& s = (*this)[checkBoxId(r)];
    s.name = "CheckBox" + decimal(r);
    s.kind = ControlKind::kCheckBox;
    s.rect = {1057, 88 + (r - 1) * 29, 118, 22};
    s.caption = "2 ports";
    s.enabled = false;
    s.visible = r <= kVisibleCheckBoxes;
  }
  (*this)[C::kRBT1].checked = true;
  (*this)[C::kRB4].checked = true;
  (*this)[C::kSPEEDN].text = "25";
  (*this)[C::kBRIGHTN].text = "100";
  (*this)[C::kCB11].text = "1";
  (*this)[C::kCB11].items = {"1"};
  (*this)[C::kE11].text = "1";
  (*this)[C::kE22].text = "1";
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
  if (s.parent == ControlId::kForm1) return true;
  const ControlState& group = (*this)[s.parent];
  return group.enabled && group.visible;
}

void applyCaptions(Controls& controls, int32_t languageFlag) {
  const bool english = languageFlag == kEnglish;
  for (const Caption& c : kCaptions) controls[c.id].caption = english ? c.english : c.chinese;
  for (int r = 1; r <= kCheckBoxCount; ++r) controls[checkBoxId(r)].caption = english ? "2 ports" : "2路主控";
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
