// The multi-mode state of the window: the table of frame ranges, the number
// of modes in use, the frame count they are checked against and the card
// last read as a mode file.
#pragma once

#include <cstdint>
#include <string>

#include "output/header.hpp"

namespace led2vqn {

inline constexpr int32_t kMinModes = 1;
inline constexpr int32_t kReversedModeFlag = 10;  // direction flag of a range whose end is not after its start
inline const std::string kNoModePath = "Path:";

struct ModeState {
  ModeTable table{};              // every value 1 at window creation
  int32_t count = 1;              // ModeCount, 1 .. 80
  int32_t frameLimit = 0;         // ModeFrameLimit
  std::string path = kNoModePath; // ModePath

  // What the writers' headers are built with; `on` is the multi-mode check box.
  ModeSettings settings(bool on) const { return ModeSettings{on && count > 0, count, &table, frameLimit}; }
};

}  // namespace led2vqn
