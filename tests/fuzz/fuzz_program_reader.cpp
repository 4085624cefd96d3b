// The program file reader on arbitrary files: the input is the whole file.
// Beyond memory safety the target checks the reader's result against the
// header rules: the first failing check wins, an accepted file has a frame
// length the working buffers hold, and the derived numbers follow from it.
#include <cstdint>
#include <memory>

#include "fuzz_support.hpp"
#include "input/program_reader.hpp"
#include "input/sample_files.hpp"

using namespace led2vqn;

namespace {

constexpr std::size_t kHeaderBytes = 512;

// The reader's outcome that the header rules give for `data`.
ReaderRefusal expectedRefusal(const uint8_t* h, int32_t frameLength) {
  if (h[1] != 'Q' || h[2] != 'W' || h[3] != 'M') return ReaderRefusal::kFileType;
  if (h[0] != 1) return ReaderRefusal::kControllerType;
  if (chipCodeOf(h[18], h[19]) != kDmx512Chip) return ReaderRefusal::kChipType;
  if (frameLength == 0) return ReaderRefusal::kNoFrameLength;
  return ReaderRefusal::kFrameTooLarge;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const NibbleTable table = samples::nibbleTable(7);
  // Exactly the bytes the reader may use, so that AddressSanitizer sees any write past them.
  static const std::unique_ptr<uint8_t[]> header(new uint8_t[kHeaderBytes]);

  const std::string& path = fuzz::writeScratchFile(data, size, ".led");
  const ReadOutcome out = readProgramFile(path, table, header.get());
  if (out.error) fuzz::broken("input/output error on a readable file: " + out.error->text);

  if (size < kHeaderBytes) {
    if (out.refusal != ReaderRefusal::kOpenFile) fuzz::broken("a short file is not refused as Open File");
    return 0;
  }
  const int32_t frameLength = decodeFrameLength(data, table);
  if (!out.info) {
    if (!out.refusal || *out.refusal != expectedRefusal(data, frameLength)) fuzz::broken("wrong refusal");
    return 0;
  }
  const ProgramInfo& info = *out.info;
  if (data[0] != 1 || data[1] != 'Q' || data[2] != 'W' || data[3] != 'M' ||
      chipCodeOf(data[18], data[19]) != kDmx512Chip) {
    fuzz::broken("a header failing a check was accepted");
  }
  if (info.frameLength != frameLength || frameLength <= 0 || frameLength > kMaxFrameLength ||
      frameLength % 256 != 0) {
    fuzz::broken("frame length outside the working buffers");
  }
  if (info.ports != portsOfField(data[27]) || info.ports < 1 || info.ports > 8) fuzz::broken("wrong port count");
  if (info.frames != static_cast<int32_t>((size - kHeaderBytes) / static_cast<std::size_t>(frameLength))) {
    fuzz::broken("wrong frame count");
  }
  const int32_t perPort = frameLength / info.ports / 3;
  if (info.pixels != (perPort < kMaxPixelsPerPort ? perPort : kMaxPixelsPerPort) * info.ports) {
    fuzz::broken("wrong pixel count");
  }
  return 0;
}
