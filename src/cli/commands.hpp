// The sub-commands of the command line. Each returns the process's exit status.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace led2vqn::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitMessages = 1;  // convert: a message other than completion; run: an error line; info: a file refused
inline constexpr int kExitUsage = 2;     // a usage or script error

// Writes "led2vqn: TEXT" on standard error; returns kExitUsage.
int usageError(const std::string& text);

struct ReplayFlags {
  bool progress = false;  // --progress
  bool quiet = false;     // --quiet
};

// run SCRIPT: replays a script of window actions.
int runScript(const std::string& scriptPath, const std::optional<std::string>& settings, ReplayFlags flags);

struct ConvertOptions {
  std::string model;
  std::vector<std::string> files;
  std::vector<std::string> twoPortRows;
  std::vector<std::string> modes;  // "START-END"
  std::optional<std::string> speed;
  std::optional<std::string> brightness;
  std::optional<std::string> settings;
  std::optional<std::string> outputDir;
  ReplayFlags flags;
};
// convert: the script add FILE..., twoports, speed, brightness, modes, output MODEL.
int runConvert(const ConvertOptions& options);

// info: what the reader derives from each program file.
int runInfo(const std::vector<std::string>& files, bool json, const std::optional<std::string>& settings);

// inspect: decodes and checks the header and frame blocks of each card.
int runInspect(const std::vector<std::string>& cards, bool json);

// settings: which settings file is used and what it holds; with `importFrom`,
// first copies that file to the per-user place.
int runSettings(const std::optional<std::string>& settings, const std::optional<std::string>& importFrom);

// verify: does the card play the program (and, for Z71 RGBW, its W program)?
struct VerifyOptions {
  std::string card;
  std::string program;
  std::string white;
  bool json = false;
  std::optional<std::string> settings;
};
int runVerify(const VerifyOptions& options);

// preview: a timeline picture of a program file or a card.
struct PreviewOptions {
  std::string file;
  std::string output;
  std::string model;
  std::string brightness;
  bool twoPorts = false;
  std::string frames;  // "A-B"
  int port = 0;
  int scale = 1;
  std::optional<std::string> settings;
};
int runPreview(const PreviewOptions& options);

// pattern: a wiring-check program file.
struct PatternOptions {
  std::string kind;
  int ports = 0;
  int pixels = 0;
  int frames = 0;  // 0: one cycle
  std::string output;
  std::optional<std::string> settings;
};
int runPattern(const PatternOptions& options);

}  // namespace led2vqn::cli
