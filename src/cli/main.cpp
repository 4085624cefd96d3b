// led2vqn: the main window, or headless sub-commands on the same window model.
#include <cctype>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/platform.hpp"
#include "cli/commands.hpp"
#include "cli/option_values.hpp"
#include "cli/settings_discovery.hpp"
#if defined(LED2VQN_HAVE_GUI)
#include "gui/window_entry.hpp"
#endif

namespace led2vqn::cli {
namespace {

std::string settingsHelp() {
  const std::string perUser = std::string(platform::kUserConfigFolderSpelling) + platform::kSeparator + "led2vqn" +
                              platform::kSeparator + "Gcode.sdc";
  return "settings file (default: $LED2VQN_SETTINGS, else Gcode.sdc beside the program when it holds more than 32 "
         "bytes, else " + perUser + ")";
}

const char* kExitStatusHelp =
    "Exit status: convert 0 when every file became a card and only the completion message was shown, 1 otherwise; "
    "run 0 when the script ran to its end without an input/output or number-conversion error line, 1 when it ran to "
    "its end with one; info and inspect 0 when every file passes, 1 otherwise; verify 0 when the card plays the "
    "program, 1 otherwise; preview and pattern 0, or 1 when a file cannot be written; 2 for a usage or script error; "
    "130, 143 or 129 when interrupted by SIGINT, SIGTERM or SIGHUP (no half-written file is left).";

// The settings value given to any level of the command line.
struct SettingsOption {
  std::string value;
  std::vector<CLI::Option*> options;
  void addTo(CLI::App& app) { options.push_back(app.add_option("--settings", value, settingsHelp())->expected(1)); }
  std::optional<std::string> given() const {
    for (const CLI::Option* o : options) {
      if (o->count() > 0) return value;
    }
    return std::nullopt;
  }
};

// A word the window takes as a program file: a *.led name or an existing file.
bool namesProgramFile(const std::string& arg) {
  const std::string suffix = ".led";
  if (arg.size() > suffix.size()) {
    std::string end = arg.substr(arg.size() - suffix.size());
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (end == suffix) return true;
  }
  return platform::pathInfo(arg).kind == platform::PathKind::kRegular;
}

// A first word that names no sub-command (nor a program file) is refused by name.
std::optional<std::string> unknownSubcommand(int argc, char** argv, CLI::App& app) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--settings") {
      ++i;
      continue;
    }
    if (!arg.empty() && arg[0] == '-') continue;
    if (namesProgramFile(arg)) return std::nullopt;  // the window opens with it
    for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
      if (sub->get_name() == arg) return std::nullopt;
    }
    std::string names;
    for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
      names += (names.empty() ? "" : ", ") + sub->get_name();
    }
    return "unknown sub-command \"" + arg + "\" (the sub-commands are " + names + "; see led2vqn --help)";
  }
  return std::nullopt;
}

