// Paths as the program holds them (UTF-8 text) and as std::filesystem holds
// them. A path made from a narrow string is read in the system's code page
// on Windows; these go through UTF-8 on every platform.
#pragma once

#include <filesystem>
#include <string>

namespace led2vqn {

inline std::filesystem::path pathOfUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8OfPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace led2vqn
