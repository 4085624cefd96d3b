#include "base/file_io.hpp"

namespace led2vqn {

IoError ioError(const std::string& what, const std::string& path, platform::SystemError e) {
  return IoError{what + " " + path + ": " + platform::errorText(e)};
}

bool fileExists(const std::string& path) { return platform::pathInfo(path).kind == platform::PathKind::kRegular; }

bool namesNoFile(const std::string& path) { return platform::pathInfo(path).kind == platform::PathKind::kMissing; }

ReadOnlyFile::~ReadOnlyFile() { close(); }

std::optional<IoError> ReadOnlyFile::open(const std::string& path) {
  close();
  path_ = path;
  if (auto e = file_.openRegular(path, platform::Access::kRead)) return ioError("Cannot open", path, *e);
  return std::nullopt;
}

std::optional<IoError> ReadOnlyFile::size(uint64_t& out) const {
  if (auto e = file_.size(out)) return ioError("Cannot read the size of", path_, *e);
  return std::nullopt;
}

std::optional<IoError> ReadOnlyFile::readSomeAt(uint64_t offset, uint8_t* into, std::size_t n,
                                                std::size_t& got) const {
  got = 0;
  while (got < n) {
    std::size_t r = 0;
    if (auto e = file_.readAt(offset + got, into + got, n - got, r)) return ioError("Cannot read", path_, *e);
    if (r == 0) break;
    got += r;
  }
  return std::nullopt;
}

std::optional<IoError> ReadOnlyFile::readAt(uint64_t offset, uint8_t* into, std::size_t n,
                                            std::size_t* got) const {
  std::size_t count = 0;
  auto e = readSomeAt(offset, into, n, count);
  if (got != nullptr) *got = count;
  if (e) return e;
  if (count < n) {
    return IoError{"Cannot read " + path_ + ": the file ends at byte " + std::to_string(offset + count) +
                   ", before byte " + std::to_string(offset + n)};
  }
  return std::nullopt;
}

void ReadOnlyFile::close() { file_.close(); }

AtomicFile::~AtomicFile() { abandon(); }

std::optional<IoError> AtomicFile::create(const std::string& target) {
  abandon();
  target_ = target;
  // No interruption may come between the file's creation and its entry
  // among the temporaries an interruption removes.
  const platform::InterruptionsHeld held;
  if (auto e = file_.createBeside(target, temp_)) {
    temp_.clear();
    return ioError("Cannot create", target, *e);
  }
  pendingSlot_ = platform::rememberTemporary(temp_);
  end_ = 0;
  return std::nullopt;
}

std::optional<IoError> AtomicFile::writeAt(uint64_t offset, const uint8_t* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    std::size_t w = 0;
    if (auto e = file_.writeAt(offset + done, data + done, n - done, w)) return ioError("Cannot write", target_, *e);
    done += w;
  }
  if (offset + n > end_) end_ = offset + n;
  return std::nullopt;
}

std::optional<IoError> AtomicFile::append(const uint8_t* data, std::size_t n) {
  return writeAt(end_, data, n);
}

std::optional<IoError> AtomicFile::commit() {
  if (auto e = file_.close()) {
    abandon();
    return ioError("Cannot write", target_, *e);
  }
  if (auto e = platform::replaceFile(temp_, target_)) {
    abandon();
    return ioError("Cannot replace", target_, *e);
  }
  platform::forgetTemporary(pendingSlot_);
  pendingSlot_ = -1;
  temp_.clear();
  return std::nullopt;
}

void AtomicFile::abandon() {
  file_.close();
  if (!temp_.empty()) platform::removeFile(temp_);
  platform::forgetTemporary(pendingSlot_);
  pendingSlot_ = -1;
  temp_.clear();
}

}  // namespace led2vqn
