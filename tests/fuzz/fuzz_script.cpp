// The script parser on arbitrary text. Every action line is either an action
// or an error, the row and mode counts stay in the ranges the runner indexes
// with, and a line's source holds no line end.
#include <cstdint>
#include <string_view>

#include "app/script.hpp"
#include "fuzz_support.hpp"

using namespace led2vqn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  const std::vector<ScriptLine> lines = parseScript(script);
  int previous = 0;
  for (const ScriptLine& line : lines) {
    if (line.number <= previous) fuzz::broken("line numbers do not increase");
    previous = line.number;
    if (line.action.has_value() == !line.error.empty()) fuzz::broken("a line is both or neither action and error");
    if (line.source.find('\n') != std::string::npos) fuzz::broken("a line holds a line end");
    if (!line.action) continue;
    const ScriptAction& a = *line.action;
    switch (a.verb) {
      case ScriptVerb::kTwoPorts:
        if (a.number < 1 || a.number > kScriptCheckBoxes) fuzz::broken("twoports row out of range");
        break;
      case ScriptVerb::kModes:
        if (a.number < 1 || a.number > kScriptMaxModes) fuzz::broken("modes count out of range");
        break;
      default:
        break;
    }
  }
  return 0;
}
