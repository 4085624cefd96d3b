// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/card_writer.hpp"

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

// Byte x of frame f of a program file, mixed so that neighbours differ.
inline uint8_t mixedByte(int f, int64_t x) { return static_cast<uint8_t>((x * 37 + f * 11 + x / 256) & 0xFF); }

// Writes a program file `name` into `dir`: 512 header bytes, then `frames`
// frames of `frameLength` bytes, byte x of frame f being `byteOf(f, x)`;
// returns its row as the reader enters it.
RowCells writeProgram(const TempDir& dir, const std::string& name, int ports, int32_t frameLength, int frames,
                      const std::function<uint8_t(int f, int64_t x)>& byteOf = mixedByte);

// A test with its own folder `dir`.
class TempDirTest : public ::testing::Test {
 protected:
  TempDir dir;
};

}  // namespace led2vqn::support
