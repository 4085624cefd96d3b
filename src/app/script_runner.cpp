#include "app/script_runner.hpp"

#include "base/decimal_text.hpp"
#include "base/platform.hpp"

namespace led2vqn {
namespace {

std::string trimmed(const std::string& s) {
  const std::size_t from = s.find_first_not_of(' ');
  if (from == std::string::npos) return std::string();
  return s.substr(from, s.find_last_not_of(' ') - from + 1);
}

}  // namespace

std::string controlDescription(ControlId id) {
  const int box = static_cast<int>(id) - static_cast<int>(ControlId::kTwoPortsBox1) + 1;
  if (box >= 1 && box <= kTwoPortsBoxCount) return "the \"2 ports\" box of row " + decimal(box);
  switch (id) {
    case ControlId::kFileGrid: return "the file list";
    case ControlId::kEnglishRadio: return "the English button";
    case ControlId::kChineseRadio: return "the Chinese button";
    case ControlId::kSpeedField: return "the speed field";
    case ControlId::kBrightnessField: return "the brightness field";
    case ControlId::kMultiModeBox: return "the multi-mode box";
    case ControlId::kModeSelector: return "the mode selector";
    case ControlId::kStartField: return "the mode start field";
    case ControlId::kEndField: return "the mode end field";
    case ControlId::kAddModeButton: return "the add-mode button (＋)";
    case ControlId::kRemoveModeButton: return "the remove-mode button (－)";
    case ControlId::kModeOkButton: return "the OK button of the mode panel";
    default: break;
  }
  static const Controls design;  // English captions
  return "the " + trimmed(design[id].caption) + " button";
}

ControlId outputButton(OutputKind kind) {
  switch (kind) {
    case OutputKind::kZ71Rgb: return ControlId::kOutputZ71RgbButton;
    case OutputKind::kJ9: return ControlId::kOutputJ9Button;
    case OutputKind::kZ58: return ControlId::kOutputZ58Button;
    case OutputKind::kZ71Rgbw: return ControlId::kOutputZ71RgbwButton;
    case OutputKind::kZ94: return ControlId::kOutputZ94Button;
    case OutputKind::kZ6: return ControlId::kOutputZ6Button;
    case OutputKind::kZ36: break;
  }
  return ControlId::kOutputZ36Button;
}

void ScriptPort::showMessage(const std::string& text) {
  shown_.push_back(text);
  out_ << text << '\n' << std::flush;
}

void ScriptPort::reportError(const std::string& text) {
  shown_.push_back(text);
  out_ << text << '\n' << std::flush;
}

std::optional<std::string> ScriptPort::openDialog(DialogKind) {
  std::optional<std::string> answer = std::move(answer_);
  answer_.reset();
  return answer;
}

std::string currentFolder() { return platform::currentFolder(); }

ScriptRunner::ScriptRunner(WindowModel& model, ScriptPort& port, std::string currentFolder)
    : model_(model), port_(port), currentFolder_(std::move(currentFolder)) {}

std::string ScriptRunner::absolute(const std::string& path) const {
  if (platform::isAbsolutePath(path)) return path;
  if (!currentFolder_.empty() && platform::isSeparator(currentFolder_.back())) return currentFolder_ + path;
  return currentFolder_ + platform::kSeparator + path;
}

std::optional<std::string> ScriptRunner::click(ControlId id) {
  const Controls& controls = model_.controls();
  if (controls.clickable(id)) return std::nullopt;
  const ControlState& s = controls[id];
  return controlDescription(id) + (s.visible ? " is disabled" : " is hidden");
}

std::optional<std::string> ScriptRunner::typeInto(ControlId field, const std::string& text) {
  if (auto e = click(field)) return e;
  model_.setFieldText(field, "");
  model_.typeText(field, text);
  return std::nullopt;
}

std::optional<ScriptStop> ScriptRunner::run(const std::vector<ScriptLine>& lines) {
  for (const ScriptLine& line : lines) {
    std::optional<std::string> reason;
    if (!line.action) {
      reason = line.error;
    } else {
      reason = apply(*line.action);
    }
    if (reason) return ScriptStop{line.number, "line " + decimal(line.number) + ": " + line.source + ": " + *reason, *reason};
  }
  return std::nullopt;
}

std::optional<std::string> ScriptRunner::apply(const ScriptAction& a) {
  WindowModel& m = model_;
  const Controls& controls = m.controls();
  switch (a.verb) {
    case ScriptVerb::kAdd:
      if (auto e = click(ControlId::kAddButton)) return e;
      port_.answerNextDialog(absolute(a.text));
      m.addFileClicked();
      return std::nullopt;
    case ScriptVerb::kSelect:
      if (auto e = click(ControlId::kFileGrid)) return e;
      if (a.number < 1 || a.number >= m.table().rowCount()) {
        if (m.table().rowCount() <= 1) return "the file list has no row " + decimal(a.number) + " (it is empty)";
        return "the file list has no row " + decimal(a.number) + " (rows 1 to " + decimal(m.table().rowCount() - 1) + ")";
      }
      m.rowSelected(a.number);
      return std::nullopt;
    case ScriptVerb::kDelete:
      if (auto e = click(ControlId::kDeleteButton)) return e;
      m.deleteRowClicked();
      return std::nullopt;
    case ScriptVerb::kTwoPorts: {
      const ControlId box = twoPortsBoxId(a.number);
      if (controls[box].checked == a.on) return std::nullopt;
      if (auto e = click(box)) return e;
      m.twoPortsBoxClicked(a.number);
      return std::nullopt;
    }
    case ScriptVerb::kSpeed:
      if (auto e = typeInto(ControlId::kSpeedField, a.text)) return e;
      m.speedFieldLeft();
      return std::nullopt;
    case ScriptVerb::kBrightness:
      if (auto e = typeInto(ControlId::kBrightnessField, a.text)) return e;
      m.brightnessFieldLeft();
      return std::nullopt;
    case ScriptVerb::kLanguage: {
      const ControlId button = a.on ? ControlId::kChineseRadio : ControlId::kEnglishRadio;
      if (auto e = click(button)) return e;
      if (a.on) m.chineseClicked();
      else m.englishClicked();
      return std::nullopt;
    }
    case ScriptVerb::kMultimode:
      if (m.multiModeOn() == a.on) return std::nullopt;
      if (auto e = click(ControlId::kMultiModeBox)) return e;
      m.multiModeClicked();
      return std::nullopt;
    case ScriptVerb::kModes:
      while (m.modeState().count != a.number) {
        const bool add = m.modeState().count < a.number;
        if (auto e = click(add ? ControlId::kAddModeButton : ControlId::kRemoveModeButton)) return e;
        const int32_t before = m.modeState().count;
        if (add) m.addModeClicked();
        else m.removeModeClicked();
        if (m.modeState().count == before) return std::string("the mode count stays at ") + decimal(before);
      }
      return std::nullopt;
    case ScriptVerb::kMode: {
      if (auto e = click(ControlId::kModeSelector)) return e;
      const std::vector<std::string>& items = controls[ControlId::kModeSelector].items;
      int index = -1;
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == decimal(a.number)) index = static_cast<int>(i);
      }
      if (index < 0) return "the mode selector holds no mode " + decimal(a.number);
      m.chooseModeItem(index);
      if (auto e = typeInto(ControlId::kStartField, a.text)) return e;
      if (auto e = typeInto(ControlId::kEndField, a.text2)) return e;
      if (auto e = click(ControlId::kModeOkButton)) return e;
      m.modeOkClicked();
      return std::nullopt;
    }
    case ScriptVerb::kReadMode:
      if (auto e = click(ControlId::kReadModeButton)) return e;
      port_.answerNextDialog(absolute(a.text));
      m.readModeClicked();
      return std::nullopt;
    case ScriptVerb::kSaveMode:
      if (auto e = click(ControlId::kSaveModeButton)) return e;
      m.saveModeClicked();
      return std::nullopt;
    case ScriptVerb::kOutput:
      if (auto e = click(outputButton(a.model))) return e;
      m.outputClicked(a.model);
      while (m.timerEnabled()) m.timerTick();
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace led2vqn
