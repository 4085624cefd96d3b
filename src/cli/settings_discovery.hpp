// Which settings file a command uses. `--settings FILE` when given;
// otherwise the first that exists of
//
//   1. the file named by the environment variable LED2VQN_SETTINGS;
//   2. Gcode.sdc beside the executable, when it is longer than 32 bytes (a
//      portable copy; an empty one left by a build does not count);
//   3. the per-user file $XDG_CONFIG_HOME/led2vqn/Gcode.sdc
//      (~/.config/led2vqn/Gcode.sdc when XDG_CONFIG_HOME is unset).
//
// When none exists the per-user file is the one used; window creation
// (also headless) creates it empty, with its folder.
#pragma once

#include <optional>
#include <string>

namespace led2vqn::cli {

enum class SettingsSource { kOption, kEnvironment, kBesideProgram, kPerUser };

struct SettingsChoice {
  std::string path;
  SettingsSource source = SettingsSource::kPerUser;
};

// `given` is the value of --settings, or nullopt. A variable that names no
// regular file is skipped with a note on standard error.
SettingsChoice findSettings(const std::optional<std::string>& given);

// The per-user settings file ("" when no home folder is known).
std::string perUserSettingsPath();

// How the choice came about, for messages: "given with --settings", ...
std::string describeSource(SettingsSource source);

// For convert, info and settings: a --settings FILE that is not an existing
// regular file is a usage error; the reason, or nullopt when it is usable.
std::optional<std::string> unusableSettingsFile(const std::string& path);

// Before window creation: makes the per-user folder when the per-user file
// is the one used and missing (a failure shows when the file is read).
void preparePerUserFolder(const SettingsChoice& choice);

}  // namespace led2vqn::cli
