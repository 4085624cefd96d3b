// GBK, the code page of Chinese Windows, as a table generated at build time
// from glibc's converter (scripts/gbk_table.py): for C libraries that have
// no GBK converter (WebAssembly). It gives the converter's bytes for every
// character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace led2vqn {

// The GBK code of a code point above U+007F (one byte below 0x100, else
// two, high byte first), or 0 when GBK has no exact counterpart.
uint16_t gbkCodeFromTable(char32_t codePoint);

// Appends the GBK bytes of the n-byte UTF-8 character at ch (ASCII as it
// is); false, and nothing appended, when GBK has none.
bool appendGbkFromTable(const char* ch, std::size_t n, std::string& out);

}  // namespace led2vqn
