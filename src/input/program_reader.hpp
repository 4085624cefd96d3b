// The program file reader: checks the header of a program file (*.led) and
// derives the four numbers every conversion needs.
//
// Program file layout: a 512-byte header, then frames of FrameLength bytes;
// bytes after the last whole frame are ignored. Header fields the reader
// decodes ("hi" = b >> 4, "lo" = b & 0x0F):
//
//   byte   bits   content
//   0      all    controller type, must be 1
//   1-3    all    magic "QWM"
//   5      hi,lo  encoded A, bits 8-15 of the frame length (keys in byte 9)
//   6      hi,lo  encoded B, bits 16-23 of the frame length (keys in byte 10)
//   9      hi,lo  key nibbles of byte 5
//   10     hi,lo  key nibbles of byte 6
//   18     7-5    chip code bits 2-0
//   19     3-0    chip code bits 6-3; the chip code must be 106 (DMX512)
//   27     3-1    port field; 0 means 8 ports
//
//   A = T[16 hi(b9) + hi(b5)] * 16 + T[16 lo(b9) + lo(b5)]   (T = NibbleTable)
//   B = T[16 hi(b10) + hi(b6)] * 16 + T[16 lo(b10) + lo(b6)]
//   FrameLength = 65536 B + 256 A
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/file_io.hpp"

namespace led2vqn {

// The settings file's table: entry j is a value 0 .. 15.
using NibbleTable = std::array<uint8_t, 256>;

inline constexpr int32_t kDmx512Chip = 106;
// Frames are held whole in the working buffers.
inline constexpr int32_t kMaxFrameLength = 350000;
// Pixels per port are capped at this count.
inline constexpr int32_t kMaxPixelsPerPort = 16000;

// What the reader derives from an accepted program file.
struct ProgramInfo {
  int32_t frames;       // whole frames after the header (capped at 2^31 - 1)
  int32_t ports;        // 1 .. 8
  int32_t pixels;       // min(FrameLength / ports / 3, 16000) * ports
  int32_t frameLength;  // bytes per frame, a multiple of 256, 256 .. 350000

  bool operator==(const ProgramInfo&) const = default;
};

enum class ReaderRefusal {
  kOpenFile,        // shorter than 512 bytes, or no such file: "Open File error！！"
  kFileType,        // bytes 1..3 not Q W M
  kControllerType,  // byte 0 not 1
  kChipType,        // chip code not 106
  kNoFrameLength,   // decoded FrameLength 0 (settings file missing or unusable)
  kFrameTooLarge,   // decoded FrameLength above 350000
};

struct ReadOutcome {           // exactly one of the three is meaningful
  std::optional<ProgramInfo> info;
  std::optional<ReaderRefusal> refusal;
  std::optional<IoError> error;  // input/output failure (permission, read error)
};

// Ports of a header's byte 27: (b & 0x0F) >> 1, and 8 when that is 0.
constexpr int32_t portsOfField(uint8_t b27) {
  const int32_t p = (b27 & 0x0F) >> 1;
  return p == 0 ? 8 : p;
}

// Chip code of header bytes 18 and 19: (b19 & 0x0F) * 8 + (b18 >> 5).
constexpr int32_t chipCodeOf(uint8_t b18, uint8_t b19) { return (b19 & 0x0F) * 8 + (b18 >> 5); }

// FrameLength encoded in a header's bytes 5, 6, 9 and 10.
// REQUIRES: header has at least 11 bytes.
int32_t decodeFrameLength(const uint8_t* header, const NibbleTable& table);

// The checks of addProgramFile that look at the file (size, magic, controller,
// chip, frame length) in their order; the header's 512 bytes are read into
// `headerBuffer` (the engine's SectorBuffer). Opens read-only, never creates.
// A path naming no file gives kOpenFile. Never touches the project table.
// REQUIRES: headerBuffer has at least 512 bytes.
ReadOutcome readProgramFile(const std::string& path, const NibbleTable& table, uint8_t* headerBuffer);

}  // namespace led2vqn
