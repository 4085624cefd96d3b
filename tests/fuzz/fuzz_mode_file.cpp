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

#include "app/window_model.hpp"
#include "fuzz_support.hpp"
#include "modes/mode_file.hpp"

using namespace led2vqn;

namespace {

class Port : public WindowPort {
 public:
  void showMessage(const std::string& text) override { shown.push_back(text); }
  std::optional<std::string> openDialog(DialogKind) override { return std::nullopt; }
  void reportError(const std::string& text) override { shown.push_back("error: " + text); }
  std::vector<std::string> shown;
};

struct Snapshot {
  ModeTable table;
  int32_t count;
  int32_t frameLimit;
  std::string path;
  std::string speed;
  std::string brightness;
  bool saveEnabled;

  static Snapshot of(const WindowModel& w) {
    const ModeState& m = w.modeState();
    const Controls& c = w.controls();
    return Snapshot{m.table, m.count, m.frameLimit, m.path, c[ControlId::kSpeedField].text, c[ControlId::kBrightnessField].text,
                    c[ControlId::kSaveModeButton].enabled};
  }

  bool operator==(const Snapshot& o) const {
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].start != o.table[i].start || table[i].end != o.table[i].end || table[i].flag != o.table[i].flag) {
        return false;
      }
    }
    return count == o.count && frameLimit == o.frameLimit && path == o.path && speed == o.speed &&
           brightness == o.brightness && saveEnabled == o.saveEnabled;
  }
};

// A start or end frame that Save mode stores whole (3r + frame below 65536).
bool survivesTheStore(int32_t frame) { return frame >= 0 && frame <= 64851; }

WindowModel& window(Port& port) {
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
  static Port port;
  WindowModel& w = window(port);

  const std::size_t exactSize = std::max<std::size_t>(size, 512);
  const std::unique_ptr<uint8_t[]> exact(new uint8_t[exactSize]());
  std::memcpy(exact.get(), data, size);
  const ModeFileDecode decoded = decodeModeFile(exact.get(), exactSize);
  if (!decoded.refusal && decoded.header.modeBlock &&
      (decoded.header.modeCount < 1 || decoded.header.modeCount > kMaxModes)) {
    fuzz::broken("decodeModeFile accepted a mode count outside 1 .. 80");
  }

  const std::string& path = fuzz::writeScratchFile(data, size, ".vqn");
  port.shown.clear();
  const Snapshot before = Snapshot::of(w);
  w.readModeFile(path);
  const Snapshot read = Snapshot::of(w);
  if (!port.shown.empty()) {
    if (!(read == before)) fuzz::broken("a refused mode file changed the window: " + port.shown[0]);
    return 0;
  }
  if (read.count < 1 || read.count > kMaxModes || !read.saveEnabled || read.path != path) {
    fuzz::broken("an accepted mode file left an impossible mode state");
  }
  if (size < 3 || data[0] != 'K' || data[1] != 'W' || data[2] != 'D') return 0;

  w.saveModeClicked();
  if (port.shown != std::vector<std::string>{messageText(Msg::kModeSaved, w.languageFlag())}) {
    fuzz::broken("Save mode failed on the card it just read: " + (port.shown.empty() ? "" : port.shown[0]));
  }
  port.shown.clear();
  w.readModeFile(path);
  if (!port.shown.empty()) fuzz::broken("the saved card is refused: " + port.shown[0]);
  const Snapshot again = Snapshot::of(w);
  if (again.count != read.count || again.frameLimit != read.frameLimit || again.speed != read.speed ||
      again.brightness != read.brightness) {
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
