// Converting one project row into a card file: the entry point the batch
// driver calls once per row, and the small interface through which a writer
// reads the window's state.
#pragma once

#include <cstdint>
#include <string>

#include "output/engine_state.hpp"
#include "output/header.hpp"

namespace led2vqn {

struct CardModel;

// The card models, numbered as the output buttons number them.
enum class OutputKind : int32_t {
  kZ71Rgb = 3,
  kJ9 = 4,
  kZ58 = 5,
  kZ71Rgbw = 6,
  kZ94 = 7,
  kZ6 = 8,
  kZ36 = 11,
};

// Columns 1 .. 5 of a project row, as the grid holds them (" " when blank).
struct RowCells {
  std::string path;
  std::string frames;
  std::string ports;
  std::string pixels;
  std::string frameLength;
};

// What a writer reads from the window while it converts a row.
class ConversionHost {
 public:
  virtual ~ConversionHost() = default;
  virtual RowCells rowCells(int row) const = 0;   // row 1 .. rowCount() - 1
  virtual int rowCount() const = 0;               // grid rows, header row included
  virtual int32_t twoPortFlag(int row) const = 0;
  // Where the card named `besideProgram` is written (by default that path).
  virtual std::string placeOutput(const std::string& besideProgram) const { return besideProgram; }
  virtual std::string speedText() const = 0;
  virtual std::string brightnessText() const = 0;
  virtual ModeSettings modes() const = 0;
  virtual void setProgressMax(int32_t max) = 0;
  virtual void setProgress(int32_t position) = 0;
  // Asked between frames: true stops the card (nothing written, the card
  // that existed untouched) with the buffers and the generator as they are
  // after the last whole frame.
  virtual bool cancelRequested() const { return false; }
};

struct WriteResult {
  enum class Kind {
    kWritten,              // the card is complete at `cardPath`
    kModeFrames,           // the mode frame limit is above the row's frames; nothing written
    kPortsWithoutLayout,   // PortsUsed 3, 5, 6 or 7; refused before any draw
    kFailed,               // input/output or conversion error in `error`; nothing written
    kCancelled,            // the host asked to stop between frames; nothing written
  };
  Kind kind = Kind::kFailed;
  std::string programPath;  // column 1 of the row
  std::string cardPath;     // the card's name (also when refused)
  int32_t portsUsed = 0;
  std::string error;
};

// Converts project row `row` (1-based) into the card of `kind`, written whole
// or not at all. For kZ71Rgbw, project row 2 (when the table has one)
// supplies the W column. Bad cells and port counts without a layout are
// refused before any random draw; header and file failures come after the
// draws that precede them in the card format.
WriteResult writeCard(EngineState& state, OutputKind kind, int row, ConversionHost& host);

// PortsUsed: the ports a card of `model` takes from a program of `ports`
// ports: all of them, 2 with the two-port choice above 2 ports, 1 for a
// one-port model.
int32_t portsUsedFor(const CardModel& model, int32_t ports, bool twoPorts);

// The card's name: the program path cut at its last '.' when that '.' lies
// in the file's own name (else the whole path), then "_", PortsUsed and the
// model's suffix.
std::string cardName(const std::string& programPath, int32_t portsUsed, const std::string& suffix);

}  // namespace led2vqn
