// The window model for the page's worker, behind a small embind interface.
//
// The page sends what a person does as lines of the `run` script language
// (add PATH, twoports 1 on, output z71rgb, ...); each line is replayed on the
// one window model of this session exactly as `led2vqn run` replays it, so a
// page and a script of the same actions write the same cards. Messages,
// error reports and progress go out through the JavaScript function given
// at construction: post(kind, text, position, maximum) with kind "message",
// "error" or "progress". The view re-reads the whole window as JSON text.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/controls.hpp"
#include "app/script.hpp"
#include "app/script_runner.hpp"
#include "app/window_model.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn::web {
namespace {

constexpr int kGridColumns = 4;  // label, path, frames, ports

void appendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

const char* jsonBool(bool b) { return b ? "true" : "false"; }

// The window's messages, error reports and progress, posted to the page;
// the open dialogs answer with the path queued by the script runner (the
// page copied the picked file into the worker's file system first).
class SessionPort : public ScriptPort {
 public:
  SessionPort(std::ostream& unused, emscripten::val post) : ScriptPort(unused), post_(std::move(post)) {}

  void showMessage(const std::string& text) override { post_(std::string("message"), text, 0, 0); }
  void reportError(const std::string& text) override { post_(std::string("error"), text, 0, 0); }
  void progressChanged(int32_t position, int32_t maximum) override {
    if (position == lastPosition_ && maximum == lastMaximum_) return;
    lastPosition_ = position;
    lastMaximum_ = maximum;
    post_(std::string("progress"), std::string(), position, maximum);
  }

 private:
  emscripten::val post_;
  int32_t lastPosition_ = -1;
  int32_t lastMaximum_ = -1;
};

}  // namespace

class Session {
 public:
  Session(emscripten::val post, const std::string& settingsPath, const std::string& folder)
      : port_(unused_, std::move(post)), model_(port_), runner_(model_, port_, folder) {
    model_.windowCreated(settingsPath);
  }

  // Replays one script line; "" when it ran, else why it could not happen.
  std::string apply(const std::string& line) {
    const std::vector<ScriptLine> lines = parseScript(line);
    if (lines.empty()) return std::string();
    const ScriptLine& first = lines.front();
    if (!first.action) return first.error;
    return runner_.apply(*first.action).value_or(std::string());
  }

  // The user picks item `index` of the mode selector (no script line: it
  // only shows that mode's range in the start and end fields).
  void choose(int index) {
    const ControlState& selector = model_.controls()[ControlId::kModeSelector];
    if (!model_.controls().clickable(ControlId::kModeSelector)) return;
    if (index < 0 || static_cast<std::size_t>(index) >= selector.items.size()) return;
    model_.chooseModeItem(index);
  }

  // For each key code 0 .. 127, whether the field's key filter passes it
  // ("1" or "0"), for SPEEDN, BRIGHTN, E11 and E22 in that order.
  static std::string keyFilters() {
    std::string out;
    for (auto accepts : {&WindowModel::speedFieldAccepts, &WindowModel::brightnessFieldAccepts,
                         &WindowModel::startFieldAccepts, &WindowModel::endFieldAccepts}) {
      for (char32_t k = 0; k < 128; ++k) out += accepts(k) ? '1' : '0';
    }
    return out;
  }

  // The window as JSON: every control by name, the grid cells, the
  // selected row, the progress bar and the language.
  std::string view() const {
    const Controls& c = model_.controls();
    std::string out = "{\"controls\":{";
    for (std::size_t i = 0; i < kControlCount; ++i) {
      const ControlState& s = c[static_cast<ControlId>(i)];
      if (i > 0) out += ',';
      appendJsonString(out, s.name);
      out += ":{\"caption\":";
      appendJsonString(out, s.caption);
      out += ",\"text\":";
      appendJsonString(out, s.text);
      out += ",\"items\":[";
      for (std::size_t k = 0; k < s.items.size(); ++k) {
        if (k > 0) out += ',';
        appendJsonString(out, s.items[k]);
      }
      out += "],\"enabled\":";
      out += jsonBool(s.enabled);
      out += ",\"visible\":";
      out += jsonBool(s.visible);
      out += ",\"checked\":";
      out += jsonBool(s.checked);
      out += ",\"clickable\":";
      out += jsonBool(c.clickable(static_cast<ControlId>(i)));
      out += '}';
    }
    out += "},\"grid\":[";
    const ProjectTable& t = model_.table();
    for (int r = 0; r < t.rowCount(); ++r) {
      if (r > 0) out += ',';
      out += '[';
      for (int col = 0; col < kGridColumns; ++col) {
        if (col > 0) out += ',';
        appendJsonString(out, t.cell(r, col));
      }
      out += ']';
    }
    out += "],\"selectedRow\":" + decimal(t.selectedRow());
    out += ",\"fileCount\":" + decimal(t.fileCount());
    out += ",\"progress\":" + decimal(model_.progressPosition());
    out += ",\"progressMax\":" + decimal(model_.progressMax());
    out += ",\"language\":" + decimal(model_.languageFlag());
    out += '}';
    return out;
  }

 private:
  std::ostringstream unused_;
  SessionPort port_;
  WindowModel model_;
  ScriptRunner runner_;
};

EMSCRIPTEN_BINDINGS(led2vqn_web) {
  emscripten::class_<Session>("Session")
      .constructor<emscripten::val, std::string, std::string>()
      .function("apply", &Session::apply)
      .function("view", &Session::view)
      .function("choose", &Session::choose)
      .class_function("keyFilters", &Session::keyFilters);
}

}  // namespace led2vqn::web
