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
// Only the block reaches the file, and a frame writes the same WorkBuffer
// bytes as the frames before it in the card (its fill and its groups), so
// each frame is built straight into a block that holds the WorkBuffer as the
// card found it; the last frame is built again in the WorkBuffer and the rest
// of the copy is made once: the buffers end as the whole copy in every frame
// would leave them.
//
// Frames are read and built in order on the caller's thread; their check
// bytes and writes may follow on a second thread, up to
// EngineState::writerSlots blocks behind (so the file sees frame f's block
// after frame f+1 .. f+slots-1 were read). What the file and the buffers end
// with does not depend on it.
//
// Draws per card, in this order: HeadBlockOffset, BlockShift, BlockPerPort,
// the header's (saveHead); per frame the 1024 WorkBuffer fills (all but J9),
// the block's two head bytes and, below four ports, one unused byte(200);
// then the trailer's length and its 34567 fill bytes.
#include "output/card_writer.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "base/bytes.hpp"
#include "output/card_model.hpp"
#include "output/card_placement.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"
#include "base/platform.hpp"
#include "base/write_behind.hpp"

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

// Bytes 0 .. 49 of each white row are cleared for a frame without companion.
constexpr std::size_t kClearedWhiteBytes = 50;

// The bytes past a frame in its buffer that FrameNormalisation reaches
// (streamBytes * P beyond the frame length): the only ones there that a
// frame changes and that do not come from the frame alone.
class TailBytes {
 public:
  TailBytes() = default;
  TailBytes(std::size_t from, std::size_t to) : from_(from), size_(to > from ? to - from : 0) {}
  std::size_t size() const { return size_; }
  void save(const uint8_t* buffer, uint8_t* into) const {
    if (size_ > 0) std::memcpy(into, buffer + from_, size_);
  }
  void restore(const uint8_t* from, uint8_t* buffer) const {
    if (size_ > 0) std::memcpy(buffer + from_, from, size_);
  }

 private:
  std::size_t from_ = 0;
  std::size_t size_ = 0;
};

