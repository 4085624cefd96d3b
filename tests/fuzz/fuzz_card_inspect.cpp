// Card inspection (the `inspect` command) on arbitrary files: the input is
// the whole card. The report must stay consistent with itself whatever the
// header claims (frame counts near 2^31, zero sectors per frame, a file that
// ends inside the header), and its text and JSON must be valid UTF-8.
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "output/card_inspect.hpp"

using namespace led2vqn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string& path = fuzz::writeScratchFile(data, size, ".vqn");
  const InspectReport report = inspectCard(path);
  if (report.openError) fuzz::broken("a readable card could not be opened: " + report.openError->text);
  if (report.fileBytes != size) fuzz::broken("wrong file size");
  if (report.headerRead != (size >= 512 && report.cardMagic)) fuzz::broken("header read from a file that does not hold one");
  if (report.notCard == report.cardMagic || (report.notCard && report.ok())) fuzz::broken("a file without card magic decoded");
  if (report.badBlocks > report.blocksChecked || report.listedBadBlocks.size() > kListedFrameFaults) {
    fuzz::broken("inconsistent block counts");
  }
  if (report.ok() && size < 512) fuzz::broken("a file without a header passes");
  const std::string text = inspectText(report);
  const std::string json = inspectJson(report);
  if (validUtf8(text) != text || validUtf8(json) != json) fuzz::broken("report is not valid UTF-8");
  if (json.empty() || json.front() != '{' || json.back() != '}') fuzz::broken("report is not one JSON object");
  return 0;
}
