// The settings file on arbitrary contents: the input is the whole file.
// readSettings reads it into a buffer of exactly the bytes it may use; the
// language follows from byte 7 when the file holds more than 32 bytes;
// saveLanguage then rewrites byte 7 and nothing else, and never grows the file.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "app/settings_file.hpp"
#include "fuzz_support.hpp"

using namespace led2vqn;

namespace {

std::vector<uint8_t> contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kSettingsReadBytes]);

  const std::string& path = fuzz::writeScratchFile(data, size, ".sdc");
  const SettingsLoad load = readSettings(path, buffer.get());
  if (load.error) fuzz::broken("a readable settings file gave an error: " + load.error->text);

  const bool holdsSomething = size > 32;
  const int32_t language = holdsSomething && data[7] == 0x31 ? 10 : 0;
  if (load.languageFlag != language) fuzz::broken("wrong language");

  const int32_t flag = size % 2 == 0 ? 10 : 0;
  if (auto e = saveLanguage(path, flag)) fuzz::broken("saveLanguage failed: " + e->text);
  std::vector<uint8_t> expected(data, data + size);
  if (holdsSomething) expected[7] = flag != 0 ? 0x31 : 0x30;
  if (contentOf(path) != expected) fuzz::broken("saveLanguage changed more than the language byte");
  return 0;
}
