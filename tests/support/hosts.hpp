// What the tests and the fuzz targets put in place of the window: a port
// that records what the window shows, the window as a card writer sees it,
// and the window's state as one line of text.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "app/window_model.hpp"
#include "output/card_writer.hpp"

namespace led2vqn::support {

class RecordingPort : public WindowPort {
 public:
  void showMessage(const std::string& text) override { messages.push_back(text); }
  std::optional<std::string> openDialog(DialogKind) override {
    ++dialogs;
    if (answers.empty()) return std::nullopt;
    std::string a = answers.front();
    answers.pop_front();
    return a;
  }
  void reportError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::deque<std::string> answers;
  int dialogs = 0;  // open dialogs asked for
};

class TestHost : public ConversionHost {
 public:
  RowCells rowCells(int row) const override { return rows.at(std::size_t(row - 1)); }
  int rowCount() const override { return static_cast<int>(rows.size()) + 1; }
  int32_t twoPortFlag(int row) const override { return row == twoPortRow ? 10 : 0; }
  std::string speedText() const override { return "25"; }
  std::string brightnessText() const override { return brightness; }
  ModeSettings modes() const override { return modeSettings; }
  void setProgressMax(int32_t) override {}
  void setProgress(int32_t) override {}
  bool cancelRequested() const override { return cancelAt > 0 && ++cancelChecks >= cancelAt; }

  std::vector<RowCells> rows;  // project rows 1, 2, ...
  int cancelAt = 0;            // > 0: the writer is cancelled at its cancelAt-th ask
  mutable int cancelChecks = 0;
  int twoPortRow = 0;          // the row whose "2 ports" box is checked
  std::string brightness = "100";
  ModeTable modeTable{};
  ModeSettings modeSettings{false, 1, &modeTable, 0};
};

// Every byte the card writers leave for later ones, and the generator.
inline uint64_t stateDigest(const EngineState& s) {
  uint64_t h = s.rng.seed();
  for (const ByteBuffer* b : {&s.sector, &s.frame, &s.work, &s.companion, &s.white, &s.portBits}) {
    for (std::size_t i = 0; i < b->size(); i += 8) {
      uint64_t word = 0;
      std::memcpy(&word, b->data() + i, std::min<std::size_t>(8, b->size() - i));
      h = (h ^ word) * 0x100000001B3u;
    }
  }
  return h;
}

// The language, the file count, the fields and the modes of the window.
inline std::string windowState(const WindowModel& m) {
  const Controls& c = m.controls();
  const ModeState& s = m.modeState();
  std::ostringstream out;
  out << (m.languageFlag() == kEnglish ? "en" : "zh") << ", files " << m.table().fileCount() << ", speed "
      << c[ControlId::kSpeedField].text << ", brightness " << c[ControlId::kBrightnessField].text << ", multimode "
      << (m.multiModeOn() ? "on" : "off") << ", " << s.count << " modes of " << s.frameLimit << " frames:";
  for (int i = 0; i < s.count; ++i) {
    const ModeRow& r = s.table[std::size_t(i)];
    out << " " << r.start << "-" << r.end << "/" << r.flag;
  }
  out << ", Save mode " << (c[ControlId::kSaveModeButton].enabled ? "on" : "off") << " " << s.path;
  return out.str();
}

}  // namespace led2vqn::support
