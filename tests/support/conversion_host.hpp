// The window as a card writer sees it, and program files made to measure.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "output/card_writer.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn::support {

class TestHost : public ConversionHost {
 public:
  RowCells rowCells(int row) const override { return rows.at(std::size_t(row - 1)); }
  int rowCount() const override { return static_cast<int>(rows.size()) + 1; }
  int32_t twoPortFlag(int row) const override { return row == twoPortRow ? 10 : 0; }
  std::string speedText() const override { return "25"; }
  std::string brightnessText() const override { return brightness; }
  ModeSettings modes() const override { return modeSettings; }
  void setProgressMax(int32_t) override {}
  void setProgress(int32_t) override {}
  bool cancelRequested() const override { return cancelAt > 0 && ++cancelChecks >= cancelAt; }

  std::vector<RowCells> rows;  // project rows 1, 2, ...
  int cancelAt = 0;            // > 0: the writer is cancelled at its cancelAt-th ask
  mutable int cancelChecks = 0;
  int twoPortRow = 0;          // the row whose "2 ports" box is checked
  std::string brightness = "100";
  ModeTable modeTable{};
  ModeSettings modeSettings{false, 1, &modeTable, 0};
};

// Every byte the card writers leave for later ones, and the generator.
inline uint64_t stateDigest(const EngineState& s) {
  uint64_t h = s.rng.seed();
  for (const ByteBuffer* b : {&s.sector, &s.frame, &s.work, &s.companion, &s.white, &s.portBits}) {
    for (std::size_t i = 0; i < b->size(); i += 8) {
      uint64_t word = 0;
      std::memcpy(&word, b->data() + i, std::min<std::size_t>(8, b->size() - i));
      h = (h ^ word) * 0x100000001B3u;
    }
  }
  return h;
}

// Byte x of frame f of a program file.
using FrameByte = std::function<uint8_t(int f, int64_t x)>;
inline uint8_t mixedByte(int f, int64_t x) { return static_cast<uint8_t>((x * 37 + f * 11 + x / 256) & 0xFF); }

// A program file (512 header bytes, then the frames) and its row as the reader enters it.
inline RowCells writeProgram(const TempDir& dir, const std::string& name, int ports, int32_t frameLength, int frames,
                             const FrameByte& byteOf = mixedByte) {
  std::vector<uint8_t> bytes(512, 0x5A);
  for (int f = 1; f <= frames; ++f) {
    for (int64_t x = 0; x < frameLength; ++x) bytes.push_back(byteOf(f, x));
  }
  const int32_t pixels = std::min(frameLength / ports / 3, 16000) * ports;
  return RowCells{dir.write(name, bytes), std::to_string(frames), std::to_string(ports), std::to_string(pixels),
                  std::to_string(frameLength)};
}

}  // namespace led2vqn::support
