#include "support/temp_dir.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include "input/sample_files.hpp"

namespace led2vqn::support {

TempDir::TempDir() {
  // $TMPDIR (or /tmp) on POSIX systems, the user's temporary folder on Windows.
  std::error_code err;
  const std::filesystem::path base = std::filesystem::temp_directory_path(err);
  if (err) throw std::runtime_error("no temporary folder: " + err.message());
  std::random_device random;
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::filesystem::path candidate = base / ("led2vqn-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate, err)) {
      path_ = candidate.string();
      return;
    }
    if (err) break;
  }
  throw std::runtime_error("cannot create a folder in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Read-only files and folders left by a test must not stop the clean-up.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  const std::string p = file(name);
  samples::writeFile(p, bytes);
  return p;
}

std::vector<std::string> TempDir::names() const {
  std::vector<std::string> out;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) out.push_back(entry.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

RowCells writeProgram(const TempDir& dir, const std::string& name, int ports, int32_t frameLength, int frames,
                      const std::function<uint8_t(int f, int64_t x)>& byteOf) {
  std::vector<uint8_t> bytes(512, 0x5A);
  for (int f = 1; f <= frames; ++f) {
    for (int64_t x = 0; x < frameLength; ++x) bytes.push_back(byteOf(f, x));
  }
  const int32_t pixels = std::min(frameLength / ports / 3, 16000) * ports;
  return RowCells{dir.write(name, bytes), std::to_string(frames), std::to_string(ports), std::to_string(pixels),
                  std::to_string(frameLength)};
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<uint8_t> out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return out;
}

}  // namespace led2vqn::support
