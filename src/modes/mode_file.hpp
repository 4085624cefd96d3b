// Mode files: an existing card whose header sector stores the multi-mode
// settings. Read mode decodes the header into the window (frame limit,
// speed, brightness, mode table); Save mode rewrites the mode block of the
// card last read, in place.
//
// Only the first 512 bytes of a mode file are read or written; the frame
// blocks after them are never touched. The header is taken into the sector
// buffer and decoded there, with the positions of output/header.hpp once the
// shift is undone. Two layouts are read:
//
//   byte 16 >= 3  scrambled: frames = K - H - 2I - 3J, frame period =
//                 (R - Q) div 7, brightness = (T - S) div 17
//   byte 16 <  3  plain: frames = the little-endian 32-bit value at bytes
//                 12 .. 15; no speed and no brightness
//
// In either layout a mode block is present when (W - V) div 13 = 88.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "output/header.hpp"

namespace led2vqn {

// What the mode panel and the mode files tell the user in a message box.
enum class ModeNotice {
  kOpenFile,          // no such card, or shorter than its header, or bad check bytes
  kFileType,          // not a card ("KW" missing)
  kModeRange,         // a mode's start or end outside 1 .. frame limit
  kModeSaved,
  kNoSavedModes,      // Save mode on a card that does not begin with "KWD"
  kModeCountRange,    // a mode block declaring fewer than 1 or more than 80 modes
  kModeBlockOutside,  // a mode block whose entries lie outside the buffer
  kModeFrames,        // the card has fewer frames than the modes were set against
};

// Byte 16 from which a header has the scrambled layout.
inline constexpr uint8_t kScrambledLayoutFrom = 3;

// What a mode file's header gives the window.
struct ModeFileHeader {
  int32_t frames = 0;                   // becomes ModeFrameLimit
  std::optional<int32_t> framePeriod;   // scrambled layout only
  std::optional<int32_t> brightness;    // scrambled layout only
  bool modeBlock = false;
  int32_t modeCount = 1;                // 1 .. 80 when modeBlock
  ModeTable modes{};                    // rows 1 .. modeCount when modeBlock
};

// A decoded header, or the message that refuses it.
struct ModeFileDecode {
  std::optional<ModeNotice> refusal;
  ModeFileHeader header;
};

// The frame count of a header whose shift is undone, in either layout.
// REQUIRES: sector has at least 512 bytes.
int32_t modeFileFrames(const uint8_t* sector);

// Decodes a header whose shift is undone. Positions past byte 511 read what
// the buffer holds there; `size` bounds every read. Refused: a mode block
// declaring fewer than 1 or more than 80 modes, or one whose entries lie
// before the buffer (byte 76 - byte 61 below -79) or past `size`.
// REQUIRES: size >= 512.
ModeFileDecode decodeModeFile(const uint8_t* sector, std::size_t size);

// Replaces the mode block of a header sector as stored in a card: undoes
// its shift, writes the block of `modes` (the header's draws, in order),
// shifts it again by the same distance (with its draws) and sets the check
// bytes. Every byte outside the block, bytes 8 .. 7 + s and the check bytes
// keeps its value. REQUIRES: sector has at least kHeaderScratchBytes bytes;
// 1 <= modes.count <= 80, modes.table set.
void rewriteModeBlock(Generator& rng, uint8_t* sector, const ModeSettings& modes);

}  // namespace led2vqn
