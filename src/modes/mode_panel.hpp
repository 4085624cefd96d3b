// The multi-mode panel's state and its operations, without any control:
// the number of modes, each mode's frame range checked against the mode
// frame limit, and the card last read as a mode file (Read mode and Save
// mode). The window model owns one ModePanel, calls it from its handlers and
// shows what it reports; the panel never reaches the window itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "modes/mode_file.hpp"
#include "modes/mode_state.hpp"
#include "output/engine_state.hpp"

namespace led2vqn {

// What a Read mode or Save mode did: a notice for a message box, an
// input/output error text, or (neither) success.
struct ModeFileOutcome {
  std::optional<ModeNotice> notice;
  std::optional<std::string> error;
  bool ok() const { return !notice && !error; }
};

class ModePanel {
 public:
  const ModeState& state() const { return state_; }

  // Window creation: one mode, every range 1 .. 1 with flag 1.
  void reset();
  // The frame count the ranges are checked against (ModeFrameLimit).
  void setFrameLimit(int32_t frames) { state_.frameLimit = frames; }
  // Forgets the card last read as a mode file.
  void forgetModeFile() { state_.path = kNoModePath; }

  // One mode more (false at 80) or one fewer (false at 1).
  bool addMode();
  bool removeMode();
  // Mode m's range, for m in 1 .. 80.
  std::optional<ModeRow> range(int32_t m) const;
  // Stores mode m's range. kModeRange when start or end lies outside
  // 1 .. frame limit (checked before m); a mode outside 1 .. 80 is ignored.
  std::optional<ModeNotice> storeRange(int32_t m, int32_t start, int32_t end);

  // Read mode: decodes the header of the card at `path` in the sector
  // buffer. On success the frame limit, modes and path are the card's and
  // `header` holds what else the window shows; a refusal changes nothing.
  ModeFileOutcome readModeFile(EngineState& engine, const std::string& path, ModeFileHeader& header);
  // Save mode: rewrites the mode block of the card last read with the
  // current modes, in place.
  ModeFileOutcome saveModeFile(EngineState& engine) const;

 private:
  ModeState state_;
};

}  // namespace led2vqn
