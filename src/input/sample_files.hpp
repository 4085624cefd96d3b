// Sample settings files and program files, derived from seeds: the same
// arguments give the same bytes on every platform and standard library.
// Used by the tests, the examples and the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "input/program_reader.hpp"

namespace led2vqn::samples {

// 256 entries; entries 16k .. 16k+15 are a permutation of 0 .. 15, so every
// frame length can be encoded.
NibbleTable nibbleTable(uint64_t seed);

// A settings file of `size` bytes whose NibbleTable is nibbleTable(seed);
// byte 7 = languageByte (when the file has a byte 7); every other byte is random.
std::vector<uint8_t> settingsBytes(uint64_t seed, std::size_t size = 1000, uint8_t languageByte = 0x30);

// Frame contents. Frame numbers f count from 1.
enum class Pattern {
  kRandom,     // random bytes
  kRamp,       // byte x of frame f = (x + f) mod 256
  kFull,       // all 255
  kZero,       // all 0
  kThreshold,  // random values 99 .. 102, around the on/off threshold 100
  kLevels,     // random picks of kSampleLevels (brightness truncation, threshold, extremes)
  kPorts,      // port << 5 | component << 3 | (position + f) & 7, for pixel bytes in port order
};

// The interesting byte values that Pattern::kLevels picks from.
inline constexpr uint8_t kSampleLevels[] = {0,   1,   2,   49,  50,  99,  100, 101, 102,
                                            127, 128, 129, 199, 200, 201, 254, 255};

struct ProgramSpec {
  int32_t frameLength = 3072;   // multiple of 256, < 2^24
  int ports = 4;                // 1 .. 8 (written into byte 27)
  int frames = 2;
  Pattern pattern = Pattern::kRandom;
  uint64_t seed = 1;
  std::size_t partial = 0;      // extra bytes after the last whole frame
  uint8_t controller = 1;
  std::string magic = "QWM";    // bytes 1 .. 3 (shorter texts are padded with 0)
  int chip = 106;
  std::optional<uint8_t> portsField;  // raw byte 27 instead of `ports`
};

// Header (random bytes except the fields the reader decodes) + frames +
// partial bytes. The frame length is encoded through `table`.
// Throws std::invalid_argument when the shape is out of range or the table
// cannot encode the frame length (an all-zero table encodes only 0).
std::vector<uint8_t> programBytes(const NibbleTable& table, const ProgramSpec& shape);

// Writes bytes to path (truncating); throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace led2vqn::samples
