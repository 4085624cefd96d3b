// The batch behind the output buttons: one project row converted per timer
// tick, rows in ascending order, then the readme.
//
//   start:  OutputKind := kind; lay the filler in the three working buffers;
//           with multi-mode on, refuse when a row has fewer frames than the
//           mode frame limit; current row := 1; timer on.
//   tick:   past the last row -> finished (timer off); otherwise select the
//           current row and convert it (Z71 RGBW: one tick converts rows 1
//           and 2 with up to two files, and refuses three or more files).
//
// The driver returns what happened; the window shows the messages, locks
// and unlocks the buttons and writes the readme.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "output/card_writer.hpp"
#include "output/engine_state.hpp"
#include "project/project_table.hpp"

namespace led2vqn {

// The writer called per row; writeCard unless a test replaces it.
using CardWriter = std::function<WriteResult(EngineState&, OutputKind, int, ConversionHost&)>;

class BatchDriver {
 public:
  enum class Start {
    kStarted,
    kModeFrames,  // a row has fewer frames than the mode frame limit; not started
    kBadCell,     // a frame count cell is no integer (`badCell` holds it); not started
  };

  struct Tick {
    enum class Kind {
      kRow,           // `write` tells how row `row` went
      kOverTwoFiles,  // Z71 RGBW with three or more files: the batch ended
      kFinished,      // all rows done: the timer is off
    };
    Kind kind = Kind::kFinished;
    int row = 0;
    WriteResult write;
  };

  BatchDriver();

  // The output button's handler up to the timer start. `host` supplies the
  // multi-mode state and the progress bar (position 0 while checking).
  Start start(OutputKind kind, EngineState& state, const ProjectTable& table, ConversionHost& host);
  // One timer tick. REQUIRES: timerEnabled().
  Tick tick(EngineState& state, ProjectTable& table, ConversionHost& host);
  // Switches the timer off (a writer failure ends the batch).
  void stop() { timer_ = false; }

  bool timerEnabled() const { return timer_; }
  OutputKind outputKind() const { return kind_; }
  int currentRow() const { return currentRow_; }
  const std::string& badCell() const { return badCell_; }

  void setWriter(CardWriter writer) { writer_ = std::move(writer); }

 private:
  OutputKind kind_ = OutputKind::kZ71Rgb;  // keeps its value after a batch
  int currentRow_ = 1;
  bool timer_ = false;                     // the batch timer
  std::string badCell_;
  CardWriter writer_;
};

}  // namespace led2vqn
