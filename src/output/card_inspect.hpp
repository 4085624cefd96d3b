// Inspection of a card file: what its header sector declares, and whether the
// file holds what the header declares.
//
// A card is laid out as
//
//   offset                      length      content
//   0                           512         header sector (check bytes at 510, 511)
//   512 + (f - 1) * S * 512     S * 512     frame block f, f = 1 .. frames written
//   512 + n * S * 512           T           trailer of filler
//
// where S is the header's sectors per frame, n the number of frame blocks
// (the header's frame count, capped by some models) and T lies in the
// model's trailer range 117 .. T_max (T_max from the header's port count).
// Every frame block ends in two check bytes like the header sector.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/card_model.hpp"
#include "base/file_io.hpp"
#include "output/header.hpp"

namespace led2vqn {

inline constexpr std::size_t kListedFrameFaults = 10;

// The model whose magic is `magic` (6 bytes), also when its third byte was
// patched to 'D' (a card used as a mode file; `modeFileMagic` is set then).
// nullptr when no model has these letters.
const CardModel* cardModelOfMagic(const uint8_t* magic, bool& modeFileMagic);

// "Z71 RGB", "J9", ... for a model; "unknown" for nullptr.
std::string_view cardModelName(const CardModel* model);

// A frame block whose check bytes differ.
struct FrameFault {
  int64_t frame = 0;    // 1-based
  uint64_t offset = 0;  // file offset of the block
};

struct InspectReport {
  std::string path;
  std::optional<IoError> openError;   // the file could not be opened: nothing else is set
  uint64_t fileBytes = 0;
  bool headerRead = false;            // the file holds a whole header sector
  bool notCard = false;               // no card magic: nothing else is decoded
  bool startsLikeProgram = false;     // ... and bytes 1-3 are "QWM"

  std::array<uint8_t, 6> magic{};
  const CardModel* model = nullptr;   // nullptr: unknown letters (then no frame cap, widest trailer range)
  bool modeFileMagic = false;         // "KWD..."
  bool cardMagic = false;             // a model's magic, or any "KWD..." magic
  DecodedHeader header;
  std::optional<std::string> speed;   // 1000 / period, when the period is above 0

  int32_t frameCap = 0;                   // of the model; 0: every frame is written
  std::optional<int64_t> framesWritten;   // frame blocks the card must hold
  std::optional<uint64_t> blockBytes;     // S * 512
  int64_t blocksChecked = 0;              // whole blocks whose check bytes were tested
  int64_t badBlocks = 0;
  std::vector<FrameFault> listedBadBlocks;  // the first kListedFrameFaults of them
  std::optional<int64_t> truncatedInFrame;  // the file ends inside (or before) this block
  std::optional<int64_t> trailerBytes;      // bytes after the last frame block
  std::optional<int64_t> trailerMax;        // upper end of the trailer range

  // Every failed check, naming its place ("frame 17 (offset 5120): check bytes differ").
  std::vector<std::string> failures;

  bool ok() const { return !openError && failures.empty(); }
};

// Reads the card at `path` block by block (never the whole file at once) and
// checks its header, every frame block and its length.
InspectReport inspectCard(const std::string& path);

// The report as a readable summary, one check per line, ending in "OK" or
// "FAILED ...". Text is valid UTF-8 whatever bytes the path holds.
std::string inspectText(const InspectReport& report);

// The report as one JSON object on one line (no trailing newline).
std::string inspectJson(const InspectReport& report);

// `text` as valid UTF-8: every byte that is not part of a well-formed UTF-8
// sequence becomes U+FFFD.
std::string validUtf8(std::string_view text);

// `text` as a JSON string: valid UTF-8 (as validUtf8), '"' and '\\' escaped,
// other control characters as \u00XX.
std::string jsonQuoted(std::string_view text);

}  // namespace led2vqn
