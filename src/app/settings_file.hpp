// The settings file Gcode.sdc beside the program: the interface language
// chosen last time and the NibbleTable the program file reader decodes frame
// lengths with.
//
//   offset  length  content
//   0       7       not used
//   7       1       language byte: 0x31 ("1") Chinese, anything else English;
//                   written as 0x31 or 0x30
//   8       504     not used
//   512     256     NibbleTable: entry j is the low nibble of byte 512 + j
//   768     232     not used (a complete file holds 1000 bytes)
//
// A file of 32 bytes or fewer holds nothing: English and a table of zeros.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "input/program_reader.hpp"
#include "base/file_io.hpp"

namespace led2vqn {

// Bytes readSettings takes from the start of the file.
inline constexpr std::size_t kSettingsReadBytes = 1000;

struct SettingsLoad {
  int32_t languageFlag = 0;  // 0 English, 10 Chinese
  NibbleTable table{};
  std::optional<IoError> error;  // the file is there but could not be read: the defaults hold
};

// readSettings: when the file is missing it is created empty (a failure to create
// is ignored); when its size is > 32: byte 7 sets the language (0x31 -> 10,
// else 0), and the bytes 0 .. 999 that exist are read into sectorBuffer;
// entry j = low nibble of byte 512 + j for the bytes that exist, 0 for the
// rest. A file that is there but cannot be opened or read leaves the
// defaults and sets `error`.
// REQUIRES: sectorBuffer has at least kSettingsReadBytes bytes.
SettingsLoad readSettings(const std::string& path, uint8_t* sectorBuffer);

// saveLanguage: never creates the file; when the file exists and is longer than
// 32 bytes, writes one byte at offset 7: 0x31 when languageFlag != 0, else
// 0x30; nothing else changes. nullopt on success or when there was nothing
// to write; an IoError when the write failed.
std::optional<IoError> saveLanguage(const std::string& path, int32_t languageFlag);

}  // namespace led2vqn
