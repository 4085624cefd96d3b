// Read mode and Save mode on arbitrary cards: the input is the whole file.
//
// decodeModeFile runs on a buffer of exactly max(512, input) bytes, so that
// AddressSanitizer sees any read past `size`. readModeFile then reads the file
// into a window: a refused file must leave the window's mode state as it
// was; an accepted one gives 1 .. 80 modes and enables Save mode. On a
// "KWD" card Save mode must succeed and a second readModeFile must give back the
// frame limit, speed, brightness and every mode whose frames survive the
// 16-bit store.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "modes/mode_file.hpp"
#include "support/hosts.hpp"

using namespace led2vqn;

namespace {

// A start or end frame that Save mode stores whole (3r + frame below 65536).
bool survivesTheStore(int32_t frame) { return frame >= 0 && frame <= 64851; }

WindowModel& window(support::RecordingPort& port) {
  static WindowModel* model = [&port] {
    auto* m = new WindowModel(port);
    m->windowCreated("/nonexistent-folder/Gcode.sdc");  // cannot be created: defaults
    m->multiModeClicked();                                 // multi-mode on, as for the Read mode button
    return m;
  }();
  return *model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static support::RecordingPort port;
  WindowModel& w = window(port);

  const std::vector<uint8_t> exact = fuzz::padded(data, size, 512);
  const ModeFileDecode decoded = decodeModeFile(exact.data(), exact.size());
  if (!decoded.refusal && decoded.header.modeBlock &&
      (decoded.header.modeCount < 1 || decoded.header.modeCount > kMaxModes)) {
    fuzz::broken("decodeModeFile accepted a mode count outside 1 .. 80");
  }

  const std::string& path = fuzz::writeScratchFile(data, size, ".vqn");
  port.messages.clear();
  port.errors.clear();
  const std::string before = support::windowState(w);
  w.readModeFile(path);
  if (!port.messages.empty() || !port.errors.empty()) {
    if (support::windowState(w) != before) fuzz::broken("a refused mode file changed the window");
    return 0;
  }
  const ModeState read = w.modeState();
  if (read.count < 1 || read.count > kMaxModes || !w.controls()[ControlId::kSaveModeButton].enabled || read.path != path) {
    fuzz::broken("an accepted mode file left an impossible mode state");
  }
  if (size < 3 || data[0] != 'K' || data[1] != 'W' || data[2] != 'D') return 0;

  const std::string fields = support::windowState(w);
  w.saveModeClicked();
  if (port.messages != std::vector<std::string>{messageText(Msg::kModeSaved, w.languageFlag())} || !port.errors.empty()) {
    fuzz::broken("Save mode failed on the card it just read");
  }
  port.messages.clear();
  w.readModeFile(path);
  if (!port.messages.empty() || !port.errors.empty()) fuzz::broken("the saved card is refused");
  const ModeState& again = w.modeState();
  if (support::windowState(w).substr(0, fields.find(" modes of ")) != fields.substr(0, fields.find(" modes of ")) ||
      again.count != read.count || again.frameLimit != read.frameLimit) {
    fuzz::broken("Save mode changed more than the mode block");
  }
  for (int32_t i = 0; i < read.count; ++i) {
    const ModeRow& a = read.table[static_cast<std::size_t>(i)];
    const ModeRow& b = again.table[static_cast<std::size_t>(i)];
    if (!survivesTheStore(a.start) || !survivesTheStore(a.end)) continue;
    if (a.start != b.start || a.end != b.end || (a.flag > 5) != (b.flag > 5)) {
      fuzz::broken("mode " + std::to_string(i + 1) + " did not survive Save mode");
    }
  }
  return 0;
}
