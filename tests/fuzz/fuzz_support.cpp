#include "fuzz_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace led2vqn::fuzz {
namespace {

std::string scratchPath;

void removeScratch() {
  if (!scratchPath.empty()) ::unlink(scratchPath.c_str());
}

}  // namespace

const std::string& writeScratchFile(const uint8_t* data, std::size_t size, const char* extension) {
  if (scratchPath.empty()) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/led2vqn-fuzz-XXXXXX" + extension;
    const int fd = ::mkstemps(pattern.data(), static_cast<int>(std::string(extension).size()));
    if (fd < 0) broken("cannot create a scratch file from " + pattern);
    ::close(fd);
    scratchPath = pattern;
    std::atexit(removeScratch);
  }
  const int fd = ::open(scratchPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) broken("cannot open the scratch file " + scratchPath);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) broken("cannot write the scratch file " + scratchPath);
    done += static_cast<std::size_t>(w);
  }
  ::close(fd);
  return scratchPath;
}

std::vector<uint8_t> padded(const uint8_t* data, std::size_t size, std::size_t least) {
  std::vector<uint8_t> out(data, data + size);
  if (out.size() < least) out.resize(least, 0);
  return out;
}

void broken(const std::string& what) {
  std::fprintf(stderr, "broken property: %s\n", what.c_str());
  std::abort();
}

}  // namespace led2vqn::fuzz
