// The seven card models, each described by its values. One skeleton
// (card_writer.cpp) converts a row for every model; the models differ only in
// the numbers below and in the geometry their column writer lays out
// (card_placement.hpp).
#pragma once

#include <cstdint>

#include "output/card_writer.hpp"

namespace led2vqn {

// Every card's trailer is drawn into FrameBuffer bytes 0 .. 34566, whatever
// its length; its length is kTrailerMinBytes plus a draw.
inline constexpr int32_t kTrailerFillBytes = 34567;
inline constexpr int32_t kTrailerMinBytes = 117;
// WorkBuffer bytes that get fresh random fill before every frame's placement.
inline constexpr int32_t kWorkFillBytes = 1024;
// BlockShift = RandomDraw(10000, kBlockShiftRange), 0 .. 16.
inline constexpr int32_t kBlockShiftRange = 17;

// base + RandomDraw(scale, range): a value drawn once per card.
struct DrawnValue {
  int32_t base = 0;
  int32_t range = 1;
};

// Where the column writer takes a port's bytes from.
enum class PixelSource {
  kFrame,     // the normalised FrameBuffer, channel k of port q at byte k * P + q
  kPortBits,  // the Z6 port bits, byte k of port q at portBitRow(q)[k]
};

// The frame image of a model: `columns` columns of `lines` lines per port. A
// line is a run of `stride` channels; a column takes `width` consecutive
// channels (1 or 2) of every line, so the last columns of a line reach into
// the next one. Lines are written last to first, and within a column of
// width 2 the second channel comes before the first.
struct ColumnGeometry {
  int32_t columns = 0;
  int32_t lines = 0;
  int32_t stride = 0;
  int32_t width = 2;
  int32_t whiteColumn = -1;  // column whose channels are the white table's byte of the line; -1: none
  PixelSource source = PixelSource::kFrame;
  bool scaled = true;        // values pass through the brightness scaling
};

// Bytes one group of `ports` (1, or 4 packed) occupies in the WorkBuffer.
constexpr int32_t groupBytes(const ColumnGeometry& g, int ports) {
  return g.columns * g.lines * g.width * (ports == 4 ? 4 : 1);
}

// CardTrailer length: RandomDraw(scale, PortsUsed * perPort + base) + 117.
struct TrailerRule {
  uint32_t scale = 0;
  int32_t perPort = 0;
  int32_t base = 0;
};

struct CardModel {
  OutputKind kind;
  const char* magic;              // six letters at header bytes 0 .. 5
  const char* suffix;             // after "_" and PortsUsed in the card's name
  DrawnValue offsetBelow4;        // HeadBlockOffset for PortsUsed 1 .. 3 (draw scale 10000)
  DrawnValue offsetFrom4;         // HeadBlockOffset for PortsUsed 4 or more (draw scale 10000)
  int32_t channelBytesCap;        // HeadChannelBytes = min(PortBytes, cap)
  DrawnValue blockPerPort;        // bytes per port behind SectorsPerFrame (draw scale 100000)
  bool onePort;                   // PortsUsed is always 1 (Z94)
  bool fillsWork;                 // WorkBuffer 0 .. 1023 get fresh draws every frame
  int32_t copyBelow4;             // WorkBuffer bytes copied behind the block head, PortsUsed < 4
  int32_t copyFrom4;              // the same for PortsUsed 4 or more
  int32_t frameCap;               // most frame blocks written; 0: every frame
  TrailerRule trailer;
  ColumnGeometry geometry;
};

// The description of the card written for `kind`; nullptr for a number that
// names no model.
const CardModel* cardModel(OutputKind kind);

}  // namespace led2vqn
