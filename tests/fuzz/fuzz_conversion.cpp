// Conversion of any program file the reader accepts: the input is the whole
// program file. Header byte 4, which the reader ignores, picks the card
// model (low three bits), the "2 ports" box (bit 7), for Z71 RGBW the file
// as its own companion (bit 6), and (bit 5) whether a file too short for
// one frame is lengthened with zeros to hold one, so that frames of every
// length up to 350000 bytes are converted although inputs stay small.
// Files of more than two frames are skipped to keep runs short; the frame
// length and the ports, which decide every index the writers use, range
// freely.
//
// An accepted row must convert (or be refused for its port count), and the
// card must pass every check of the inspection: header fields, frame block
// check bytes and length.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "fuzz_support.hpp"
#include "input/program_reader.hpp"
#include "input/sample_files.hpp"
#include "output/card_inspect.hpp"
#include "output/card_writer.hpp"
#include "base/decimal_text.hpp"
#include "support/hosts.hpp"

using namespace led2vqn;

namespace {

constexpr int32_t kMostFrames = 2;
constexpr OutputKind kKinds[] = {OutputKind::kZ71Rgb, OutputKind::kJ9,  OutputKind::kZ58, OutputKind::kZ71Rgbw,
                                 OutputKind::kZ94,    OutputKind::kZ6,  OutputKind::kZ36, OutputKind::kZ71Rgb};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const NibbleTable table = samples::nibbleTable(7);
  static EngineState* state = new EngineState;

  const std::string& path = fuzz::writeScratchFile(data, size, ".led");
  if (size >= 512 && (data[4] & 0x20) != 0) {
    const int64_t frameLength = decodeFrameLength(data, table);
    if (frameLength > 0 && frameLength <= kMaxFrameLength && size < 512 + static_cast<std::size_t>(frameLength)) {
      if (::truncate(path.c_str(), 512 + frameLength) != 0) fuzz::broken("cannot lengthen the scratch file");
    }
  }
  const ReadOutcome read = readProgramFile(path, table, state->sector.data());
  if (!read.info || read.info->frames > kMostFrames) return 0;
  const ProgramInfo& info = *read.info;
  const uint8_t choice = data[4];
  const OutputKind kind = kKinds[choice & 7];
  // One project row (and, when asked, the same file as row 2), default fields, multi-mode off.
  support::TestHost host;
  host.rows.assign((choice & 0x40) != 0 ? 2 : 1,
                   RowCells{path, decimal(info.frames), decimal(info.ports), decimal(info.pixels), decimal(info.frameLength)});
  host.twoPortRow = (choice & 0x80) != 0 ? 1 : 0;

  const WriteResult result = writeCard(*state, kind, 1, host);
  switch (result.kind) {
    case WriteResult::Kind::kWritten: break;
    case WriteResult::Kind::kPortsWithoutLayout:
      if (result.portsUsed == 1 || result.portsUsed == 2 || result.portsUsed == 4 || result.portsUsed == 8) {
        fuzz::broken("refused a port count that has a layout");
      }
      return 0;
    case WriteResult::Kind::kModeFrames: fuzz::broken("mode frame refusal with multi-mode off");
    case WriteResult::Kind::kFailed: fuzz::broken("an accepted row failed: " + result.error);
  }
  const InspectReport report = inspectCard(result.cardPath);
  std::remove(result.cardPath.c_str());
  if (!report.ok()) fuzz::broken("the card fails inspection:\n" + inspectText(report));
  return 0;
}
