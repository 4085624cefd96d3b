#include "base/file_io.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace led2vqn {

IoError ioErrorFromErrno(const std::string& what, const std::string& path, int err) {
  return IoError{what + " " + path + ": " + std::strerror(err)};
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

ReadOnlyFile::~ReadOnlyFile() { close(); }

std::optional<IoError> openRegularFile(const std::string& path, int access, int& fd) {
  // Non-blocking, so that opening a FIFO does not wait for its other end;
  // only regular files are used.
  fd = ::open(path.c_str(), access | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ioErrorFromErrno("Cannot open", path, errno);
  struct stat st;
  int err = 0;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (S_ISDIR(st.st_mode)) {
    err = EISDIR;
  } else if (!S_ISREG(st.st_mode)) {
    err = EINVAL;
  }
  if (err != 0) {
    ::close(fd);
    fd = -1;
    return ioErrorFromErrno("Cannot open", path, err);
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return std::nullopt;
}

std::optional<IoError> ReadOnlyFile::open(const std::string& path) {
  close();
  path_ = path;
  return openRegularFile(path, O_RDONLY, fd_);
}

std::optional<IoError> ReadOnlyFile::size(uint64_t& out) const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return ioErrorFromErrno("Cannot read the size of", path_, errno);
  out = static_cast<uint64_t>(st.st_size);
  return std::nullopt;
}

std::optional<IoError> ReadOnlyFile::readSomeAt(uint64_t offset, uint8_t* into, std::size_t n,
                                                std::size_t& got) const {
  got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd_, into + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0) {
      if (errno == EINTR) continue;
      return ioErrorFromErrno("Cannot read", path_, errno);
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return std::nullopt;
}

std::optional<IoError> ReadOnlyFile::readAt(uint64_t offset, uint8_t* into, std::size_t n) const {
  std::size_t got = 0;
  if (auto e = readSomeAt(offset, into, n, got)) return e;
  if (got < n) {
    return IoError{"Cannot read " + path_ + ": the file ends at byte " + std::to_string(offset + got) +
                   ", before byte " + std::to_string(offset + n)};
  }
  return std::nullopt;
}

void ReadOnlyFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

AtomicFile::~AtomicFile() { abandon(); }

std::optional<IoError> AtomicFile::create(const std::string& target) {
  abandon();
  target_ = target;
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  // The temporary name is no longer than the target's, whose own length may
  // be the longest a folder takes: a long base is cut.
  constexpr std::size_t kTempBaseBytes = 200;
  std::string pattern =
      (slash == std::string::npos ? std::string() : folder) + "." + base.substr(0, kTempBaseBytes) + ".XXXXXX";
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) return ioErrorFromErrno("Cannot create", target, errno);
  temp_ = pattern;
  // A new file gets the permissions any new file gets (mkostemp makes 0600).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  end_ = 0;
  return std::nullopt;
}

std::optional<IoError> AtomicFile::writeAt(uint64_t offset, const uint8_t* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::pwrite(fd_, data + done, n - done, static_cast<off_t>(offset + done));
    if (w < 0) {
      if (errno == EINTR) continue;
      return ioErrorFromErrno("Cannot write", target_, errno);
    }
    done += static_cast<std::size_t>(w);
  }
  if (offset + n > end_) end_ = offset + n;
  return std::nullopt;
}

std::optional<IoError> AtomicFile::append(const uint8_t* data, std::size_t n) {
  return writeAt(end_, data, n);
}

std::optional<IoError> AtomicFile::commit() {
  if (::close(fd_) != 0) {
    fd_ = -1;
    const int err = errno;
    abandon();
    return ioErrorFromErrno("Cannot write", target_, err);
  }
  fd_ = -1;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    abandon();
    return ioErrorFromErrno("Cannot replace", target_, err);
  }
  temp_.clear();
  return std::nullopt;
}

void AtomicFile::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace led2vqn
