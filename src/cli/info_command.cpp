#include <cstdio>
#include <iostream>
#include <vector>

#include "app/messages.hpp"
#include "app/settings_file.hpp"
#include "cli/commands.hpp"
#include "cli/replay.hpp"
#include "cli/settings_discovery.hpp"
#include "input/program_reader.hpp"
#include "output/card_inspect.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"

namespace led2vqn::cli {
namespace {


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

int runInfo(const std::vector<std::string>& files, bool json, const std::optional<std::string>& settings) {
  if (settings) {
    if (auto e = unusableSettingsFile(*settings)) return usageError(*e);
  }
  const SettingsChoice choice = findSettings(settings);
  // The settings file is read as the window reads it, but never created here.
  std::vector<uint8_t> buffer(kSettingsReadBytes);
  NibbleTable table{};
  if (fileExists(choice.path)) table = readSettings(choice.path, buffer.data()).table;

  bool allAccepted = true;
  if (json) std::cout << '[';
  for (std::size_t n = 0; n < files.size(); ++n) {
    const std::string& file = files[n];
    const std::string separator = n == 0 ? "" : ",\n";
    const ReadOutcome read = readProgramFile(file, table, buffer.data());
    if (read.info) {
      const ProgramInfo& i = *read.info;
      if (json) {
        std::cout << separator << "{\"path\":" << jsonQuoted(file) << ",\"accepted\":true,\"frames\":" << i.frames
                  << ",\"ports\":" << i.ports << ",\"pixels\":" << i.pixels << ",\"frameLength\":" << i.frameLength
                  << "}";
      } else {
        std::cout << file << ": " << i.frames << " frames, " << i.ports << " ports, " << i.pixels
                  << " pixels, frame length " << i.frameLength << "\n";
      }
      continue;
    }
    allAccepted = false;
    const ReaderRefusal refusal = read.refusal.value_or(ReaderRefusal::kOpenFile);
    const std::string reason = read.error ? read.error->text : messageText(readerRefusalMessage(refusal), kEnglish);
    if (json) {
      const std::string kind = read.error ? "input/output error" : refusalName(refusal);
      std::cout << separator << "{\"path\":" << jsonQuoted(file) << ",\"accepted\":false,\"refusal\":"
                << jsonQuoted(kind) << ",\"message\":" << jsonQuoted(reason) << "}";
    } else {
      std::cout << file << ": " << reason << "\n";
    }
    if (read.refusal == ReaderRefusal::kNoFrameLength) {
      std::cout.flush();
      std::cerr << "led2vqn: " << file << ": " << refusalReason(refusal, file, choice) << "\n";
    }
  }
  if (json) std::cout << "]\n";
  return allAccepted ? kExitOk : kExitMessages;
}

}  // namespace led2vqn::cli
