#include "app/settings_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace led2vqn {

namespace {

constexpr uint64_t kShortFileBytes = 32;  // files this long or shorter hold nothing
constexpr uint64_t kLanguageOffset = 7;
constexpr std::size_t kTableOffset = 512;
constexpr uint8_t kChineseByte = 0x31;
constexpr uint8_t kEnglishByte = 0x30;
constexpr int32_t kLanguageEnglish = 0;
constexpr int32_t kLanguageChinese = 10;

// Creates an empty file at path unless something is there already; any
// failure to do so is ignored.
void createEmptyIfMissing(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) ::close(fd);
}

}  // namespace

SettingsLoad readSettings(const std::string& path, uint8_t* sectorBuffer) {
  createEmptyIfMissing(path);
  SettingsLoad defaults;
  ReadOnlyFile file;
  if (auto e = file.open(path)) {
    // Still missing: it could not be created, which is ignored.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR)) defaults.error = std::move(*e);
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
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;  // never created here
    return ioErrorFromErrno("Cannot open", path, errno);
  }
  if (!S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) <= kShortFileBytes) return std::nullopt;

  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    return ioErrorFromErrno("Cannot open", path, errno);
  }
  // Checked again on the open file: it may have changed since.
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return ioErrorFromErrno("Cannot read the size of", path, err);
  }
  if (static_cast<uint64_t>(st.st_size) <= kShortFileBytes) {
    ::close(fd);
    return std::nullopt;
  }
  const uint8_t value = languageFlag != 0 ? kChineseByte : kEnglishByte;
  ssize_t w;
  do {
    w = ::pwrite(fd, &value, 1, static_cast<off_t>(kLanguageOffset));
  } while (w < 0 && errno == EINTR);
  if (w != 1) {
    const int err = w < 0 ? errno : EIO;
    ::close(fd);
    return ioErrorFromErrno("Cannot write", path, err);
  }
  if (::close(fd) != 0) return ioErrorFromErrno("Cannot write", path, errno);
  return std::nullopt;
}

}  // namespace led2vqn
