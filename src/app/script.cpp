#include "app/script.hpp"

#include <array>
#include <utility>

namespace led2vqn {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kMaxNumberDigits = 9;

struct ModelName {
  std::string_view name;  // as the command line names it
  OutputKind kind;
  std::string_view cardName;    // as the card's file name names it
  std::string_view buttonName;  // as the output button names it, where that differs
};

constexpr std::array<ModelName, 7> kModels = {{
    {"z71rgb", OutputKind::kZ71Rgb, "z71rgb", ""},
    {"j9", OutputKind::kJ9, "j9", "z2.8"},
    {"z58", OutputKind::kZ58, "z58rgb", ""},
    {"z71rgbw", OutputKind::kZ71Rgbw, "z71rgbw", ""},
    {"z94", OutputKind::kZ94, "z94rgb", ""},
    {"z6", OutputKind::kZ6, "z6", "z6.3"},
    {"z36", OutputKind::kZ36, "z36", ""},
}};

bool sameLetters(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (c != lower[i]) return false;
  }
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> splitBlanks(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < s.size()) {
    while (at < s.size() && isBlank(s[at])) ++at;
    const std::size_t from = at;
    while (at < s.size() && !isBlank(s[at])) ++at;
    if (at > from) words.push_back(s.substr(from, at - from));
  }
  return words;
}

std::optional<int32_t> number(std::string_view s) {
  if (s.empty() || s.size() > kMaxNumberDigits) return std::nullopt;
  int32_t v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

std::optional<bool> onOff(std::string_view s) {
  if (s == "on") return true;
  if (s == "off") return false;
  return std::nullopt;
}

// Parses one action line; fills `error` when it is malformed.
std::optional<ScriptAction> parseAction(std::string_view line, std::string& error) {
  const std::vector<std::string_view> words = splitBlanks(line);
  const std::string_view verb = words[0];
  const std::string_view rest = trim(line.substr(verb.size()));
  const std::size_t args = words.size() - 1;
  ScriptAction a;
  auto fail = [&](std::string text) -> std::optional<ScriptAction> {
    error = std::move(text);
    return std::nullopt;
  };

  if (verb == "add" || verb == "readmode") {
    a.verb = verb == "add" ? ScriptVerb::kAdd : ScriptVerb::kReadMode;
    if (rest.empty()) return fail(std::string(verb) + " needs a path");
    a.text = std::string(rest);
    return a;
  }
  if (verb == "speed" || verb == "brightness") {
    a.verb = verb == "speed" ? ScriptVerb::kSpeed : ScriptVerb::kBrightness;
    a.text = std::string(rest);
    return a;
  }
  if (verb == "delete" || verb == "savemode") {
    a.verb = verb == "delete" ? ScriptVerb::kDelete : ScriptVerb::kSaveMode;
    if (args != 0) return fail(std::string(verb) + " takes no argument");
    return a;
  }
  if (verb == "select") {
    a.verb = ScriptVerb::kSelect;
    const std::optional<int32_t> row = args == 1 ? number(words[1]) : std::nullopt;
    if (!row) return fail("select needs a row number");
    a.number = *row;
    return a;
  }
  if (verb == "twoports") {
    a.verb = ScriptVerb::kTwoPorts;
    const std::optional<int32_t> row = args == 2 ? number(words[1]) : std::nullopt;
    const std::optional<bool> on = args == 2 ? onOff(words[2]) : std::nullopt;
    if (!row || !on) return fail("twoports needs a row and on or off");
    if (*row < 1 || *row > kScriptCheckBoxes) return fail("twoports row must be 1 to 20");
    a.number = *row;
    a.on = *on;
    return a;
  }
  if (verb == "language") {
    a.verb = ScriptVerb::kLanguage;
    if (args != 1 || (words[1] != "en" && words[1] != "zh")) return fail("language must be en or zh");
    a.on = words[1] == "zh";
    return a;
  }
  if (verb == "multimode") {
    a.verb = ScriptVerb::kMultimode;
    const std::optional<bool> on = args == 1 ? onOff(words[1]) : std::nullopt;
    if (!on) return fail("multimode needs on or off");
    a.on = *on;
    return a;
  }
  if (verb == "modes") {
    a.verb = ScriptVerb::kModes;
    const std::optional<int32_t> n = args == 1 ? number(words[1]) : std::nullopt;
    if (!n || *n < 1 || *n > kScriptMaxModes) return fail("modes needs a count from 1 to 80");
    a.number = *n;
    return a;
  }
  if (verb == "mode") {
    a.verb = ScriptVerb::kMode;
    const std::optional<int32_t> m = args == 3 ? number(words[1]) : std::nullopt;
    if (!m) return fail("mode needs a mode number, a start and an end");
    a.number = *m;
    a.text = std::string(words[2]);
    a.text2 = std::string(words[3]);
    return a;
  }
  if (verb == "output") {
    a.verb = ScriptVerb::kOutput;
    const std::optional<OutputKind> kind = args == 1 ? outputKindOfModel(words[1]) : std::nullopt;
    if (!kind) return fail("output needs a model: " + std::string(kModelList));
    a.model = *kind;
    return a;
  }
  return fail("unknown action \"" + std::string(verb) + "\"");
}

}  // namespace

std::optional<OutputKind> outputKindOfModel(std::string_view model) {
  for (const ModelName& m : kModels) {
    if (sameLetters(model, m.name) || sameLetters(model, m.cardName) ||
        (!m.buttonName.empty() && sameLetters(model, m.buttonName))) {
      return m.kind;
    }
  }
  return std::nullopt;
}

std::string_view modelOfOutputKind(OutputKind kind) {
  for (const ModelName& m : kModels) {
    if (m.kind == kind) return m.name;
  }
  return {};
}

std::vector<ScriptLine> parseScript(std::string_view script) {
  if (script.substr(0, kByteOrderMark.size()) == kByteOrderMark) script.remove_prefix(kByteOrderMark.size());
  std::vector<ScriptLine> lines;
  int lineNumber = 0;
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    std::string_view raw = script.substr(0, end);
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string_view content = trim(raw);
    if (content.empty() || content.front() == '#') continue;
    ScriptLine line;
    line.number = lineNumber;
    line.source = std::string(raw);
    line.action = parseAction(content, line.error);
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace led2vqn
