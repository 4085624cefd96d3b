// Files as the engine uses them: inputs opened read-only and never created,
// outputs built in a temporary file beside the target and renamed over it
// only when complete. Failures come back as IoError values whose text names
// the file and the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/platform.hpp"

namespace led2vqn {

struct IoError {
  std::string text;
};

// A file opened for reading only. Never creates anything.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // nullopt on success. A missing file gives an IoError too; callers that
  // must tell it apart ask exists() first.
  std::optional<IoError> open(const std::string& path);
  bool isOpen() const { return file_.isOpen(); }
  // Size in bytes as the file system reports it now.
  std::optional<IoError> size(uint64_t& out) const;
  // Reads exactly n bytes at offset; a short read is an error. `got`, when
  // given, receives the count of bytes read (all n, or those before the error).
  std::optional<IoError> readAt(uint64_t offset, uint8_t* into, std::size_t n, std::size_t* got = nullptr) const;
  // Reads up to n bytes at offset; returns how many were read.
  std::optional<IoError> readSomeAt(uint64_t offset, uint8_t* into, std::size_t n, std::size_t& got) const;
  void close();

 private:
  platform::File file_;
  std::string path_;
};

// A file written whole or not at all: the bytes go to a temporary file in
// the target's folder, commit() renames it over the target. Destroying an
// uncommitted file removes the temporary file and leaves the target as it was.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::optional<IoError> create(const std::string& target);
  // Writes n bytes at the current end.
  std::optional<IoError> append(const uint8_t* data, std::size_t n);
  // Writes n bytes at an offset (the file grows as needed).
  std::optional<IoError> writeAt(uint64_t offset, const uint8_t* data, std::size_t n);
  // Space for the first `bytes` bytes set aside ahead of their writes, where
  // the file system does so (platform::File::reserve).
  void reserve(uint64_t bytes) { file_.reserve(bytes); }
  std::optional<IoError> commit();
  void abandon();
  const std::string& target() const { return target_; }

 private:
  platform::File file_;
  uint64_t end_ = 0;
  std::string target_;
  std::string temp_;
  int pendingSlot_ = -1;  // where an interruption finds temp_
};

// True when path names a regular file.
bool fileExists(const std::string& path);

// True when nothing exists at path (as opposed to a file that cannot be opened).
bool namesNoFile(const std::string& path);

// "<what> <path>: <the system's text for e>".
IoError ioError(const std::string& what, const std::string& path, platform::SystemError e);

}  // namespace led2vqn