TailBytes tailOf(const RowNumbers& n) {
  return TailBytes(std::size_t(n.frameLength), std::size_t(n.streamBytes()) * std::size_t(n.ports));
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

  // True when ReadZ71W(f) reads frame f of the companion.
  bool supplies(int32_t f) const { return present_ && row_.frames >= f; }
  int32_t frameLength() const { return present_ ? row_.frameLength : 0; }
  // CompanionBuffer bytes past the frame that its normalisation reaches.
  TailBytes tail() const { return present_ ? tailOf(row_) : TailBytes{}; }

  // Frame f of the companion file as stored; `got` is the count of bytes read.
  std::optional<IoError> read(int32_t f, uint8_t* into, std::size_t& got) {
    got = 0;
    if (!file_.isOpen()) {
      if (auto e = file_.open(path_)) return e;
    }
    return file_.readAt(row_.frameOffset(f), into, std::size_t(row_.frameLength), &got);
  }

  // ReadZ71W(f) of the frame as `read` gave it: normalised in the
  // CompanionBuffer, into white rows 0 .. P2-1. Without one (`stored` null,
  // no companion or fewer than f frames), zeros in bytes 0 .. 49 of rows 0 .. 7.
  void apply(EngineState& state, const uint8_t* stored) const {
    if (stored == nullptr) {
      for (int q = 0; q < kWhiteRows; ++q) std::memset(state.whiteRow(q), 0, kClearedWhiteBytes);
      return;
    }
    normaliseFrameFrom(stored, row_.frameLength, state.companion.data(), row_.ports, row_.slotsPerPort() + 1);
    uint8_t* rows[kWhiteRows];
    for (int q = 0; q < kWhiteRows; ++q) rows[q] = state.whiteRow(q);
    splitPorts(state.companion.data(), row_.ports, row_.streamBytes(), rows);
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

// How a frame block is made.
enum class BlockBuild {
  kFromWork,  // in the WorkBuffer, then copied into the block with its check bytes
  kInBlock,   // in the block itself, which stands for the WorkBuffer from byte 2
              // (FrameRing::holdWork) and whose check bytes the writer sets
};

// Frame f is normalised in the FrameBuffer: build its block at `block`. The
// SectorBuffer is left alone; finishFrames puts the last block there.
void convertFrame(EngineState& state, const CardPlan& plan, const ScaleTable& scale, uint8_t* block,
                  BlockBuild build) {
  const CardModel& m = *plan.model;
  uint8_t* work = build == BlockBuild::kInBlock ? block + 2 : state.work.data();
  if (m.geometry.source == PixelSource::kPortBits) buildPortBitsOfFrame(state, plan.row);
  if (m.fillsWork) {
    uint8_t fill[kWorkFillBytes];  // drawn apart from the WorkBuffer, whose stores could alias the seed
    for (uint8_t& b : fill) b = static_cast<uint8_t>(state.rng.draw(1024, 215));
    std::memcpy(work, fill, sizeof fill);
  }
  placeFrame(m.geometry, state, plan.row.ports, plan.portsUsed, plan.blockShift, plan.blockOffset, scale, work);
  block[0] = static_cast<uint8_t>(state.rng.byte(200) + 37);
  block[1] = static_cast<uint8_t>(state.rng.byte(200) + 23);
  if (plan.portsUsed < 4) state.rng.byte(200);
  if (build == BlockBuild::kInBlock) return;
  // The block's share of the copy; its last two bytes become check bytes.
  std::memcpy(block + 2, state.work.data(), std::size_t(plan.blockBytes - 4));
  setCheckBytes(block, std::size_t(plan.blockBytes));
}

// One frame as it went into the card, and what it found in the buffers, so
// that the state after it can be made again once later frames have run on.
struct FrameSlot {
  uint8_t* program = nullptr;        // the program frame as read
  uint8_t* companion = nullptr;      // RGBW: the companion frame as read
  uint8_t* block = nullptr;          // the frame block (and the placement's bytes past it)
  uint8_t* frameTail = nullptr;      // FrameBuffer tail bytes before the frame
  uint8_t* companionTail = nullptr;  // CompanionBuffer tail bytes before the frame
  uint8_t* whiteHeads = nullptr;     // RGBW: bytes 0 .. 49 of the white rows before the frame
  uint32_t seedBefore = 0;
  bool companionRead = false;        // ReadZ71W read a companion frame
};

// The frames a card writer may have built ahead of the file, and the one it
// builds: with `inFlight` blocks not yet written at most, frame f uses slot
// f mod (inFlight + 1), which frame f - inFlight - 1 left once written, so
// that the slots of the frame before f and of the first unwritten one stay
// as they were. Allocated once per card.
class FrameRing {
 public:
  FrameRing(int inFlight, const CardPlan& plan, const Companion& companion)
      : inFlight_(inFlight), blockBytes_(std::size_t(plan.blockBytes)), frameTail_(tailOf(plan.row)),
        companionTail_(companion.tail()) {
    const int count = inFlight + 1;
    const bool white = plan.model->geometry.whiteColumn >= 0;
    const std::size_t whiteHeads = white ? kWhiteRows * kClearedWhiteBytes : 0;
    // A block built in place takes the fill's and the placement's bytes past its end too.
    const auto placed = std::size_t(
        2 + placementEnd(plan.model->geometry, plan.portsUsed, plan.blockShift, plan.blockOffset));
    const std::size_t blockSpace = std::max({std::size_t(plan.blockBytes), placed, std::size_t{2 + kWorkFillBytes}});
    const std::size_t perSlot = std::size_t(plan.row.frameLength) + std::size_t(companion.frameLength()) +
                                blockSpace + frameTail_.size() + companionTail_.size() + whiteHeads;
    bytes_.reset(new uint8_t[perSlot * std::size_t(count)]);
    uint8_t* at = bytes_.get();
    auto take = [&at](std::size_t n) {
      uint8_t* p = n > 0 ? at : nullptr;
      at += n;
      return p;
    };
    for (int i = 0; i < count; ++i) {
      FrameSlot& s = slots_[i];
      s.program = take(std::size_t(plan.row.frameLength));
      s.companion = take(std::size_t(companion.frameLength()));
      s.block = take(blockSpace);
      s.frameTail = take(frameTail_.size());
      s.companionTail = take(companionTail_.size());
      s.whiteHeads = take(whiteHeads);
    }
  }

  int inFlight() const { return inFlight_; }
  FrameSlot& of(int32_t f) { return slots_[f % (inFlight_ + 1)]; }

  // Every block takes the WorkBuffer as it is before the first frame: what a
  // frame does not write there stays so for the whole card.
  void holdWork(const EngineState& state) {
    for (int i = 0; i <= inFlight_; ++i) std::memcpy(slots_[i].block + 2, state.work.data(), blockBytes_ - 4);
  }

  // Keeps what frame f may change beyond what it rebuilds whole.
  void saveBefore(const EngineState& state, FrameSlot& s) const {
    s.seedBefore = state.rng.seed();
    frameTail_.save(state.frame.data(), s.frameTail);
    companionTail_.save(state.companion.data(), s.companionTail);
    if (s.whiteHeads != nullptr) {
      for (int q = 0; q < kWhiteRows; ++q) {
        std::memcpy(s.whiteHeads + q * kClearedWhiteBytes, state.white.data() + q * kWhiteRowBytes, kClearedWhiteBytes);
      }
    }
  }
  void restoreBefore(EngineState& state, const FrameSlot& s) const {
    state.rng.rewindTo(s.seedBefore);
    frameTail_.restore(s.frameTail, state.frame.data());
    companionTail_.restore(s.companionTail, state.companion.data());
    if (s.whiteHeads != nullptr) {
      for (int q = 0; q < kWhiteRows; ++q) {
        std::memcpy(state.white.data() + q * kWhiteRowBytes, s.whiteHeads + q * kClearedWhiteBytes, kClearedWhiteBytes);
      }
    }
  }

 private:
  int inFlight_;
  std::size_t blockBytes_;
  TailBytes frameTail_;
  TailBytes companionTail_;
  std::unique_ptr<uint8_t[]> bytes_;
  FrameSlot slots_[WriteBehind::kMaxQueued + 1];
};

// The part of the per-frame copy that lies past the block, made once.
void copyPastBlock(EngineState& state, const CardPlan& plan) {
  const int32_t from = plan.blockBytes - 2;  // WorkBuffer byte that lands on SectorBuffer byte blockBytes
  if (plan.copyBytes > from) {
    std::memcpy(state.sector.data() + plan.blockBytes, state.work.data() + from, std::size_t(plan.copyBytes - from));
  }
}

// How the frames of a card ended.
struct FramesOutcome {
  bool cancelled = false;
  std::optional<std::string> error;
};

// Converts and writes frames 1 .. framesWritten. Frame f is read and built
// here, in order, and its block handed to `writer`, which writes it now or
// on its thread while the next frames are built. Whatever ends the frames
// (a failed read or write, a cancel), the generator and the buffers end as
// they would had every block been written before the next frame was read:
// after the last frame whose block went into the file, or after the frame
// before the failed read with its bytes read so far, where the one-thread
// order leaves them.
class FrameLoop {
 public:
  FrameLoop(EngineState& state, const CardPlan& plan, Companion& companion, const ScaleTable& scale)
      : state_(state), plan_(plan), companion_(companion), scale_(scale),
        ring_(std::clamp(state.writerSlots, 1, WriteBehind::kMaxQueued), plan, companion) {}

  FramesOutcome run(const std::string& programPath, ConversionHost& host, AtomicFile& card) {
    FramesOutcome out;
    ReadOnlyFile program;
    if (auto e = program.open(programPath)) {
      out.error = e->text;
      return out;
    }
    const bool white = plan_.model->geometry.whiteColumn >= 0;
    WriteBehind writer(card, ring_.inFlight() > 1,
                       [](uint8_t* block, std::size_t n) { setCheckBytes(block, n); });
    ring_.holdWork(state_);
    int32_t built = 0;
    for (int32_t f = 1; f <= plan_.framesWritten; ++f) {
      if (host.cancelRequested()) {
        out.cancelled = true;
        break;
      }
      if (!writer.waitForRoom(ring_.inFlight() - 1)) break;
      FrameSlot& s = ring_.of(f);
      ring_.saveBefore(state_, s);
      std::size_t got = 0;
      if (white) {
        s.companionRead = companion_.supplies(f);
        if (s.companionRead) {
          if (auto e = companion_.read(f, s.companion, got)) {
            readFailure(out, *e, s.companion, state_.companion.data(), got);
            break;
          }
        }
        companion_.apply(state_, s.companionRead ? s.companion : nullptr);
      }
      host.setProgress(f / 10);
      if (auto e = program.readAt(plan_.row.frameOffset(f), s.program, std::size_t(plan_.row.frameLength), &got)) {
        readFailure(out, *e, s.program, state_.frame.data(), got);
        if (white) partial_.companionBefore = f;
        break;
      }
      // Only the ports the placement reads: the last frame is normalised whole
      // when it is computed again at the end.
      normaliseFrameFrom(s.program, plan_.row.frameLength, state_.frame.data(), plan_.row.ports,
                         plan_.row.slotsPerPort() + 1, portsRead());
      convertFrame(state_, plan_, scale_, s.block, BlockBuild::kInBlock);
      writer.push(s.block, std::size_t(plan_.blockBytes));
      built = f;
    }
    int64_t written = 0;
    std::optional<IoError> writeFailure = writer.drain(written);
    // The first failure in frame order is a failed write: nothing after its
    // frame counts, a failed read included.
    const int32_t last = writeFailure ? static_cast<int32_t>(written) + 1 : built;
    // The last frame that counts is computed again, whole and in the
    // WorkBuffer, over what the frames after it (if any) left: the buffers
    // end as it leaves them.
    if (last > 0) {
      rebuild(last);
      finish(last);
    }
    if (writeFailure) {
      out.cancelled = false;
      out.error = writeFailure->text;
    } else if (partial_.into != nullptr) {
      if (partial_.companionBefore > 0) {
        const FrameSlot& s = ring_.of(partial_.companionBefore);
        companion_.apply(state_, s.companionRead ? s.companion : nullptr);
      }
      std::memcpy(partial_.into, partial_.from, partial_.bytes);
    }
    return out;
  }

 private:
  // A read that failed: its bytes so far land in the buffer once no earlier
  // write has failed, after the companion frame read before it, if any.
  struct PartialRead {
    const uint8_t* from = nullptr;
    uint8_t* into = nullptr;
    std::size_t bytes = 0;
    int32_t companionBefore = 0;
  };

  void readFailure(FramesOutcome& out, const IoError& e, const uint8_t* from, uint8_t* into, std::size_t got) {
    out.error = e.text;
    partial_ = PartialRead{from, into, got};
  }

  // Frame f computed again from its slot over whatever later frames left.
  void rebuild(int32_t f) {
    FrameSlot& s = ring_.of(f);
    ring_.restoreBefore(state_, s);
    if (plan_.model->geometry.whiteColumn >= 0) companion_.apply(state_, s.companionRead ? s.companion : nullptr);
    normaliseFrameFrom(s.program, plan_.row.frameLength, state_.frame.data(), plan_.row.ports,
                       plan_.row.slotsPerPort() + 1);
    convertFrame(state_, plan_, scale_, s.block, BlockBuild::kFromWork);
  }

  // The ports of the normalised frame the placement reads: the Z6 port bits
  // come from every port.
  int portsRead() const {
    return plan_.model->geometry.source == PixelSource::kFrame ? plan_.portsUsed : plan_.row.ports;
  }

  // The SectorBuffer as the copy of frame f, the last one, leaves it, made once.
  void finish(int32_t f) {
    std::memcpy(state_.sector.data(), ring_.of(f).block, std::size_t(plan_.blockBytes));
    copyPastBlock(state_, plan_);
  }

  EngineState& state_;
  const CardPlan& plan_;
  Companion& companion_;
  const ScaleTable& scale_;
  FrameRing ring_;
  PartialRead partial_;
};

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

int32_t portsUsedFor(const CardModel& model, int32_t ports, bool twoPorts) {
  if (model.onePort) return 1;
  return twoPorts && ports > 2 ? 2 : ports;
}

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
  plan.portsUsed = portsUsedFor(m, plan.row.ports, host.twoPortFlag(row) > 1);
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
  card.reserve(kSectorBytes + uint64_t(plan.framesWritten) * uint64_t(plan.blockBytes));

  // The brightness read for the header holds for every frame: nothing can
  // change the field while a card is written.
  const ScaleTable scale = m.geometry.scaled ? brightnessTable(*head.brightness) : identityTable();
  const FramesOutcome frames = FrameLoop(state, plan, companion, scale).run(cells.path, host, card);
  if (frames.error) return failed(result, *frames.error);
  if (frames.cancelled) {
    result.kind = WriteResult::Kind::kCancelled;
    return result;
  }
  if (auto e = writeTrailer(state, plan, card)) return failed(result, e->text);
  if (auto e = card.commit()) return failed(result, e->text);
  result.kind = WriteResult::Kind::kWritten;
  return result;
}

}  // namespace led2vqn
