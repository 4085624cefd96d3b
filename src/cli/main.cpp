// led2vqn: the main window, or headless sub-commands on the same window model.
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/platform.hpp"
#include "cli/commands.hpp"
#if defined(LED2VQN_HAVE_GUI)
#include "gui/window_entry.hpp"
#endif

namespace led2vqn::cli {

std::string defaultSettingsPath() {
  std::string folder = led2vqn::platform::programFolder();
  if (folder.empty()) folder = ".";
  return folder + led2vqn::platform::kSeparator + "Gcode.sdc";
}

}  // namespace led2vqn::cli

int main(int argc, char** argv) {
  using namespace led2vqn::cli;
  led2vqn::platform::prepareConsole();
  // The arguments in UTF-8 whatever the system's own code page.
  std::vector<std::string> arguments = led2vqn::platform::commandLineArguments(argc, argv);
  std::vector<char*> utf8Argv;
  for (std::string& a : arguments) utf8Argv.push_back(a.data());
  utf8Argv.push_back(nullptr);

  CLI::App app{"led2vqn: converts LED program files (*.led) into controller card files (*.vqn).\n"
               "Without a sub-command it opens the main window."};
  app.allow_windows_style_options(false);  // "/path" is a file, never an option
  app.set_version_flag("--version", "led2vqn " LED2VQN_VERSION);
  std::string settings;
  app.add_option("--settings", settings, "settings file read at start (default: Gcode.sdc beside the program)");

  std::string script;
  CLI::App* run = app.add_subcommand("run", "replay a script of window actions");
  run->add_option("SCRIPT", script, "the script, one action per line")->required();
  run->add_option("--settings", settings, "settings file (default: Gcode.sdc beside the program)");

  ConvertOptions convert;
  CLI::App* conv = app.add_subcommand("convert", "convert program files into cards of one model");
  conv->add_option("--model", convert.model, "z71rgb, j9, z58, z71rgbw, z94, z6 or z36")->required();
  CLI::Option* speed = conv->add_option("--speed", convert.speed, "speed text, typed into the speed field");
  CLI::Option* bright = conv->add_option("--brightness", convert.brightness, "brightness text");
  conv->add_option("--two-ports", convert.twoPortRows, "check the \"2 ports\" box of this row (repeatable)")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  conv->add_option("--mode", convert.modes, "multi-mode range START-END (repeatable, modes 1, 2, ...)")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  conv->add_option("--settings", settings, "settings file (default: Gcode.sdc beside the program)");
  conv->add_option("FILE", convert.files, "program files (*.led)")->required();

  std::vector<std::string> infoFiles;
  bool infoJson = false;
  CLI::App* info = app.add_subcommand("info", "what the reader derives from program files");
  info->add_option("FILE", infoFiles, "program files (*.led)")->required();
  info->add_flag("--json", infoJson, "one JSON object per file");
  info->add_option("--settings", settings, "settings file (default: Gcode.sdc beside the program)");

  std::vector<std::string> cards;
  bool inspectJson = false;
  CLI::App* inspect = app.add_subcommand("inspect", "decode and check card files");
  inspect->add_option("CARD", cards, "card files (*.vqn)")->required();
  inspect->add_flag("--json", inspectJson, "one JSON object per card");

  try {
    app.parse(static_cast<int>(arguments.size()), utf8Argv.data());
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitOk : kExitUsage;
  }
  if (settings.empty()) settings = defaultSettingsPath();

  if (*run) return runScript(script, settings);
  if (*conv) {
    convert.speedGiven = speed->count() > 0;
    convert.brightnessGiven = bright->count() > 0;
    convert.settingsPath = settings;
    return runConvert(convert);
  }
  if (*info) return runInfo(infoFiles, infoJson, settings);
  if (*inspect) return runInspect(cards, inspectJson);
#if defined(LED2VQN_HAVE_GUI)
  return led2vqn::gui::runMainWindow(argc, argv, settings);
#else
  std::cout << app.help();
  return kExitOk;
#endif
}
