#include "base/gbk_table.hpp"

#include <algorithm>
#include <iterator>

namespace led2vqn {
namespace {

struct GbkEntry {
  uint16_t codePoint;
  uint16_t code;
};

constexpr GbkEntry kTable[] = {
#include "gbk_table.inc"
};

// The code point of a UTF-8 character of 1 to 3 bytes; GBK holds nothing
// beyond the Basic Multilingual Plane, so longer ones give none.
char32_t codePointOf(const char* ch, std::size_t n) {
  const auto b = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(ch[k])); };
  switch (n) {
    case 1: return b(0);
    case 2: return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3: return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    default: return 0x110000;
  }
}

}  // namespace

uint16_t gbkCodeFromTable(char32_t codePoint) {
  const auto at = std::lower_bound(std::begin(kTable), std::end(kTable), codePoint,
                                   [](const GbkEntry& e, char32_t cp) { return e.codePoint < cp; });
  return at != std::end(kTable) && at->codePoint == codePoint ? at->code : 0;
}

bool appendGbkFromTable(const char* ch, std::size_t n, std::string& out) {
  const char32_t cp = codePointOf(ch, n);
  if (cp < 0x80) {
    out += static_cast<char>(cp);
    return true;
  }
  const uint16_t code = gbkCodeFromTable(cp);
  if (code == 0) return false;
  if (code > 0xFF) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
  return true;
}

}  // namespace led2vqn
