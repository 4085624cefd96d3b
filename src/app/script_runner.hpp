// Replays a script of window actions on a window model, as a person would
// click them: each action checks that its control can be clicked (enabled
// and visible) and then calls the control's handler. The first line that
// cannot happen stops the run.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/script.hpp"
#include "app/window_model.hpp"
#include "app/window_port.hpp"

namespace led2vqn {

// A window port for headless runs: every message box and error report is one
// line on `out`; the open dialogs return the paths queued by the runner.
class ScriptPort : public WindowPort {
 public:
  explicit ScriptPort(std::ostream& out) : out_(out) {}

  void showMessage(const std::string& text) override;
  std::optional<std::string> openDialog(DialogKind kind) override;
  void reportError(const std::string& text) override;

  // The answer of the next open dialog.
  void answerNextDialog(const std::string& path) { answer_ = path; }
  // Every line shown so far, messages and error reports alike.
  const std::vector<std::string>& shown() const { return shown_; }

 private:
  std::ostream& out_;
  std::optional<std::string> answer_;
  std::vector<std::string> shown_;
};

// Why a script stopped: the line and what could not happen.
struct ScriptStop {
  int line = 0;
  std::string text;    // "line 4: delete: the DEL File button is disabled"
  std::string reason;  // "the DEL File button is disabled"
};

class ScriptRunner {
 public:
  // `currentFolder` makes the relative paths of add and readmode absolute.
  ScriptRunner(WindowModel& model, ScriptPort& port, std::string currentFolder);

  // Runs the lines in order; nullopt when every line ran.
  std::optional<ScriptStop> run(const std::vector<ScriptLine>& lines);
  // Runs one action; the reason when its click cannot happen.
  std::optional<std::string> apply(const ScriptAction& action);

 private:
  std::optional<std::string> click(ControlId id);  // nullopt when clickable
  std::string absolute(const std::string& path) const;
  std::optional<std::string> typeInto(ControlId field, const std::string& text);

  WindowModel& model_;
  ScriptPort& port_;
  std::string currentFolder_;
};

// A control as a person reading a message knows it: "the mode selector",
// "the \"2 ports\" box of row 13", "the Output Z71RGB(10K) button".
std::string controlDescription(ControlId id);
// The output button of a model.
ControlId outputButton(OutputKind kind);

// The process's current folder ("" when it cannot be had).
std::string currentFolder();

}  // namespace led2vqn
