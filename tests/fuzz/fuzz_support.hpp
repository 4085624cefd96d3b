// What the fuzz targets share: a scratch file that holds the current input
// for the code that reads files, and a way to report a broken property.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace led2vqn::fuzz {

// A file of this process in $TMPDIR (or /tmp), created on the first call and
// removed at exit; each call replaces its whole content with `data`.
// Returns its path.
const std::string& writeScratchFile(const uint8_t* data, std::size_t size, const char* extension);

// The input zero-padded to at least `least` bytes: a buffer of exactly that
// size, so that AddressSanitizer sees any read past it.
std::vector<uint8_t> padded(const uint8_t* data, std::size_t size, std::size_t least);

// Reports a property that does not hold and aborts, so that libFuzzer keeps
// the input as a crash.
[[noreturn]] void broken(const std::string& what);

}  // namespace led2vqn::fuzz
