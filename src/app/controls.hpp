// The controls of the main window as plain data: for every control its name,
// kind, place, caption, text, items and its enabled, visible and checked
// states. The window model changes these; a view only draws them.
//
// Places are in pixels (left, top, width, height), relative to the window's
// client area or, for a control with a parent, to that group box.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace led2vqn {

enum class ControlId : int {
  kMainWindow,  // the window itself: its caption is the window title
  kAddButton,
  kDeleteButton,
  kOutputZ58Button,
  kOutputZ71RgbButton,
  kOutputZ71RgbwButton,
  kOutputJ9Button,
  kOutputZ36Button,
  kExitButton,
  kProgressBar,
  kFileGrid,
  kTwoPortsBox1,  // kTwoPortsBox1 .. kTwoPortsBox20 are consecutive
  kTwoPortsBox20 = kTwoPortsBox1 + 19,
  kLanguageGroup,
  kEnglishRadio,
  kChineseRadio,
  kColourTypeGroup,
  kRgbRadio,
  kOtherColourRadio,
  kSpeedLabel,
  kSpeedField,
  kFpsLabel,
  kBrightnessLabel,
  kBrightnessField,
  kPercentLabel,
  kOutputZ94Button,
  kOutputZ6Button,
  kModeGroup,
  kMultiModeBox,
  kReadModeButton,
  kSaveModeButton,
  kModePathLabel,
  kFrameLimitLabel,
  kModeTitleLabel,
  kModeCountLabel,
  kModeSelector,
  kRemoveModeButton,
  kAddModeButton,
  kStartLabel,
  kStartField,
  kToLabel,
  kEndLabel,
  kEndField,
  kModeOkButton,
  kCount
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::kCount);
inline constexpr int kTwoPortsBoxCount = 20;
inline constexpr int kVisibleTwoPortsBoxes = 12;  // boxes 13 .. 20 stay hidden

// CheckBox r, r = 1 .. 20.
constexpr ControlId twoPortsBoxId(int r) {
  return static_cast<ControlId>(static_cast<int>(ControlId::kTwoPortsBox1) + r - 1);
}

enum class ControlKind { kWindow, kButton, kLabel, kCheckBox, kRadioButton, kEdit, kComboBox, kGroupBox, kGrid, kProgressBar };

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlState {
  std::string name;                  // the original name: "ADDBT", "CheckBox7", ...
  ControlKind kind = ControlKind::kLabel;
  ControlId parent = ControlId::kMainWindow;  // kMainWindow: placed in the window's client area
  Rect rect;
  std::string caption;
  std::string text;                  // edits and the combo box
  std::vector<std::string> items;    // the combo box
  bool enabled = true;
  bool visible = true;
  bool checked = false;
};

// Outer size of the window set at creation.
inline constexpr int kWindowWidth = 1182;
inline constexpr int kWindowHeight = 725;

// The one table from each control's original name in the window definition
// to its id here, with its kind, parent, design place, English caption (or
// fixed text), Chinese caption (nullptr where the language switch leaves the
// caption as it is) and whether it starts enabled. The twenty "2 ports" boxes
// ("CheckBox1" .. "CheckBox20", captions "2 ports" / "2路主控") are placed at
// window creation. The mode panel's children and the radio buttons sit inside
// their group boxes.
struct ControlDefinition {
  ControlId id;
  const char* name;
  ControlKind kind;
  ControlId parent;
  Rect rect;
  const char* english;
  const char* chinese;
  bool enabled;
};