int dispatch(int argc, char** argv) {
  platform::prepareConsole();
  // The arguments in UTF-8 whatever the system's own code page.
  std::vector<std::string> arguments = platform::commandLineArguments(argc, argv);
  std::vector<char*> utf8Argv;
  for (std::string& a : arguments) utf8Argv.push_back(a.data());
  utf8Argv.push_back(nullptr);
  const int utf8Argc = static_cast<int>(arguments.size());

  CLI::App app{"led2vqn: converts LED program files (*.led) into controller card files (*.vqn).\n"
               "Without a sub-command it opens the main window."};
  app.allow_windows_style_options(false);  // "/path" is a file, never an option
  app.set_version_flag("--version", "led2vqn " LED2VQN_VERSION);
  app.footer(modelTable() + "\n" + kExitStatusHelp);
  SettingsOption settings;
  settings.addTo(app);
  std::vector<std::string> windowFiles;
  app.add_option("FILE", windowFiles, "program files (*.led) the window opens with, added in this order");

  ReplayFlags runFlags;
  std::string script;
  CLI::App* run = app.add_subcommand("run", "replay a script of window actions (see README.md)");
  run->add_option("SCRIPT", script, "the script, one action per line")->required();
  settings.addTo(*run);
  run->add_flag("--progress", runFlags.progress, "show a progress line per card and the cards written");
  run->add_flag("--quiet", runFlags.quiet, "show no progress, even on a terminal");

  ConvertOptions convert;
  std::string speed, brightness, outputDir;
  CLI::App* conv = app.add_subcommand("convert", "convert program files into cards of one model");
  conv->add_option("--model", convert.model, "the card model (see the list below)")->required()->expected(1);
  CLI::Option* speedOption = conv->add_option("--speed", speed, "frames per second, 1 to 100")->expected(1);
  CLI::Option* brightOption = conv->add_option("--brightness", brightness, "brightness in percent, 1 to 100")->expected(1);
  conv->add_option("--two-ports", convert.twoPortRows, "check the \"2 ports\" box of row ROW, 1 to 12 (repeatable)")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  conv->add_option("--mode", convert.modes, "multi-mode range START-END (repeatable: modes 1, 2, ...)")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  settings.addTo(*conv);
  CLI::Option* outputOption =
      conv->add_option("--output-dir", outputDir, "write the cards and Readme.txt into this folder")->expected(1);
  conv->add_flag("--progress", convert.flags.progress, "show a progress line per card and the cards written");
  conv->add_flag("--quiet", convert.flags.quiet, "show no progress, even on a terminal");
  conv->add_option("FILE", convert.files, "program files (*.led), at most 16")->required();
  conv->footer(modelTable());

  std::vector<std::string> infoFiles;
  bool infoJson = false;
  CLI::App* info = app.add_subcommand("info", "what the reader derives from program files");
  info->add_option("FILE", infoFiles, "program files (*.led)")->required();
  info->add_flag("--json", infoJson, "one JSON array, an object per file");
  settings.addTo(*info);

  std::vector<std::string> cards;
  bool inspectJson = false;
  CLI::App* inspect = app.add_subcommand("inspect", "decode and check card files");
  inspect->add_option("CARD", cards, "card files (*.vqn)")->required();
  inspect->add_flag("--json", inspectJson, "one JSON array, an object per card");

  std::string importFrom;
  CLI::App* settingsCommand = app.add_subcommand("settings", "which settings file is used and what it holds");
  CLI::Option* importOption =
      settingsCommand->add_option("--import", importFrom, "copy this settings file to the per-user place")->expected(1);
  settings.addTo(*settingsCommand);

  VerifyOptions verifyOptions;
  CLI::App* verify = app.add_subcommand("verify", "check that a card plays its program");
  verify->add_option("CARD", verifyOptions.card, "the card (*.vqn)")->required();
  verify->add_option("PROGRAM", verifyOptions.program, "the program file it was made from")->required();
  verify->add_option("--white", verifyOptions.white, "Z71 RGBW: the program that supplied the W column")->expected(1);
  verify->add_flag("--json", verifyOptions.json, "one JSON object");
  settings.addTo(*verify);

  PreviewOptions previewOptions;
  CLI::App* preview = app.add_subcommand("preview", "a timeline picture (PNG) of a program file or a card");
  preview->add_option("FILE", previewOptions.file, "a program file or a card")->required();
  preview->add_option("-o", previewOptions.output, "the PNG file to write")->required()->expected(1);
  preview->add_option("--model", previewOptions.model, "show a program as a card of this model plays it")->expected(1);
  preview->add_option("--brightness", previewOptions.brightness, "with --model: brightness 1 to 100")->expected(1);
  preview->add_flag("--two-ports", previewOptions.twoPorts, "with --model: the two-port choice");
  preview->add_option("--frames", previewOptions.frames, "frames A-B (default: the first 600)")->expected(1);
  preview->add_option("--port", previewOptions.port, "only this port (1-based)")->expected(1);
  preview->add_option("--scale", previewOptions.scale, "screen pixels per pixel and frame, 1 to 64")->expected(1);
  settings.addTo(*preview);

  PatternOptions patternOptions;
  CLI::App* pattern = app.add_subcommand("pattern", "write a wiring-check program file");
  pattern->add_option("KIND", patternOptions.kind, "ports, colours, chase or ramp")->required();
  pattern->add_option("--ports", patternOptions.ports, "ports, 1 to 8")->required()->expected(1);
  pattern->add_option("--pixels", patternOptions.pixels, "pixels per port")->required()->expected(1);
  pattern->add_option("--frames", patternOptions.frames, "frames (default: one cycle of the pattern)")->expected(1);
  pattern->add_option("-o", patternOptions.output, "the program file to write")->required()->expected(1);
  settings.addTo(*pattern);

  if (const std::optional<std::string> unknown = unknownSubcommand(utf8Argc, utf8Argv.data(), app)) {
    return usageError(*unknown);
  }
  try {
    app.parse(utf8Argc, utf8Argv.data());
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::string where;
    for (const CLI::App* sub : app.get_subcommands()) where = sub->get_name() + ": ";
    return usageError(where + e.what() + " (see led2vqn " + (where.empty() ? "" : where.substr(0, where.size() - 2) + " ") +
                      "--help)");
  }

  if (*run) return runScript(script, settings.given(), runFlags);
  if (*conv) {
    if (speedOption->count() > 0) convert.speed = speed;
    if (brightOption->count() > 0) convert.brightness = brightness;
    if (outputOption->count() > 0) convert.outputDir = outputDir;
    convert.settings = settings.given();
    return runConvert(convert);
  }
  if (*info) return runInfo(infoFiles, infoJson, settings.given());
  if (*inspect) return runInspect(cards, inspectJson);
  if (*verify) {
    verifyOptions.settings = settings.given();
    return runVerify(verifyOptions);
  }
  if (*preview) {
    previewOptions.settings = settings.given();
    return runPreview(previewOptions);
  }
  if (*pattern) {
    patternOptions.settings = settings.given();
    return runPattern(patternOptions);
  }
  if (*settingsCommand) {
    return runSettings(settings.given(), importOption->count() > 0 ? std::optional(importFrom) : std::nullopt);
  }
#if defined(LED2VQN_HAVE_GUI)
  const SettingsChoice choice = findSettings(settings.given());
  preparePerUserFolder(choice);
  // Added as the open dialog gives them: with the whole path.
  for (std::string& f : windowFiles) f = normalPath(f);
  return led2vqn::gui::runMainWindow(argc, argv, choice.path, windowFiles);
#else
  std::cout << app.help();
  return kExitOk;
#endif
}

}  // namespace
}  // namespace led2vqn::cli

int main(int argc, char** argv) {
  // Nothing leaves main as an exception: every failure is a message and a status.
  try {
    return led2vqn::cli::dispatch(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "led2vqn: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "led2vqn: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "led2vqn: an unexpected failure\n";
  }
  return led2vqn::cli::kExitMessages;
}
