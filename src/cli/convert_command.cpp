#include <iostream>

#include "base/platform.hpp"

#include "app/script_runner.hpp"
#include "cli/commands.hpp"
#include "base/decimal_text.hpp"
#include "base/file_io.hpp"

namespace led2vqn::cli {
namespace {

int usage(const std::string& text) {
  std::cout.flush();
  std::cerr << "led2vqn convert: " << text << "\n";
  return kExitUsage;
}

}  // namespace

int runConvert(const ConvertOptions& o) {
  const std::optional<OutputKind> kind = outputKindOfModel(o.model);
  if (!kind) return usage("unknown model \"" + o.model + "\" (z71rgb, j9, z58, z71rgbw, z94, z6, z36)");
  for (const std::string& file : o.files) {
    if (!fileExists(file) || !platform::isReadable(file)) return usage("cannot read " + file);
  }
  if (o.modes.size() > static_cast<std::size_t>(kScriptMaxModes)) return usage("at most 80 modes");

  // The script that convert stands for.
  std::vector<ScriptAction> actions;
  for (const std::string& file : o.files) actions.push_back({ScriptVerb::kAdd, file, "", 0, false, *kind});
  for (const int row : o.twoPortRows) {
    if (row < 1 || row > kScriptCheckBoxes) return usage("--two-ports takes a row from 1 to 20");
    actions.push_back({ScriptVerb::kTwoPorts, "", "", row, true, *kind});
  }
  if (o.speedGiven) actions.push_back({ScriptVerb::kSpeed, o.speed, "", 0, false, *kind});
  if (o.brightnessGiven) actions.push_back({ScriptVerb::kBrightness, o.brightness, "", 0, false, *kind});
  if (!o.modes.empty()) {
    actions.push_back({ScriptVerb::kMultimode, "", "", 0, true, *kind});
    actions.push_back({ScriptVerb::kModes, "", "", static_cast<int32_t>(o.modes.size()), false, *kind});
    for (std::size_t m = 0; m < o.modes.size(); ++m) {
      const std::size_t dash = o.modes[m].find('-');
      if (dash == std::string::npos) return usage("--mode takes START-END, not \"" + o.modes[m] + "\"");
      actions.push_back({ScriptVerb::kMode, o.modes[m].substr(0, dash), o.modes[m].substr(dash + 1),
                         static_cast<int32_t>(m + 1), false, *kind});
    }
  }
  actions.push_back({ScriptVerb::kOutput, "", "", 0, false, *kind});

  ScriptPort port(std::cout);
  WindowModel model(port);
  model.windowCreated(o.settingsPath);
  ScriptRunner runner(model, port, currentFolder());
  for (const ScriptAction& a : actions) {
    if (const std::optional<std::string> reason = runner.apply(a)) {
      if (a.verb == ScriptVerb::kOutput && model.table().fileCount() == 0 && !port.shown().empty()) {
        std::cout.flush();
        std::cerr << "led2vqn convert: no file was accepted; nothing converted\n";
        return kExitMessages;
      }
      return usage(*reason);
    }
  }
  const std::vector<std::string>& shown = port.shown();
  const bool onlyCompletion =
      shown.size() == 1 && shown[0] == messageText(Msg::kConversionComplete, model.languageFlag());
  return onlyCompletion ? kExitOk : kExitMessages;
}

}  // namespace led2vqn::cli
