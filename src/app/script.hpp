// Scripts of window actions, one action per line:
//
//   add PATH | select ROW | delete | twoports ROW on|off | speed [TEXT]
//   brightness [TEXT] | language en|zh | multimode on|off | modes N
//   mode M START END | readmode PATH | savemode | output MODEL
//
// Blank lines and lines whose first non-blank character is '#' are skipped.
// Arguments are separated by blanks (spaces, tabs); a PATH (and the TEXT of
// speed and brightness) is the rest of the line without its leading and
// trailing blanks. A byte order mark may open the script. Parsing only:
// whether a click can happen is the runner's question.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/card_writer.hpp"

namespace led2vqn {

inline constexpr int kScriptMaxModes = 80;
inline constexpr int kScriptCheckBoxes = 20;

enum class ScriptVerb {
  kAdd,
  kSelect,
  kDelete,
  kTwoPorts,
  kSpeed,
  kBrightness,
  kLanguage,
  kMultimode,
  kModes,
  kMode,
  kReadMode,
  kSaveMode,
  kOutput,
};

struct ScriptAction {
  ScriptVerb verb = ScriptVerb::kDelete;
  std::string text;      // add/readmode: path; speed/brightness: typed text; mode: START
  std::string text2;     // mode: END
  int32_t number = 0;    // select/twoports: row; modes: N; mode: M
  bool on = false;       // twoports/multimode: on; language: zh
  OutputKind model = OutputKind::kZ71Rgb;
};

struct ScriptLine {
  int number = 0;                       // 1-based line number in the script
  std::string source;                   // the line without its line end
  std::optional<ScriptAction> action;   // nullopt: malformed, see `error`
  std::string error;
};

// The action lines of a script, in order (skipped lines left out).
std::vector<ScriptLine> parseScript(std::string_view script);

// The model names of the output action and their kinds. A model is named,
// without regard to case, as the command line names it (z71rgb, j9, ...), as
// its card's file name does (Z71RGB, Z58RGB, ...) or as its output button
// does (Z2.8 for j9, Z6.3 for z6).
std::optional<OutputKind> outputKindOfModel(std::string_view model);
inline constexpr std::string_view kModelList = "z71rgb, j9, z58, z71rgbw, z94, z6 or z36";
std::string_view modelOfOutputKind(OutputKind kind);

}  // namespace led2vqn
