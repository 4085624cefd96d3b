// What a card plays compared with what its program gives: every frame of the
// program after FrameNormalisation, on the card's ports, with the card's
// brightness (or, for Z6, lit above 100), on the positions the card carries
// (card_decoder.hpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "input/program_reader.hpp"
#include "output/card_decoder.hpp"
#include "output/card_placement.hpp"

namespace led2vqn {

// A program file's frames one at a time, normalised: port q of the frame is
// the file's port P - q, as a card's port q plays it.
class ProgramFrames {
 public:
  // Reads the header as the window's reader does; the refusal in plain words otherwise.
  std::optional<std::string> open(const std::string& path, const NibbleTable& table);
  const ProgramInfo& info() const { return info_; }
  int32_t ports() const { return info_.ports; }
  int32_t pixelsPerPort() const { return info_.pixels / info_.ports; }
  // Reads frame f (1-based, at most info().frames) and normalises it.
  std::optional<IoError> read(int32_t f);
  // Channel k of port q, and whether the file's frame holds it (the last two
  // slots of a port may lie past the frame's end).
  bool holds(int q, int32_t k) const { return int64_t{k} * info_.ports + q < info_.frameLength; }
  uint8_t at(int q, int32_t k) const { return frame_[std::size_t(k) * std::size_t(info_.ports) + std::size_t(q)]; }

 private:
  ProgramInfo info_{};
  ReadOnlyFile file_;
  std::vector<uint8_t> frame_;
};

// How a card of `model` plays a byte of its program at `brightness`.
class PlayRule {
 public:
  PlayRule(const CardModel& model, int32_t brightness);
  uint8_t operator()(uint8_t x) const { return onOff_ ? (x > kOnAbove ? 255 : 0) : scale_.value[x]; }

 private:
  static constexpr uint8_t kOnAbove = 100;
  bool onOff_;
  ScaleTable scale_;
};

inline constexpr std::size_t kListedDifferences = 10;

struct ChannelDifference {
  int32_t frame = 0;   // 1-based
  int32_t port = 0;    // 1-based, as the controller numbers its outputs
  int32_t pixel = 0;   // 0-based position along the port
  int32_t pixels = 1;  // W: the pixels of the line its column stands in, from `pixel`
  char channel = '1';  // '1' .. '3' for the colour components, 'W'
  int expected = 0;
  int found = 0;
};

struct VerifyReport {
  std::string card;
  std::string program;
  std::optional<std::string> refusal;  // the card or a program could not be read
  std::string model;
  int32_t frames = 0;   // frames compared
  int32_t ports = 0;
  int64_t differences = 0;
  std::vector<ChannelDifference> listed;  // the first kListedDifferences
  std::vector<std::string> problems;      // header disagreements, damaged or missing blocks
  std::vector<std::string> notes;         // what was not compared, and why

  bool matches() const { return !refusal && problems.empty() && differences == 0; }
};

// `white`: the program that supplied a Z71 RGBW card's W column (empty: W not checked).
VerifyReport verifyCard(const std::string& card, const std::string& program, const std::string& white,
                        const NibbleTable& table);

std::string verifyText(const VerifyReport& report);
std::string verifyJson(const VerifyReport& report);  // one object, one line

}  // namespace led2vqn
