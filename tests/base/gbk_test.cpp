#include "base/gbk_table.hpp"

#include <gtest/gtest.h>

#include "base/platform.hpp"

namespace led2vqn {
namespace {

std::string utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
  }
  s += static_cast<char>(0x80 | (cp & 0x3F));
  return s;
}

// The table stands in for the C library's converter where there is none:
// both must give the same bytes, or both none, for every character (also
// the tag characters U+E0000 .. U+E007F, which the C library's converter
// drops without a word: GBK cannot hold them, so they are refused).
TEST(GbkTable, AgreesWithTheConverterOnEveryCharacter) {
  platform::GbkEncoder encoder;
  int mismatches = 0;
  for (char32_t cp = 0x80; cp <= 0xE007F; cp = cp == 0xFFFF ? 0xE0000 : cp + 1) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::string ch = utf8Of(cp);
    std::string converted;
    std::string fromTable;
    const bool ok = encoder.append(ch.data(), ch.size(), converted);
    const bool tableOk = appendGbkFromTable(ch.data(), ch.size(), fromTable);
    if ((ok != tableOk || converted != fromTable) && ++mismatches <= 5) ADD_FAILURE() << "U+" << std::hex << uint32_t(cp);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace led2vqn
