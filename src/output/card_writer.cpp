// One skeleton for every card model.
//
// Card file (F frames written, S sectors per frame block, L trailer bytes):
//
//   offset                    length    content
//   0                         512       header sector (header.hpp)
//   512 + (f-1) * S * 512     S * 512   frame block of frame f, f = 1 .. F
//   512 + F * S * 512         L         trailer of filler bytes
//
// Frame block (K = BlockShift, H = HeadBlockOffset):
//
//   byte               content
//   0, 1               byte(200) + 37, byte(200) + 23
//   2 .. K+1           WorkBuffer 0 .. K-1: this frame's random fill (J9: never written)
//   K+2 ..             first group of the column image (card_placement.hpp)
//   H+K+2 ..           second group, PortsUsed 2 and 8
//   elsewhere          the WorkBuffer as earlier frames, rows and batches left it
//   S*512-2, S*512-1   check bytes (bytes.hpp)
//
// The block is the start of the SectorBuffer after WorkBuffer 0 .. copy-1
// went to SectorBuffer 2 onwards (copy = the model's copyBelow4/copyFrom4).
// Only the block reaches the file, so each frame copies the block's part and
// the rest of the copy is made once, after the last frame: the buffers end as
// the whole copy in every frame would leave them.
//
// Draws per card, in this order: HeadBlockOffset, BlockShift, BlockPerPort,
// the header's (saveHead); per frame the 1024 WorkBuffer fills (all but J9),
// the block's two head bytes and, below four ports, one unused byte(200);
// then the trailer's length and its 34567 fill bytes.
#include "output/card_writer.hpp"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/bytes.hpp"
#include "output/card_model.hpp"
#include "output/card_placement.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"
#include "base/platform.hpp"

namespace led2vqn {

namespace {

// The numbers of a project row (columns 2 .. 5).
struct RowNumbers {
  int32_t frames = 0;       // F
  int32_t ports = 0;        // P
  int32_t pixels = 0;       // N
  int32_t frameLength = 0;  // bytes per frame in the program file

  int32_t slotsPerPort() const { return pixels / ports + 1; }
  // Bytes of one port stream; FrameNormalisation covers streamBytes * P.
  int32_t streamBytes() const { return 3 * (slotsPerPort() + 1); }
  uint64_t frameOffset(int32_t f) const {
    return kSectorBytes + uint64_t(f - 1) * uint64_t(frameLength);
  }
};

std::string notAnInteger(const std::string& text) { return "'" + text + "' is not a valid integer value"; }

std::optional<std::string> readRowNumbers(const RowCells& cells, RowNumbers& out) {
  struct Cell {
    const std::string* text;
    int32_t* into;
  };
  for (const Cell& cell : {Cell{&cells.ports, &out.ports}, Cell{&cells.frames, &out.frames},
                           Cell{&cells.pixels, &out.pixels}, Cell{&cells.frameLength, &out.frameLength}}) {
    const auto v = parseInteger(*cell.text);
    if (!v) return notAnInteger(*cell.text);
    *cell.into = *v;
  }
  return std::nullopt;
}

// A row whose numbers would take an index outside the buffers (or that no
// program file gives) is refused before anything is drawn.
std::optional<std::string> rowOutsideBuffers(const RowNumbers& n, const std::string& path) {
  const std::string row = path + ": ";
  if (n.ports < 1 || n.ports > 8) return row + "the port count " + decimal(n.ports) + " is not 1 .. 8";
  if (n.frames < 0 || n.pixels < 0) return row + "a negative frame or pixel count";
  if (n.frameLength < 1 || n.frameLength > int32_t(kWorkingBufferBytes)) {
    return row + "the frame length " + decimal(n.frameLength) + " is outside 1 .. " +
           decimal(kWorkingBufferBytes);
  }
  // A port stream fills at most one white table row; all of them, the frame's groups.
  const int64_t streamBytes = 3 * (int64_t{n.pixels} / n.ports + 2);
  if (streamBytes > int64_t(kWhiteRowBytes) || streamBytes * n.ports > int64_t(kWorkingBufferBytes)) {
    return row + decimal(n.pixels) + " pixels over " + decimal(n.ports) + " ports do not fit a frame";
  }
  return std::nullopt;
}

std::optional<std::string> readRow(const RowCells& cells, RowNumbers& out) {
  if (auto e = readRowNumbers(cells, out)) return e;
  return rowOutsideBuffers(out, cells.path);
}

// The second project row of a Z71 RGBW conversion: its W column source.
class Companion {
 public:
  // Reads and checks row 2 when the table has one.
  std::optional<std::string> load(ConversionHost& host) {
    if (host.rowCount() <= 2) return std::nullopt;
    const RowCells cells = host.rowCells(2);
    path_ = cells.path;
    present_ = true;
    return readRow(cells, row_);
  }

