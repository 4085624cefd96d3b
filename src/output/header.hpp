// The scrambled header sector of a card.
//
// Every parameter is stored as the sum of itself and random numbers that are
// stored too, at fixed positions; then everything from byte 8 on is moved up
// by a random distance s (0 .. 7) and the sector gets two check bytes.
//
// Layout before the shift (lo/hi = low and second byte of a value):
//
//   byte  content                 byte  content                 byte  content
//   0-5   magic                   27    hi(M)                   54    N2
//   6     random; defines s       28    lo(H)                   56    lo(F)
//   8     lo(C)                   29    hi(P)                   58    lo(R)
//   9     hi(E)                   32    lo(I)                   59    hi(S)
//   10    B                       34    K bits 16-23            60    lo(D)
//   12    lo(T)                   36    hi(D)                   61    lo(Y)
//   13    hi(H)                   37    hi(L)                   63    lo(X + 2*modes)
//   15    N1                      40    lo(Q)                   64    lo(P)
//   16    A                       42    lo(G)                   65    lo(J)
//   17    hi(C)                   43    hi(J)                   66    hi(W)
//   18    hi(I)                   44    lo(M)                   67    lo(A*B*ports)
//   21    lo(L)                   45    K bits 8-15             70    hi(G)
//   22    lo(E)                   48    hi(A*B*ports)           71    lo(X)
//   23    lo(3*shift+U)           50    U                       72    lo(S)
//   24    hi(R)                   51    lo(W)                   74    lo(V)
//   25    hi(F)                   52    K bits 24-31            75    hi(Q)
//   26    K bits 0-7                                            76    lo(Y + Z)
//                                                               77    hi(V)
//                                                               78    hi(T)
//
//   format = D - C            block offset = G - E - 2F     frames = K - H - 2I - 3J
//   channel bytes = M - L     frame sectors = P / (2 N1 + N2)
//   frame period = (R - Q)/7  brightness = (T - S)/17       block shift = (byte 23 - U)/3
//   mode block present when (W - V)/13 = 88; mode count = (byte 63 - byte 71)/2;
//   Z = byte 76 - byte 61; mode i (0-based) with factor r = byte 256+Z+3i:
//     start pair at p-1, p where p = 80+Z+2i (p+5 when above 150), value start + 3r;
//     end pair at 254+Z+3i, 255+Z+3i, value end + 3r; r >= 130 marks a reversed mode.
//   Bytes 510 and 511 are the check bytes of the (shifted) sector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/random.hpp"

namespace led2vqn {

inline constexpr int kMaxModes = 80;
// The shift step uses bytes 512 .. 519 of the sector buffer as scratch.
inline constexpr std::size_t kHeaderScratchBytes = 520;

// One row of the mode table: a range of frames and its direction flag
// (0 when end > start, 10 otherwise; 1 for a row never set).
struct ModeRow {
  int32_t start = 1;
  int32_t end = 1;
  int32_t flag = 1;
};

using ModeTable = std::array<ModeRow, kMaxModes>;  // mode m (1-based) is element m - 1

// The multi-mode state a header is built with.
struct ModeSettings {
  bool on = false;          // the multi-mode check box
  int32_t count = 1;        // 1 .. 80
  const ModeTable* table = nullptr;
  int32_t frameLimit = 0;   // rows with fewer frames are refused
};

struct HeadInputs {
  int32_t ports = 1;
  int32_t format = 1;
  int32_t blockOffset = 0;
  int32_t frames = 0;
  int32_t channelBytes = 0;
  int32_t frameSectors = 0;
  int32_t blockShift = 0;                  // 0 .. 16
  std::optional<int32_t> framePeriod;     // nullopt: the speed text is not a number
  std::optional<int32_t> brightness;      // nullopt: the brightness text is not an integer
};

enum class HeadResult {
  kOk,
  kModeFrames,      // frame limit above the row's frames: nothing may be written
  kBadSpeed,        // speed text failed to convert (at the step that reads it)
  kBadBrightness,   // brightness text failed to convert
};

// HeadShift s of a sector whose byte 6 is b6: |hi nibble - lo nibble| div 2.
constexpr int headShift(uint8_t b6) {
  const int d = (b6 >> 4) - (b6 & 0x0F);
  return (d < 0 ? -d : d) / 2;
}

// Builds bytes 6 .. 511 of a header sector; bytes 0 .. 5 hold the magic.
// REQUIRES: sector has at least kHeaderScratchBytes bytes.
HeadResult saveHead(Generator& rng, uint8_t* sector, const HeadInputs& in, const ModeSettings& modes);

// The mode block alone (marker, count, Z and one entry per mode), with the
// header's draws in their order. Used by saveHead and by Save mode.
// REQUIRES: 1 <= modes.count <= 80, modes.table set.
void writeModeBlock(Generator& rng, uint8_t* sector, const ModeSettings& modes);

// Moves everything from byte 8 on up by s and refills bytes 8 .. 7+s with
// byte(215) draws. REQUIRES: sector has at least kHeaderScratchBytes bytes.
void shiftUp(Generator& rng, uint8_t* sector, int s);

// Undoes shiftUp: for k = 8 .. 509, byte k = byte k + s.
// REQUIRES: sector has at least 510 + s bytes.
void shiftDown(uint8_t* sector, int s);

// Frame period stored for a speed: 1000000 div round-half-even(speed * 1000)
// when speed > 0, else 30. nullopt when the text is not a decimal number.
std::optional<int32_t> framePeriodOfSpeedText(const std::string& text);

// Every field of a decoded header. A field whose division has no defined
// result (a zero divisor, or a remainder) is nullopt.
struct DecodedHeader {
  bool checksOk = false;
  int shift = 0;
  std::optional<int32_t> ports;
  int32_t format = 0;
  int32_t blockOffset = 0;
  int32_t frames = 0;
  int32_t channelBytes = 0;
  std::optional<int32_t> frameSectors;
  int32_t framePeriod = 0;
  int32_t brightness = 0;
  std::optional<int32_t> blockShift;
  bool modeBlock = false;
  int32_t modeCount = 0;          // as decoded, before any range check
  int32_t z = 0;                  // byte 76 - byte 61
  std::vector<ModeRow> modes;     // the rows whose positions lie inside the buffer
};

// Decodes a header whose shift has already been undone. Positions past byte
// 511 read what the buffer holds there; `size` bounds every read.
// REQUIRES: size >= 512.
DecodedHeader decodeUnshifted(const uint8_t* sector, std::size_t size);

// Reads one decoded mode entry i (0-based) of an unshifted header, or nullopt
// when a position falls outside [0, size).
std::optional<ModeRow> decodeModeRow(const uint8_t* sector, std::size_t size, int32_t z, int i);

// Check bytes, shift and fields of a header sector as stored in a card
// (512 bytes; positions that the shift brings in from past the sector read 0).
DecodedHeader decodeCardHeader(const uint8_t* sector512);

}  // namespace led2vqn
