// Sample settings files and program files, derived from seeds: the same
// arguments give the same bytes on every platform and standard library.
// Used by the tests, the examples and the benchmarks.
#pragma once

#include <array>
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
  kWiring,     // a wiring-check pattern (ProgramSpec::wiring), zeros past the pixels
};

// Wiring-check programs, for testing a light box's cables and colours. Ports
// are numbered as a controller plays them: played port q (0-based) is the
// file's port P - q. One step lasts kWiringStepFrames frames.
enum class WiringKind {
  kPorts,    // port k blinks white k times, then stays lit in a colour of its own
  kColours,  // all red, all green, all blue, all white, one step each
  kChase,    // one lit pixel walks along every port, one position per frame
  kRamp,     // white at 0, 25, 50, 75 and 100 % of full, one step each
};
inline constexpr int32_t kWiringStepFrames = 25;

struct WiringShape {
  WiringKind kind = WiringKind::kPorts;
  int ports = 1;
  int32_t pixelsPerPort = 1;
};

// Frames of one whole cycle of the pattern.
int32_t wiringCycle(const WiringShape& w);

// Components 1 .. 3 of pixel i of played port q in frame f (1-based).
std::array<uint8_t, 3> wiringPixel(const WiringShape& w, int q, int32_t i, int32_t f);

// Frame f of a wiring program: frameLength bytes, interleaved as program
// frames are. REQUIRES: frameLength >= 3 * ports * pixelsPerPort.
void wiringFrame(const WiringShape& w, int32_t frameLength, int32_t f, uint8_t* out);

// The smallest frame length (a multiple of 256 up to kMaxFrameLength) that
// holds `bytes` bytes and that the table can encode; nullopt when none.
std::optional<int32_t> smallestFrameLength(const NibbleTable& table, int64_t bytes);

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
  WiringShape wiring;                 // Pattern::kWiring (its ports are `ports`)
};

// Header (random bytes except the fields the reader decodes) + frames +
// partial bytes. The frame length is encoded through `table`.
// Throws std::invalid_argument when the shape is out of range or the table
// cannot encode the frame length (an all-zero table encodes only 0).
std::vector<uint8_t> programBytes(const NibbleTable& table, const ProgramSpec& shape);

// Writes bytes to path (truncating); throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace led2vqn::samples