  // ReadZ71W(f): frame f of the companion, normalised, into white rows
  // 0 .. P2-1; zeros in bytes 0 .. 49 of rows 0 .. 7 when there is no
  // companion or it has fewer than f frames.
  std::optional<IoError> readZ71W(EngineState& state, int32_t f) {
    if (!present_ || row_.frames < f) {
      constexpr std::size_t kClearedBytes = 50;
      for (int q = 0; q < kWhiteRows; ++q) std::memset(state.whiteRow(q), 0, kClearedBytes);
      return std::nullopt;
    }
    if (!file_.isOpen()) {
      if (auto e = file_.open(path_)) return e;
    }
    if (auto e = file_.readAt(row_.frameOffset(f), state.companion.data(), size_t(row_.frameLength))) return e;
    frameNormalisation(state.companion.data(), row_.ports, row_.slotsPerPort() + 1);
    uint8_t* rows[kWhiteRows];
    for (int q = 0; q < kWhiteRows; ++q) rows[q] = state.whiteRow(q);
    splitPorts(state.companion.data(), row_.ports, row_.streamBytes(), rows);
    return std::nullopt;
  }

 private:
  bool present_ = false;
  RowNumbers row_;
  std::string path_;
  ReadOnlyFile file_;  // open from the first frame it supplies
};

// What holds for every frame of one card.
struct CardPlan {
  const CardModel* model = nullptr;
  RowNumbers row;
  int32_t portsUsed = 0;
  int32_t blockOffset = 0;  // H
  int32_t blockShift = 0;   // K
  int32_t blockBytes = 0;   // S * 512
  int32_t copyBytes = 0;    // WorkBuffer bytes a frame copies behind the block head
  int32_t framesWritten = 0;
};

constexpr bool hasLayout(int32_t portsUsed) {
  return portsUsed == 1 || portsUsed == 2 || portsUsed == 4 || portsUsed == 8;
}

// The Z6 port streams (white rows) and port bits of the normalised frame.
void buildPortBitsOfFrame(EngineState& state, const RowNumbers& row) {
  uint8_t* rows[kWhiteRows];
  for (int q = 0; q < kWhiteRows; ++q) rows[q] = state.whiteRow(q);
  splitPorts(state.frame.data(), row.ports, row.streamBytes(), rows);
  for (int q = 0; q < row.ports; ++q) buildPortBits(state.whiteRow(q), row.streamBytes(), state.portBitRow(q));
}

// Frame f is normalised in the FrameBuffer: build its block in the SectorBuffer.
void convertFrame(EngineState& state, const CardPlan& plan, const ScaleTable& scale) {
  const CardModel& m = *plan.model;
  if (m.geometry.source == PixelSource::kPortBits) buildPortBitsOfFrame(state, plan.row);
  if (m.fillsWork) {
    uint8_t fill[kWorkFillBytes];  // drawn apart from the WorkBuffer, whose stores could alias the seed
    for (uint8_t& b : fill) b = static_cast<uint8_t>(state.rng.draw(1024, 215));
    std::memcpy(state.work.data(), fill, sizeof fill);
  }
  placeFrame(m.geometry, state, plan.row.ports, plan.portsUsed, plan.blockShift, plan.blockOffset, scale);
  state.sector[0] = static_cast<uint8_t>(state.rng.byte(200) + 37);
  state.sector[1] = static_cast<uint8_t>(state.rng.byte(200) + 23);
  if (plan.portsUsed < 4) state.rng.byte(200);
  // The block's share of the copy; its last two bytes become check bytes.
  std::memcpy(state.sector.data() + 2, state.work.data(), std::size_t(plan.blockBytes - 4));
  setCheckBytes(state.sector.data(), std::size_t(plan.blockBytes));
}

// The part of the per-frame copy that lies past the block, made once.
void copyPastBlock(EngineState& state, const CardPlan& plan) {
  const int32_t from = plan.blockBytes - 2;  // WorkBuffer byte that lands on SectorBuffer byte blockBytes
  if (plan.copyBytes > from) {
    std::memcpy(state.sector.data() + plan.blockBytes, state.work.data() + from, std::size_t(plan.copyBytes - from));
  }
}

std::optional<std::string> writeFrames(EngineState& state, const CardPlan& plan, const std::string& programPath,
                                       Companion& companion, const ScaleTable& scale, ConversionHost& host,
                                       AtomicFile& card) {
  ReadOnlyFile program;
  if (auto e = program.open(programPath)) return e->text;
  int32_t converted = 0;
  std::optional<std::string> failure;
  for (int32_t f = 1; f <= plan.framesWritten; ++f) {
    if (plan.model->geometry.whiteColumn >= 0) {
      if (auto e = companion.readZ71W(state, f)) {
        failure = e->text;
        break;
      }
    }
    host.setProgress(f / 10);
    if (auto e = program.readAt(plan.row.frameOffset(f), state.frame.data(), std::size_t(plan.row.frameLength))) {
      failure = e->text;
      break;
    }
    frameNormalisation(state.frame.data(), plan.row.ports, plan.row.slotsPerPort() + 1);
    convertFrame(state, plan, scale);
    ++converted;
    if (auto e = card.append(state.sector.data(), std::size_t(plan.blockBytes))) {
      failure = e->text;
      break;
    }
  }
  if (converted > 0) copyPastBlock(state, plan);
  return failure;
}

std::optional<IoError> writeTrailer(EngineState& state, const CardPlan& plan, AtomicFile& card) {
  const TrailerRule& t = plan.model->trailer;
  const int32_t length = state.rng.draw(t.scale, plan.portsUsed * t.perPort + t.base) + kTrailerMinBytes;
  for (int32_t i = 0; i < kTrailerFillBytes; ++i) state.frame[i] = static_cast<uint8_t>(state.rng.byte(200) + 57);
  return card.append(state.frame.data(), std::size_t(length));
}

WriteResult failed(WriteResult r, std::string error) {
  r.kind = WriteResult::Kind::kFailed;
  r.error = std::move(error);
  return r;
}

}  // namespace

std::string cardName(const std::string& programPath, int32_t portsUsed, const std::string& suffix) {
  const auto separator = platform::lastSeparator(programPath);
  const auto dot = programPath.rfind('.');
  const bool inFileName = dot != std::string::npos && (separator == std::string::npos || dot > separator);
  return (inFileName ? programPath.substr(0, dot) : programPath) + "_" + decimal(portsUsed) + suffix;
}

WriteResult writeCard(EngineState& state, OutputKind kind, int row, ConversionHost& host) {
  WriteResult result;
  const CardModel* model = cardModel(kind);
  if (model == nullptr) return failed(result, "output kind " + decimal(int32_t(kind)) + " names no card model");
  const CardModel& m = *model;

  // The row, checked whole before anything is drawn.
  const RowCells cells = host.rowCells(row);
  result.programPath = cells.path;
  CardPlan plan;
  plan.model = model;
  if (auto e = readRow(cells, plan.row)) return failed(result, *e);
  plan.portsUsed = plan.row.ports;
  if (host.twoPortFlag(row) > 1 && plan.row.ports > 2) plan.portsUsed = 2;
  if (m.onePort) plan.portsUsed = 1;
  result.portsUsed = plan.portsUsed;
  result.cardPath = host.placeOutput(cardName(cells.path, plan.portsUsed, m.suffix));
  if (!hasLayout(plan.portsUsed)) {
    result.kind = WriteResult::Kind::kPortsWithoutLayout;
    return result;
  }
  Companion companion;
  if (m.geometry.whiteColumn >= 0) {
    if (auto e = companion.load(host)) return failed(result, *e);
  }
  host.setProgressMax(plan.row.frames / 10);

  Generator& rng = state.rng;
  const bool wide = plan.portsUsed >= 4;
  const DrawnValue& offset = wide ? m.offsetFrom4 : m.offsetBelow4;
  plan.blockOffset = offset.base + rng.draw(10000, offset.range);
  AtomicFile card;
  if (auto e = card.create(result.cardPath)) return failed(result, e->text);

  HeadInputs head;
  head.ports = plan.portsUsed;
  head.format = 1;
  head.blockOffset = plan.blockOffset;
  head.frames = plan.row.frames;
  head.channelBytes = std::min(3 * plan.row.slotsPerPort(), m.channelBytesCap);
  plan.blockShift = rng.draw(10000, kBlockShiftRange);
  const int32_t blockPerPort = m.blockPerPort.base + rng.draw(100000, m.blockPerPort.range);
  const int32_t sectors = (blockPerPort * plan.portsUsed + plan.blockShift + 511) / 512;
  plan.blockBytes = sectors * int32_t(kSectorBytes);
  plan.copyBytes = wide ? m.copyFrom4 : m.copyBelow4;
  plan.framesWritten = m.frameCap > 0 ? std::min(plan.row.frames, m.frameCap) : plan.row.frames;
  head.frameSectors = sectors;
  head.blockShift = plan.blockShift;
  const std::string speed = host.speedText();
  const std::string brightness = host.brightnessText();
  head.framePeriod = framePeriodOfSpeedText(speed);
  head.brightness = parseInteger(brightness);

  uint8_t* sector = state.sector.data();
  std::memcpy(sector, m.magic, 6);
  sector[6] = 0;
  switch (saveHead(rng, sector, head, host.modes())) {
    case HeadResult::kOk:
      break;
    case HeadResult::kModeFrames:
      result.kind = WriteResult::Kind::kModeFrames;
      return result;
    case HeadResult::kBadSpeed:
      return failed(result, "'" + speed + "' is not a valid floating point value");
    case HeadResult::kBadBrightness:
      return failed(result, notAnInteger(brightness));
  }
  if (auto e = card.append(sector, kSectorBytes)) return failed(result, e->text);

  // The brightness read for the header holds for every frame: nothing can
  // change the field while a card is written.
  const ScaleTable scale = m.geometry.scaled ? brightnessTable(*head.brightness) : identityTable();
  if (auto e = writeFrames(state, plan, cells.path, companion, scale, host, card)) return failed(result, *e);
  if (auto e = writeTrailer(state, plan, card)) return failed(result, e->text);
  if (auto e = card.commit()) return failed(result, e->text);
  result.kind = WriteResult::Kind::kWritten;
  return result;
}

}  // namespace led2vqn
