// The program file reader on arbitrary files: the input is the whole file.
// Beyond memory safety: a readable file is never an input/output error, a
// file shorter than the header is refused, and an accepted file has a frame
// length the working buffers hold, 1 to 8 ports and its whole frames.
#include <cstdint>
#include <memory>

#include "fuzz_support.hpp"
#include "input/program_reader.hpp"
#include "input/sample_files.hpp"

using namespace led2vqn;

constexpr std::size_t kHeaderBytes = 512;

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
  if (!out.info) {
    if (!out.refusal || *out.refusal == ReaderRefusal::kOpenFile) fuzz::broken("a whole header refused as Open File");
    return 0;
  }
  const ProgramInfo& info = *out.info;
  if (info.frameLength <= 0 || info.frameLength > kMaxFrameLength || info.frameLength % 256 != 0) {
    fuzz::broken("frame length outside the working buffers");
  }
  if (info.ports < 1 || info.ports > 8) fuzz::broken("wrong port count");
  if (info.frames != static_cast<int32_t>((size - kHeaderBytes) / static_cast<std::size_t>(info.frameLength))) {
    fuzz::broken("wrong frame count");
  }
  return 0;
}
