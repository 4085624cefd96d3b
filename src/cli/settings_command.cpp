#include <algorithm>
#include <filesystem>
#include <iostream>
#include <cstdio>

#include "app/settings_file.hpp"
#include "base/file_io.hpp"
#include "base/platform.hpp"
#include "base/utf8_path.hpp"
#include "cli/commands.hpp"
#include "cli/settings_discovery.hpp"

namespace led2vqn::cli {
namespace {

constexpr std::size_t kCopyChunk = 64 * 1024;

// Copies `from` over `to` whole, or leaves `to` as it was.
std::optional<IoError> copyWhole(const std::string& from, const std::string& to) {
  ReadOnlyFile in;
  if (auto e = in.open(from)) return e;
  AtomicFile out;
  if (auto e = out.create(to)) return e;
  std::vector<uint8_t> chunk(kCopyChunk);
  for (uint64_t at = 0;; at += chunk.size()) {
    std::size_t got = 0;
    if (auto e = in.readSomeAt(at, chunk.data(), chunk.size(), got)) return e;
    if (got == 0) break;
    if (auto e = out.append(chunk.data(), got)) return e;
  }
  return out.commit();
}

void describe(const SettingsChoice& choice) {
  std::cout << "settings file: " << choice.path << " (" << describeSource(choice.source) << ")\n";
  const platform::PathInfo info = platform::pathInfo(choice.path);
  if (info.kind == platform::PathKind::kMissing) {
    std::cout << "not there yet: the window creates it empty; until a settings file of the machine that made the "
                 "program files is there (led2vqn settings --import FILE), every frame length decodes to 0\n";
    return;
  }
  if (info.kind != platform::PathKind::kRegular) {
    std::cout << "not a regular file: it cannot be read\n";
    return;
  }
  std::vector<uint8_t> buffer(kSettingsReadBytes);
  const SettingsLoad load = readSettings(choice.path, buffer.data());
  if (load.error) {
    std::cout << "cannot be read: " << load.error->text << "\n";
    return;
  }
  if (info.size <= 32) {
    std::cout << "size: " << info.size << " bytes, which holds nothing (English, no frame-length entries)\n";
    return;
  }
  const auto set = std::count_if(load.table.begin(), load.table.end(), [](uint8_t v) { return v != 0; });
  char byte[8];
  std::snprintf(byte, sizeof byte, "0x%02X", buffer[7]);
  std::cout << "size: " << info.size << " bytes\n"
            << "language: " << (load.languageFlag != 0 ? "Chinese" : "English") << " (byte 7 is " << byte << ")\n"
            << "frame-length table: " << set << " of " << load.table.size() << " entries set\n";
}

}  // namespace

int runSettings(const std::optional<std::string>& settings, const std::optional<std::string>& importFrom) {
  if (settings) {
    if (auto e = unusableSettingsFile(*settings)) return usageError(*e);
  }
  if (importFrom) {
    if (platform::pathInfo(*importFrom).kind != platform::PathKind::kRegular) {
      return usageError("--import " + *importFrom + ": not an existing regular file");
    }
    const std::string target = perUserSettingsPath();
    if (target.empty()) {
      return usageError(std::string("--import: no per-user folder is known (set ") + platform::kUserConfigFolderVariables + ")");
    }
    std::error_code ignored;
    std::filesystem::create_directories(pathOfUtf8(target).parent_path(), ignored);
    if (auto e = copyWhole(*importFrom, target)) {
      std::cout.flush();
      std::cerr << "led2vqn: " << e->text << "\n";
      return kExitMessages;
    }
    std::cout << "imported " << *importFrom << " to " << target << "\n";
  }
  const SettingsChoice choice = findSettings(settings);
  describe(choice);
  if (importFrom && choice.path != perUserSettingsPath()) {
    std::cout.flush();
    std::cerr << "led2vqn: note: " << choice.path << " (" << describeSource(choice.source)
              << ") is used before the imported file\n";
  }
  return kExitOk;
}

}  // namespace led2vqn::cli
