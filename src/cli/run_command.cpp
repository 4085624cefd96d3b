#include <iostream>
#include <string_view>

#include "app/script_runner.hpp"
#include "base/file_io.hpp"
#include "base/platform.hpp"
#include "cli/commands.hpp"
#include "cli/replay.hpp"
#include "cli/settings_discovery.hpp"

namespace led2vqn::cli {
namespace {

constexpr uint64_t kMaxScriptBytes = uint64_t{64} << 20;

// Whether `s` is well-formed UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF).
bool wellFormedUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) n = 1;
    else if (b == 0xE0) n = 2, low = 0xA0;
    else if (b == 0xED) n = 2, high = 0x9F;
    else if (b >= 0xE1 && b <= 0xEF) n = 2;
    else if (b == 0xF0) n = 3, low = 0x90;
    else if (b == 0xF4) n = 3, high = 0x8F;
    else if (b >= 0xF1 && b <= 0xF3) n = 3;
    else return false;
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
    }
    i += n + 1;
  }
  return true;
}

// The script's bytes, or the reason it cannot be had.
std::optional<std::string> readScript(const std::string& path, std::string& script) {
  ReadOnlyFile file;
  if (auto e = file.open(path)) return e->text;
  uint64_t size = 0;
  if (auto e = file.size(size)) return e->text;
  if (size > kMaxScriptBytes) return "the script " + path + " is larger than 64 MiB";
  script.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (auto e = file.readSomeAt(0, reinterpret_cast<uint8_t*>(script.data()), script.size(), got)) return e->text;
  script.resize(got);
  if (!wellFormedUtf8(script)) return "the script " + path + " is not UTF-8 text";
  return std::nullopt;
}

}  // namespace

int usageError(const std::string& text) {
  std::cout.flush();
  std::cerr << "led2vqn: " << text << "\n";
  return kExitUsage;
}

int runScript(const std::string& scriptPath, const std::optional<std::string>& settings, ReplayFlags flags) {
  std::string script;
  if (const std::optional<std::string> e = readScript(scriptPath, script)) return usageError(*e);
  const std::vector<ScriptLine> lines = parseScript(script);

  const SettingsChoice choice = findSettings(settings);
  preparePerUserFolder(choice);
  platform::removeTemporariesOnInterrupt();
  CliPort port(std::cout, showProgress(flags.progress, flags.quiet));
  WindowModel model(port);
  model.windowCreated(choice.path);
  if (const std::optional<ScriptStop> stop = replay(lines, model, port, choice)) {
    return usageError(scriptPath + ": " + stop->text);
  }
  return port.errorLines() > 0 ? kExitMessages : kExitOk;
}

}  // namespace led2vqn::cli
