// What a fault-injection test checks after an operation: the messages and
// error reports the window showed, whether the batch timer still runs and
// whether the main buttons are unlocked, in a form that a child process can
// send back as text. And the listing of a folder, hidden files included.
#pragma once

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/model_fixture.hpp"

namespace led2vqn::robustness {

struct WindowOutcome {
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  bool timerOn = false;
  bool buttonsUnlocked = false;  // add, delete, exit and the seven output buttons enabled
  std::vector<std::string> notes;  // whatever else a test wants to know

  // One line per item: "M text", "E text", "N text", "T 0|1", "B 0|1".
  std::string encode() const {
    std::string out;
    for (const std::string& m : messages) out += "M " + m + "\n";
    for (const std::string& e : errors) out += "E " + e + "\n";
    for (const std::string& n : notes) out += "N " + n + "\n";
    out += std::string("T ") + (timerOn ? "1" : "0") + "\n";
    out += std::string("B ") + (buttonsUnlocked ? "1" : "0") + "\n";
    return out;
  }

  static WindowOutcome decode(const std::string& text) {
    WindowOutcome o;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      if (line.size() < 2) continue;
      const std::string rest = line.substr(2);
      switch (line[0]) {
        case 'M': o.messages.push_back(rest); break;
        case 'E': o.errors.push_back(rest); break;
        case 'N': o.notes.push_back(rest); break;
        case 'T': o.timerOn = rest == "1"; break;
        case 'B': o.buttonsUnlocked = rest == "1"; break;
        default: o.errors.push_back("unreadable line from the child: " + line); break;
      }
    }
    return o;
  }
};

inline std::ostream& operator<<(std::ostream& os, const WindowOutcome& o) { return os << o.encode(); }

inline bool mainButtonsEnabled(const WindowModel& model) {
  using C = ControlId;
  for (C id : {C::kAddButton, C::kDeleteButton, C::kExitButton, C::kOutputZ71RgbButton, C::kOutputJ9Button, C::kOutputZ58Button, C::kOutputZ94Button, C::kOutputZ6Button,
               C::kOutputZ71RgbwButton, C::kOutputZ36Button}) {
    if (!model.controls()[id].enabled) return false;
  }
  return true;
}

// What the window shows after the recorded port's earlier lines were cleared.
inline WindowOutcome outcomeOf(const WindowModel& model, const testing::RecordingPort& port) {
  WindowOutcome o;
  o.messages = port.messages;
  o.errors = port.errors;
  o.timerOn = model.timerEnabled();
  o.buttonsUnlocked = mainButtonsEnabled(model);
  return o;
}

// Clicks the output button of `kind` and lets the timer tick until the batch ends.
inline void runBatch(WindowModel& model, OutputKind kind) {
  model.outputClicked(kind);
  for (int ticks = 0; model.timerEnabled() && ticks < 100; ++ticks) model.timerTick();
}

// The names in a folder, sorted, hidden ones included.
inline std::vector<std::string> listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace led2vqn::robustness
