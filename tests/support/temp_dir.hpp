// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace led2vqn::support {

class TempDir {
 public:
  // Creates a new folder under $TMPDIR (or /tmp); throws std::runtime_error on failure.
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const;
  // Writes bytes to file(name), truncating; returns the full path.
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  // The names in the folder, sorted (no "." or "..").
  std::vector<std::string> names() const;

 private:
  std::string path_;
};

// The whole content of a file; throws std::runtime_error when it cannot be read.
std::vector<uint8_t> readBytes(const std::string& path);

// A test with its own folder `dir`.
class TempDirTest : public ::testing::Test {
 protected:
  TempDir dir;
};

}  // namespace led2vqn::support
