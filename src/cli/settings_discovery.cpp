#include "cli/settings_discovery.hpp"

#include <cstdint>
#include <filesystem>
#include <iostream>

#include "base/platform.hpp"
#include "base/utf8_path.hpp"

namespace led2vqn::cli {
namespace {

constexpr const char* kSettingsName = "Gcode.sdc";
constexpr uint64_t kEmptySettingsBytes = 32;  // files this long or shorter hold nothing

}  // namespace

std::string perUserSettingsPath() {
  const std::string config = platform::userConfigFolder();
  if (config.empty()) return std::string();
  return config + platform::kSeparator + "led2vqn" + platform::kSeparator + kSettingsName;
}

SettingsChoice findSettings(const std::optional<std::string>& given) {
  if (given) return {*given, SettingsSource::kOption};
  const std::string variable = platform::environmentVariable("LED2VQN_SETTINGS").value_or("");
  if (!variable.empty()) {
    if (platform::pathInfo(variable).kind == platform::PathKind::kRegular) return {variable, SettingsSource::kEnvironment};
    std::cerr << "led2vqn: LED2VQN_SETTINGS names " << variable << ", which is not a file; it is not used\n";
  }
  const std::string folder = platform::programFolder();
  if (!folder.empty()) {
    const std::string beside = folder + platform::kSeparator + kSettingsName;
    const platform::PathInfo info = platform::pathInfo(beside);
    if (info.kind == platform::PathKind::kRegular && info.size > kEmptySettingsBytes) {
      return {beside, SettingsSource::kBesideProgram};
    }
  }
  const std::string perUser = perUserSettingsPath();
  // Without any home folder the current folder's file is the last resort.
  return {perUser.empty() ? std::string(kSettingsName) : perUser, SettingsSource::kPerUser};
}

std::string describeSource(SettingsSource source) {
  switch (source) {
    case SettingsSource::kOption: return "given with --settings";
    case SettingsSource::kEnvironment: return "named by LED2VQN_SETTINGS";
    case SettingsSource::kBesideProgram: return "beside the program";
    case SettingsSource::kPerUser: break;
  }
  return "the per-user settings file";
}

std::optional<std::string> unusableSettingsFile(const std::string& path) {
  const platform::PathInfo info = platform::pathInfo(path);
  switch (info.kind) {
    case platform::PathKind::kRegular: return std::nullopt;
    case platform::PathKind::kMissing: return "--settings " + path + ": no such file (an existing settings file is needed)";
    case platform::PathKind::kFolder: return "--settings " + path + ": this is a folder, not a settings file";
    case platform::PathKind::kOther: break;
  }
  if (info.error) return "--settings " + path + ": " + platform::errorText(*info.error);
  return "--settings " + path + ": not a regular file";
}

void preparePerUserFolder(const SettingsChoice& choice) {
  if (choice.source != SettingsSource::kPerUser) return;
  if (platform::pathInfo(choice.path).kind != platform::PathKind::kMissing) return;
  const std::filesystem::path folder = pathOfUtf8(choice.path).parent_path();
  if (folder.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
}

}  // namespace led2vqn::cli
