// A window model in a fresh folder with a settings file made from a seed,
// and a port that records what the window shows.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/window_model.hpp"
#include "input/sample_files.hpp"
#include "support/hosts.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn::testing {

using support::RecordingPort;

inline constexpr uint64_t kTableSeed = 7;

class ModelTest : public support::TempDirTest {
 protected:
  ModelTest() : model(port) { model.setDateTimeSource([] { return std::string("2024-05-06 07:08:09"); }); }

  // Writes the settings file (language byte 0x30 or 0x31) and creates the window.
  void start() {
    dir.write("Gcode.sdc", samples::settingsBytes(kTableSeed));
    model.windowCreated(dir.file("Gcode.sdc"));
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
  const ControlState& control(ControlId id) const { return model.controls()[id]; }

  RecordingPort port;
  WindowModel model;
};

}  // namespace led2vqn::testing
