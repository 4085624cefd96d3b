// A window model in a fresh folder with a settings file and program files
// made from seeds, and a port that records what the window shows.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/window_model.hpp"
#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn::testing {

class RecordingPort : public WindowPort {
 public:
  void showMessage(const std::string& text) override { messages.push_back(text); }
  std::optional<std::string> openDialog(DialogKind) override {
    ++dialogs;
    if (answers.empty()) return std::nullopt;
    std::string a = answers.front();
    answers.pop_front();
    return a;
  }
  void reportError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::deque<std::string> answers;
  int dialogs = 0;  // open dialogs asked for
};

inline constexpr uint64_t kTableSeed = 7;

class ModelTest : public support::TempDirTest {
 protected:
  ModelTest() : model(port) { model.setDateTimeSource([] { return std::string("2024-05-06 07:08:09"); }); }

  // Writes the settings file (language byte 0x30 or 0x31) and creates the window.
  void start(uint8_t languageByte = 0x30, std::size_t size = 1000) {
    dir.write("Gcode.sdc", samples::settingsBytes(kTableSeed, size, languageByte));
    model.windowCreated(dir.file("Gcode.sdc"));
  }

  // A program file in the folder; returns its path.
  std::string program(const std::string& name, int ports, int frames = 2, int32_t frameLength = 1024) {
    samples::ProgramSpec shape;
    shape.frameLength = frameLength, shape.ports = ports, shape.frames = frames;
    return dir.write(name, samples::programBytes(samples::nibbleTable(kTableSeed), shape));
  }

  // The add button with the dialog answering `path`.
  void add(const std::string& path) {
    port.answers.push_back(path);
    model.addFileClicked();
  }

  // Picks mode m (1-based), types its start and end, clicks OK.
  void setMode(int m, const std::string& start, const std::string& end) {
    model.chooseModeItem(m - 1);
    for (auto [id, text] : {std::pair{ControlId::kStartField, start}, {ControlId::kEndField, end}}) {
      model.setFieldText(id, "");
      model.typeText(id, text);
    }
    model.modeOkClicked();
  }
  // Clicks the mode count up or down to n.
  void setModeCount(int n) {
    while (model.modeState().count < n) model.addModeClicked();
    while (model.modeState().count > n) model.removeModeClicked();
  }
  // Clicks an output button and lets the timer tick until the batch has ended.
  void output(OutputKind kind) {
    model.outputClicked(kind);
    for (int ticks = 0; model.timerEnabled() && ticks < 1000; ++ticks) model.timerTick();
  }

  const ControlState& control(ControlId id) const { return model.controls()[id]; }
  std::string cell(int row, int column) const { return model.table().cell(row, column); }

  RecordingPort port;
  WindowModel model;
};

}  // namespace led2vqn::testing
