// The sub-commands of the command line. Each returns the process's exit status.
#pragma once

#include <string>
#include <vector>

namespace led2vqn::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitMessages = 1;  // convert: a message other than completion; info: a file refused
inline constexpr int kExitUsage = 2;     // a usage or script error

// Gcode.sdc in the folder of the running executable.
std::string defaultSettingsPath();

// run SCRIPT: replays a script of window actions.
int runScript(const std::string& scriptPath, const std::string& settingsPath);

struct ConvertOptions {
  std::string model;
  std::vector<std::string> files;
  std::vector<int> twoPortRows;
  std::vector<std::string> modes;  // "START-END"
  bool speedGiven = false;
  std::string speed;
  bool brightnessGiven = false;
  std::string brightness;
  std::string settingsPath;
};
// convert: the script add FILE..., twoports, speed, brightness, modes, output MODEL.
int runConvert(const ConvertOptions& options);

// info: what the reader derives from each program file.
int runInfo(const std::vector<std::string>& files, bool json, const std::string& settingsPath);

// inspect: decodes and checks the header and frame blocks of each card.
int runInspect(const std::vector<std::string>& cards, bool json);

}  // namespace led2vqn::cli
