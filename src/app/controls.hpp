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
inline constexpr int kVisibleTwoPortsBoxes = 12;  // CheckBox13 .. CheckBox20 stay hidden

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
  std::string name;                  // "ADDBT", "CheckBox7", ...
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

// The "Alabel" caption for a frame limit.
std::string frameLimitCaption(int32_t frameLimit, int32_t languageFlag);

// Outer size of the window set at creation.
inline constexpr int kWindowWidth = 1182;
inline constexpr int kWindowHeight = 725;

}  // namespace led2vqn
