// Reading a card back: which frame block bytes carry each channel of each
// port, and the channel bytes a card's frames play.
//
// The map comes from the placement itself (card_placement.hpp): the model's
// column writer is run on probe frames whose every source byte names its own
// position (three runs, one byte of the name each; once per model and port
// count, with the groups side by side), and the bytes it lays out
// are read back. So no layout is described twice.
//
// A channel of a port is on the card when a slot of its group holds it, that
// slot lies in the frame block before its check bytes, and no later group
// overwrote any byte of it. Everything else (the last two slots of a port,
// channels past the layout, slots a second group covers, the RGB channels
// that a white column takes the place of) is not on the card. Z6 cards carry
// one bit per channel (lit when the channel's value is above 100); their
// port bits cover the stream's whole bytes of eight channels only.
//
// Port q (0-based) of a card is port q of the frame after FrameNormalisation:
// the program file's port P - q.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.hpp"
#include "output/card_model.hpp"
#include "output/header.hpp"

namespace led2vqn {

// One channel's place in a frame block.
struct ChannelSource {
  static constexpr uint8_t kWholeByte = 0xFF;
  int32_t at = -1;               // block offset of the slot; -1: not on the card
  uint8_t lanes = 1;             // 1, or 4 ports packed with BitPlanePack in 4 bytes
  uint8_t lane = 0;              // the port's place among the packed ports
  uint8_t bit = kWholeByte;      // Z6: the bit of the port-bits byte

  bool onCard() const { return at >= 0; }
};

// The draws that fix where a card's groups lie.
struct CardPlacement {
  int32_t portsUsed = 1;
  int32_t blockOffset = 0;  // H
  int32_t blockShift = 0;   // K
  int32_t blockBytes = 0;   // S * 512
};

// For every port q < portsUsed: the source of channel k < channels and of
// white line l < whiteLines (the white column's lines; 0 without one).
struct CardMap {
  int32_t portsUsed = 0;
  int32_t channels = 0;
  int32_t whiteLines = 0;
  bool onOff = false;  // Z6: every channel is one bit
  std::vector<ChannelSource> channel;  // [q * channels + k]
  std::vector<ChannelSource> white;    // [q * whiteLines + l]

  const ChannelSource& of(int q, int32_t k) const { return channel[std::size_t(q) * std::size_t(channels) + std::size_t(k)]; }
  const ChannelSource& whiteOf(int q, int32_t l) const {
    return white[std::size_t(q) * std::size_t(whiteLines) + std::size_t(l)];
  }
};

// Channel bytes of the card's stream per port: 3 * (HeadChannelBytes / 3 - 1),
// the pixel positions before the last two slots.
int32_t channelsOfHeader(int32_t channelBytes);

// Where a card of `model` with this placement carries channels 0 .. channels-1.
// REQUIRES: placementFits(model, placement).
CardMap mapCard(const CardModel& model, const CardPlacement& placement, int32_t channels);

// True when the placement's groups lie inside the working buffers and the
// block (every header a writer makes; not every header a file can hold).
bool placementFits(const CardModel& model, const CardPlacement& placement);

// The positions that every card of the model with these ports carries,
// whatever its draws: `at` is 0 for those, -1 for the rest.
CardMap mapAlwaysCarried(const CardModel& model, int32_t portsUsed, int32_t channels);

// The value a source holds in a frame block: the byte, or 255 / 0 for a set
// or clear bit. REQUIRES: s.onCard() and the slot inside the block.
uint8_t sourceValue(const uint8_t* block, const ChannelSource& s);

// One frame as a card plays it; the positions not on the card are 0.
struct CardFrame {
  std::vector<uint8_t> channels;  // [q * channels + k]
  std::vector<uint8_t> white;     // [q * whiteLines + l]
};

// Reads a card's header and then its frames one block at a time.
class CardDecoder {
 public:
  enum class FrameState {
    kOk,
    kCheckBytesDiffer,  // decoded, but the block's check bytes do not hold
    kMissing,           // the file ends before the block does
    kReadError,
  };

  // Reads and checks the header; the refusal in plain words otherwise.
  std::optional<std::string> open(const std::string& path);

  const CardModel& model() const { return *model_; }
  const DecodedHeader& header() const { return header_; }
  const CardMap& map() const { return map_; }
  const CardPlacement& placement() const { return placement_; }
  int32_t framesDeclared() const { return header_.frames; }
  int32_t framesOnCard() const { return framesOnCard_; }  // the header's frames, capped by the model
  int32_t wholeBlocks() const { return wholeBlocks_; }    // frame blocks the file holds whole
  int32_t pixelsPerPort() const { return map_.channels / 3; }

  // Decodes frame f (1-based) into `out`, sized by the first call.
  FrameState read(int32_t f, CardFrame& out);
  const std::optional<IoError>& readError() const { return readError_; }

 private:
  const CardModel* model_ = nullptr;
  DecodedHeader header_;
  CardPlacement placement_;
  CardMap map_;
  int32_t framesOnCard_ = 0;
  int32_t wholeBlocks_ = 0;
  ReadOnlyFile file_;
  std::vector<uint8_t> block_;
  std::optional<IoError> readError_;
};

}  // namespace led2vqn
