#include "modes/mode_file.hpp"

#include <array>
#include <cstring>

#include "modes/mode_panel.hpp"
#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "output/engine_state.hpp"
#include "base/file_io.hpp"

namespace led2vqn {
namespace {

// The lowest Z whose first start pair (bytes 79 + Z and 80 + Z) lies inside the sector.
constexpr int32_t kLowestModeBlockZ = -79;

// A card opened in place for reading and writing, never created; its header
// is read and written back at offset 0.
class InPlaceFile {
 public:
  std::optional<IoError> open(const std::string& path) {
    path_ = path;
    if (auto e = file_.openRegular(path, platform::Access::kReadWrite)) return ioError("Cannot open", path, *e);
    if (auto e = file_.size(size_)) return ioError("Cannot read the size of", path, *e);
    return std::nullopt;
  }

  uint64_t size() const { return size_; }

  // Reads the first n bytes; a short read is an error.
  std::optional<IoError> readStart(uint8_t* into, std::size_t n) const {
    std::size_t got = 0;
    while (got < n) {
      std::size_t r = 0;
      if (auto e = file_.readAt(got, into + got, n - got, r)) return ioError("Cannot read", path_, *e);
      if (r == 0) return IoError{"Cannot read " + path_ + ": the file ends at byte " + std::to_string(got)};
      got += r;
    }
    return std::nullopt;
  }

  // Writes n bytes at offset 0 with one write. Should the system take only
  // part of them, the bytes that were there before (`previous`) are put back
  // and the failure is reported.
  std::optional<IoError> overwriteStart(const uint8_t* data, const uint8_t* previous, std::size_t n) {
    std::size_t written = 0;
    if (auto e = file_.writeAt(0, data, n, written)) return ioError("Cannot write", path_, *e);
    if (written == n) return std::nullopt;
    std::size_t back = 0;
    const bool restored = !file_.writeAt(0, previous, written, back) && back == written;
    return IoError{"Cannot write " + path_ + ": only " + std::to_string(written) + " of " + std::to_string(n) +
                   " bytes were written" + (restored ? " (the header was put back)" : "")};
  }

  std::optional<IoError> close() {
    if (auto e = file_.close()) return ioError("Cannot write", path_, *e);
    return std::nullopt;
  }

 private:
  platform::File file_;
  uint64_t size_ = 0;
  std::string path_;
};

}  // namespace

int32_t modeFileFrames(const uint8_t* sector) {
  if (sector[16] >= kScrambledLayoutFrom) return decodeUnshifted(sector, kSectorBytes).frames;
  return static_cast<int32_t>(getLe32(sector + 12));
}

ModeFileDecode decodeModeFile(const uint8_t* sector, std::size_t size) {
  const DecodedHeader d = decodeUnshifted(sector, size);
  ModeFileDecode out;
  ModeFileHeader& h = out.header;
  if (sector[16] >= kScrambledLayoutFrom) {
    h.frames = d.frames;
    h.framePeriod = d.framePeriod;
    h.brightness = d.brightness;
  } else {
    h.frames = static_cast<int32_t>(getLe32(sector + 12));
  }
  h.modeBlock = d.modeBlock;
  if (!d.modeBlock) return out;
  if (d.modeCount < kMinModes || d.modeCount > kMaxModes) {
    out.refusal = ModeNotice::kModeCountRange;
    return out;
  }
  if (d.z < kLowestModeBlockZ || d.modes.size() < static_cast<std::size_t>(d.modeCount)) {
    out.refusal = ModeNotice::kModeBlockOutside;
    return out;
  }
  h.modeCount = d.modeCount;
  for (int32_t i = 0; i < d.modeCount; ++i) h.modes[static_cast<std::size_t>(i)] = d.modes[static_cast<std::size_t>(i)];
  return out;
}

void rewriteModeBlock(Generator& rng, uint8_t* sector, const ModeSettings& modes) {
  const int s = headShift(sector[6]);
  shiftDown(sector, s);
  writeModeBlock(rng, sector, modes);
  shiftUp(rng, sector, s);
  setCheckBytes(sector, kSectorBytes);
}

ModeFileOutcome ModePanel::readModeFile(EngineState& engine, const std::string& path, ModeFileHeader& header) {
  uint8_t* sector = engine.sector.data();
  {
    ReadOnlyFile file;
    if (auto e = file.open(path)) {
      if (namesNoFile(path)) return {ModeNotice::kOpenFile, {}};
      return {{}, e->text};
    }
    uint64_t size = 0;
    if (auto e = file.size(size)) return {{}, e->text};
    if (size < kSectorBytes) return {ModeNotice::kOpenFile, {}};
    if (auto e = file.readAt(0, sector, kSectorBytes)) return {{}, e->text};
  }

  if (sector[0] != 'K' || sector[1] != 'W') return {ModeNotice::kFileType, {}};
  if (!checkBytesHold(sector, kSectorBytes)) return {ModeNotice::kOpenFile, {}};
  shiftDown(sector, headShift(sector[6]));
  const ModeFileDecode decoded = decodeModeFile(sector, engine.sector.size());
  if (decoded.refusal) return {decoded.refusal, {}};

  // Accepted whole: only now does the panel change.
  header = decoded.header;
  state_.frameLimit = header.frames;
  state_.count = 1;
  if (header.modeBlock) {
    state_.count = header.modeCount;
    for (int32_t i = 0; i < state_.count; ++i) {
      state_.table[static_cast<std::size_t>(i)] = header.modes[static_cast<std::size_t>(i)];
    }
  } else {
    state_.table[0].start = 1;  // the direction flag stays as it was
    state_.table[0].end = header.frames;
  }
  state_.path = path;
  return {};
}

ModeFileOutcome ModePanel::saveModeFile(EngineState& engine) const {
  const ModeState& modes = state_;
  uint8_t* sector = engine.sector.data();

  InPlaceFile file;
  if (auto e = file.open(modes.path)) {
    if (namesNoFile(modes.path)) return {ModeNotice::kOpenFile, {}};
    return {{}, e->text};
  }
  if (file.size() < kSectorBytes) return {ModeNotice::kOpenFile, {}};
  if (auto e = file.readStart(sector, kSectorBytes)) return {{}, e->text};
  if (sector[0] != 'K' || sector[1] != 'W' || sector[2] != 'D') return {ModeNotice::kNoSavedModes, {}};

  // The header's own frame count must reach the frame limit the modes were set against.
  std::array<uint8_t, kHeaderScratchBytes> before{};
  std::memcpy(before.data(), sector, before.size());
  std::array<uint8_t, kHeaderScratchBytes> unshifted = before;
  shiftDown(unshifted.data(), headShift(unshifted[6]));
  if (modeFileFrames(unshifted.data()) < modes.frameLimit) return {ModeNotice::kModeFrames, {}};

  rewriteModeBlock(engine.rng, sector, ModeSettings{true, modes.count, &modes.table, modes.frameLimit});
  std::optional<IoError> e = file.overwriteStart(sector, before.data(), kSectorBytes);
  std::optional<IoError> closed = file.close();
  if (!e) e = std::move(closed);
  if (e) return {{}, e->text};
  return {ModeNotice::kModeSaved, {}};
}

}  // namespace led2vqn
