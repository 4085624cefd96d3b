#include "input/program_reader.hpp"

#include <limits>
#include <utility>

#include "base/bytes.hpp"

namespace led2vqn {

namespace {

constexpr uint64_t kHeaderBytes = kSectorBytes;

// One byte of the frame length from an encoded byte and its key byte.
int32_t decodeByte(uint8_t encoded, uint8_t key, const NibbleTable& t) {
  const int32_t high = t[(key >> 4) * 16 + (encoded >> 4)] & 0x0F;
  const int32_t low = t[(key & 0x0F) * 16 + (encoded & 0x0F)] & 0x0F;
  return high * 16 + low;
}

ReadOutcome refused(ReaderRefusal r) {
  ReadOutcome out;
  out.refusal = r;
  return out;
}

ReadOutcome failed(IoError e) {
  ReadOutcome out;
  out.error = std::move(e);
  return out;
}

}  // namespace

int32_t decodeFrameLength(const uint8_t* h, const NibbleTable& table) {
  const int32_t a = decodeByte(h[5], h[9], table);
  const int32_t b = decodeByte(h[6], h[10], table);
  return b * 65536 + a * 256;
}

ReadOutcome readProgramFile(const std::string& path, const NibbleTable& table, uint8_t* headerBuffer) {
  ReadOnlyFile file;
  if (auto e = file.open(path)) {
    if (namesNoFile(path)) return refused(ReaderRefusal::kOpenFile);
    return failed(std::move(*e));
  }
  uint64_t size = 0;
  if (auto e = file.size(size)) return failed(std::move(*e));
  if (size < kHeaderBytes) return refused(ReaderRefusal::kOpenFile);
  if (auto e = file.readAt(0, headerBuffer, kHeaderBytes)) return failed(std::move(*e));

  const uint8_t* h = headerBuffer;
  if (h[1] != 'Q' || h[2] != 'W' || h[3] != 'M') return refused(ReaderRefusal::kFileType);
  if (h[0] != 1) return refused(ReaderRefusal::kControllerType);
  if (chipCodeOf(h[18], h[19]) != kDmx512Chip) return refused(ReaderRefusal::kChipType);

  const int32_t frameLength = decodeFrameLength(h, table);
  if (frameLength == 0) return refused(ReaderRefusal::kNoFrameLength);
  if (frameLength > kMaxFrameLength) return refused(ReaderRefusal::kFrameTooLarge);

  // The size is taken again for the frame count, as the file system reports it now.
  if (auto e = file.size(size)) return failed(std::move(*e));
  const uint64_t whole = size < kHeaderBytes ? 0 : (size - kHeaderBytes) / static_cast<uint64_t>(frameLength);
  constexpr uint64_t kMaxFrames = std::numeric_limits<int32_t>::max();

  ProgramInfo info;
  info.frameLength = frameLength;
  info.frames = static_cast<int32_t>(whole < kMaxFrames ? whole : kMaxFrames);
  info.ports = portsOfField(h[27]);
  const int32_t perPort = frameLength / info.ports / 3;
  info.pixels = (perPort < kMaxPixelsPerPort ? perPort : kMaxPixelsPerPort) * info.ports;
  ReadOutcome out;
  out.info = info;
  return out;
}

}  // namespace led2vqn
