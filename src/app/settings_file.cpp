#include "app/settings_file.hpp"

#include "base/platform.hpp"

namespace led2vqn {

namespace {

constexpr uint64_t kShortFileBytes = 32;  // files this long or shorter hold nothing
constexpr uint64_t kLanguageOffset = 7;
constexpr std::size_t kTableOffset = 512;
constexpr uint8_t kChineseByte = 0x31;
constexpr uint8_t kEnglishByte = 0x30;
constexpr int32_t kLanguageEnglish = 0;
constexpr int32_t kLanguageChinese = 10;

}  // namespace

SettingsLoad readSettings(const std::string& path, uint8_t* sectorBuffer) {
  platform::createEmptyIfMissing(path);
  SettingsLoad defaults;
  ReadOnlyFile file;
  if (auto e = file.open(path)) {
    // Still missing: it could not be created, which is ignored.
    if (!namesNoFile(path)) defaults.error = std::move(*e);
    return defaults;
  }
  uint64_t size = 0;
  if (auto e = file.size(size)) {
    defaults.error = std::move(*e);
    return defaults;
  }
  if (size <= kShortFileBytes) return defaults;

  const std::size_t want = size < kSettingsReadBytes ? static_cast<std::size_t>(size) : kSettingsReadBytes;
  std::size_t got = 0;
  if (auto e = file.readSomeAt(0, sectorBuffer, want, got)) {
    defaults.error = std::move(*e);
    return defaults;
  }
  if (got <= kLanguageOffset) return defaults;

  SettingsLoad load;
  load.languageFlag = sectorBuffer[kLanguageOffset] == kChineseByte ? kLanguageChinese : kLanguageEnglish;
  for (std::size_t j = 0; j < load.table.size() && kTableOffset + j < got; ++j) {
    load.table[j] = static_cast<uint8_t>(sectorBuffer[kTableOffset + j] & 0x0F);
  }
  return load;
}

std::optional<IoError> saveLanguage(const std::string& path, int32_t languageFlag) {
  const platform::PathInfo info = platform::pathInfo(path);
  if (info.error) return ioError("Cannot open", path, *info.error);
  if (info.kind != platform::PathKind::kRegular || info.size <= kShortFileBytes) return std::nullopt;  // never created here

  platform::File file;
  if (auto e = file.openRegular(path, platform::Access::kWrite)) {
    if (namesNoFile(path)) return std::nullopt;
    return ioError("Cannot open", path, *e);
  }
  // Checked again on the open file: it may have changed since.
  uint64_t size = 0;
  if (auto e = file.size(size)) return ioError("Cannot read the size of", path, *e);
  if (size <= kShortFileBytes) return std::nullopt;
  const uint8_t value = languageFlag != 0 ? kChineseByte : kEnglishByte;
  std::size_t written = 0;
  std::optional<platform::SystemError> e = file.writeAt(kLanguageOffset, &value, 1, written);
  if (!e && written != 1) e = platform::inputOutputError();
  if (e) return ioError("Cannot write", path, *e);
  if (auto closed = file.close()) return ioError("Cannot write", path, *closed);
  return std::nullopt;
}

}  // namespace led2vqn
