// Writes and reads a sparse file past 4 GiB through the engine's file layer,
// built for Node (build-wasm/led2vqn_large_offsets.js FOLDER): offsets must
// not be cut to 32 bits. large_offsets_test.js checks the bytes with Node.
#include <cstdio>
#include <cstring>

#include "base/file_io.hpp"

using led2vqn::AtomicFile;
using led2vqn::ReadOnlyFile;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string path = std::string(argv[1]) + "/sparse.bin";
  const uint64_t far = (uint64_t{1} << 32) + 4096 + 3;
  const uint8_t marks[4] = {0xA1, 0xB2, 0xC3, 0xD4};
  AtomicFile out;
  std::optional<led2vqn::IoError> e = out.create(path);
  if (!e) e = out.writeAt(far, marks, sizeof marks);
  if (!e) e = out.writeAt(5, marks, 2);
  if (!e) e = out.commit();
  ReadOnlyFile in;
  uint64_t size = 0;
  uint8_t back[6] = {};
  if (!e) e = in.open(path);
  if (!e) e = in.size(size);
  if (!e) e = in.readAt(far - 2, back, sizeof back);
  if (e) {
    std::printf("%s\n", e->text.c_str());
    return 1;
  }
  const uint8_t expected[6] = {0, 0, 0xA1, 0xB2, 0xC3, 0xD4};
  if (size != far + sizeof marks || std::memcmp(back, expected, sizeof back) != 0) {
    std::printf("size %llu, bytes %02x %02x %02x\n", static_cast<unsigned long long>(size), back[2], back[3], back[4]);
    return 1;
  }
  return 0;
}