inline constexpr ControlDefinition kControlDefinitions[] = {
    {ControlId::kMainWindow, "Form1", ControlKind::kWindow, ControlId::kMainWindow, {712, 302, kWindowWidth, kWindowHeight}, "LED TO VQN V3.70(test)-202005", "LED 动感灯箱专用软件 V3.70(测试版)-202005", true},
    {ControlId::kAddButton, "ADDBT", ControlKind::kButton, ControlId::kMainWindow, {16, 6, 90, 30}, "ADD File", "添加文件", true},
    {ControlId::kDeleteButton, "DELBT", ControlKind::kButton, ControlId::kMainWindow, {117, 6, 90, 30}, "DEL File", "移除文件", false},
    {ControlId::kOutputZ58Button, "OUTPUTZ58", ControlKind::kButton, ControlId::kMainWindow, {216, 6, 125, 30}, "Output Z58RGB(10k)", "输出Z58 RGB(10k)", false},
    {ControlId::kOutputZ71RgbButton, "OUTPUTBT", ControlKind::kButton, ControlId::kMainWindow, {351, 6, 125, 30}, "Output Z71RGB(10K)", "输出Z71 RGB(10K)", false},
    {ControlId::kOutputZ71RgbwButton, "OUTRGBW", ControlKind::kButton, ControlId::kMainWindow, {487, 6, 137, 30}, "Output Z71RGBW(10k)", "输出Z71 RGBW(10k)", false},
    {ControlId::kOutputJ9Button, "OUTPUTBT4", ControlKind::kButton, ControlId::kMainWindow, {633, 6, 125, 30}, "Output Z2.8 (10K)", "输出Z2.8 (10k)", false},
    {ControlId::kOutputZ36Button, "OUTZ36", ControlKind::kButton, ControlId::kMainWindow, {767, 6, 125, 30}, "Output Z36(10k)", "输出 Z36(10k)", false},
    {ControlId::kExitButton, "EXBT", ControlKind::kButton, ControlId::kMainWindow, {1073, 43, 81, 30}, " Exit ", "退出", true},
    {ControlId::kProgressBar, "PBar1", ControlKind::kProgressBar, ControlId::kMainWindow, {10, 42, 1047, 14}, "", nullptr, true},
    {ControlId::kFileGrid, "SGD1", ControlKind::kGrid, ControlId::kMainWindow, {10, 58, 1046, 394}, "", nullptr, true},
    {ControlId::kLanguageGroup, "GroupBox1", ControlKind::kGroupBox, ControlId::kMainWindow, {17, 456, 266, 56}, "Language", nullptr, true},
    {ControlId::kEnglishRadio, "RBT1", ControlKind::kRadioButton, ControlId::kLanguageGroup, {14, 24, 110, 24}, "English", nullptr, true},
    {ControlId::kChineseRadio, "RBT2", ControlKind::kRadioButton, ControlId::kLanguageGroup, {140, 24, 115, 24}, "简体中文", nullptr, true},
    {ControlId::kColourTypeGroup, "GB2", ControlKind::kGroupBox, ControlId::kMainWindow, {319, 456, 306, 56}, "Color type", "颜色类型", false},
    {ControlId::kRgbRadio, "RB3", ControlKind::kRadioButton, ControlId::kColourTypeGroup, {14, 24, 130, 24}, "RGB  ", "RGB全彩", false},
    {ControlId::kOtherColourRadio, "RB4", ControlKind::kRadioButton, ControlId::kColourTypeGroup, {160, 24, 140, 24}, "Other color ", "其它颜色", false},
    {ControlId::kSpeedLabel, "SPEEDL", ControlKind::kLabel, ControlId::kMainWindow, {665, 474, 62, 22}, "Speed:", "速度:", true},
    {ControlId::kSpeedField, "SPEEDN", ControlKind::kEdit, ControlId::kMainWindow, {730, 472, 68, 28}, "", nullptr, true},
    {ControlId::kFpsLabel, "Fs", ControlKind::kLabel, ControlId::kMainWindow, {804, 473, 60, 22}, "fps", "帧/秒", true},
    {ControlId::kBrightnessLabel, "BRIGHTL", ControlKind::kLabel, ControlId::kMainWindow, {906, 474, 62, 22}, "Bright:", "亮度:", true},
    {ControlId::kBrightnessField, "BRIGHTN", ControlKind::kEdit, ControlId::kMainWindow, {970, 472, 61, 28}, "", nullptr, true},
    {ControlId::kPercentLabel, "Label7", ControlKind::kLabel, ControlId::kMainWindow, {1035, 472, 20, 22}, "%", nullptr, true},
    {ControlId::kOutputZ94Button, "OUTPUTZ94", ControlKind::kButton, ControlId::kMainWindow, {1064, 456, 105, 30}, "Output Z94 RGB", "定制 Z94 RGB", false},
    {ControlId::kOutputZ6Button, "OUTPUTZ6", ControlKind::kButton, ControlId::kMainWindow, {1064, 488, 105, 30}, "Output Z6.3", "定制 Z6.3 ", false},
    {ControlId::kModeGroup, "GBMOD", ControlKind::kGroupBox, ControlId::kMainWindow, {19, 520, 1030, 153}, "Multimode setting", "多种模式设置", true},
    {ControlId::kMultiModeBox, "ChkB2", ControlKind::kCheckBox, ControlId::kModeGroup, {16, 38, 112, 28}, "Setting", "设置", true},
    {ControlId::kReadModeButton, "bread", ControlKind::kButton, ControlId::kModeGroup, {136, 36, 120, 32}, "Read mode", "读取参数", false},
    {ControlId::kSaveModeButton, "bsave", ControlKind::kButton, ControlId::kModeGroup, {266, 36, 120, 32}, "Save mode", "保存参数", false},
    {ControlId::kModePathLabel, "Pathr", ControlKind::kLabel, ControlId::kModeGroup, {400, 40, 614, 24}, "Path:", nullptr, false},
    {ControlId::kFrameLimitLabel, "Alabel", ControlKind::kLabel, ControlId::kModeGroup, {16, 98, 190, 24}, "Total 0 frames", nullptr, false},
    {ControlId::kModeTitleLabel, "model", ControlKind::kLabel, ControlId::kModeGroup, {214, 98, 60, 24}, "Mode", "模式", false},
    {ControlId::kModeCountLabel, "LN2", ControlKind::kLabel, ControlId::kModeGroup, {278, 98, 38, 24}, "1", nullptr, false},
    {ControlId::kModeSelector, "CB11", ControlKind::kComboBox, ControlId::kModeGroup, {320, 94, 72, 30}, "", nullptr, false},
    {ControlId::kRemoveModeButton, "B11", ControlKind::kButton, ControlId::kModeGroup, {400, 94, 36, 30}, "－", nullptr, false},
    {ControlId::kAddModeButton, "BB11", ControlKind::kButton, ControlId::kModeGroup, {442, 94, 36, 30}, "＋", nullptr, false},
    {ControlId::kStartLabel, "Startlabel", ControlKind::kLabel, ControlId::kModeGroup, {494, 98, 72, 24}, "Start", "起始帧", false},
    {ControlId::kStartField, "E11", ControlKind::kEdit, ControlId::kModeGroup, {570, 94, 90, 30}, "", nullptr, false},
    {ControlId::kToLabel, "Label8", ControlKind::kLabel, ControlId::kModeGroup, {668, 98, 30, 24}, "To", nullptr, false},
    {ControlId::kEndLabel, "endlabel", ControlKind::kLabel, ControlId::kModeGroup, {704, 98, 72, 24}, "End", "终止帧", false},
    {ControlId::kEndField, "E22", ControlKind::kEdit, ControlId::kModeGroup, {780, 94, 90, 30}, "", nullptr, false},
    {ControlId::kModeOkButton, "BOK", ControlKind::kButton, ControlId::kModeGroup, {886, 92, 100, 34}, "OK", nullptr, false},
};

// The window's controls with the states of the window's definition (before
// window creation runs): design positions, English captions.
class Controls {
 public:
  Controls();

  ControlState& operator[](ControlId id) { return states_[static_cast<std::size_t>(id)]; }
  const ControlState& operator[](ControlId id) const { return states_[static_cast<std::size_t>(id)]; }

  // The control named `name` (as in the window definition), if any.
  std::optional<ControlId> find(std::string_view name) const;

  // Can a person click it now: enabled and visible, and so is its group box.
  bool clickable(ControlId id) const;

 private:
  std::array<ControlState, kControlCount> states_;
};

// Writes every caption of the language (0 English, 10 Chinese) that the
// language switch changes, including the twenty "2 ports" boxes.
void applyCaptions(Controls& controls, int32_t languageFlag);

// The grid's language texts: header cells of row 0 (columns 0 .. 3) and the
// label prefix of rows 1 .. 512 (" File " / " 文件 ").
struct GridTexts {
  std::array<std::string, 4> header;
  std::string labelPrefix;
};
const GridTexts& gridTexts(int32_t languageFlag);

// The frame limit label's caption for a frame limit.
std::string frameLimitCaption(int32_t frameLimit, int32_t languageFlag);

}  // namespace led2vqn
