#include <cstdio>
#include <iostream>
#include <vector>

#include "app/messages.hpp"
#include "app/settings_file.hpp"
#include "cli/commands.hpp"
#include "input/program_reader.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"

namespace led2vqn::cli {
namespace {

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", b);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* refusalName(ReaderRefusal r) {
  switch (r) {
    case ReaderRefusal::kOpenFile: return "open file";
    case ReaderRefusal::kFileType: return "file type";
    case ReaderRefusal::kControllerType: return "controller type";
    case ReaderRefusal::kChipType: return "chip type";
    case ReaderRefusal::kNoFrameLength: return "no frame length";
    case ReaderRefusal::kFrameTooLarge: break;
  }
  return "frame too large";
}

}  // namespace

int runInfo(const std::vector<std::string>& files, bool json, const std::string& settingsPath) {
  // The settings file is read as the window reads it, but never created here.
  std::vector<uint8_t> buffer(kSettingsReadBytes);
  NibbleTable table{};
  if (fileExists(settingsPath)) table = readSettings(settingsPath, buffer.data()).table;

  bool allAccepted = true;
  for (const std::string& file : files) {
    const ReadOutcome read = readProgramFile(file, table, buffer.data());
    if (read.info) {
      const ProgramInfo& i = *read.info;
      if (json) {
        std::cout << "{\"file\":" << jsonString(file) << ",\"accepted\":true,\"frames\":" << i.frames
                  << ",\"ports\":" << i.ports << ",\"pixels\":" << i.pixels << ",\"frameLength\":" << i.frameLength
                  << "}\n";
      } else {
        std::cout << file << ": " << i.frames << " frames, " << i.ports << " ports, " << i.pixels
                  << " pixels, frame length " << i.frameLength << "\n";
      }
      continue;
    }
    allAccepted = false;
    const std::string reason = read.error ? read.error->text
                                          : messageText(readerRefusalMessage(read.refusal.value_or(ReaderRefusal::kOpenFile)),
                                                        kEnglish);
    if (json) {
      const std::string kind = read.error ? "input/output error" : refusalName(read.refusal.value_or(ReaderRefusal::kOpenFile));
      std::cout << "{\"file\":" << jsonString(file) << ",\"accepted\":false,\"refusal\":" << jsonString(kind)
                << ",\"message\":" << jsonString(reason) << "}\n";
    } else {
      std::cout << file << ": " << reason << "\n";
    }
  }
  return allAccepted ? kExitOk : kExitMessages;
}

}  // namespace led2vqn::cli
