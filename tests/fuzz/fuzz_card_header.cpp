// The card header decoders on arbitrary bytes.
//
// decodeCardHeader takes the first 512 bytes (zero-padded when the input is
// shorter). decodeUnshifted runs twice: on a buffer of the working buffers'
// 350000 bytes whose start holds the input (positions past the sector read
// what the buffer holds there), and on a buffer of exactly max(512, input)
// bytes, where AddressSanitizer reports any read past `size`. Both must
// agree, since every position a decoder reads lies inside the smaller one
// or is skipped. decodeModeRow runs with a z and an index taken from the input.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_support.hpp"
#include "output/engine_state.hpp"
#include "output/header.hpp"

using namespace led2vqn;

namespace {

bool sameRows(const DecodedHeader& a, const DecodedHeader& b, std::size_t rows) {
  for (std::size_t i = 0; i < rows; ++i) {
    if (a.modes[i].start != b.modes[i].start || a.modes[i].end != b.modes[i].end || a.modes[i].flag != b.modes[i].flag) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::unique_ptr<uint8_t[]> working(new uint8_t[kWorkingBufferBytes]());
  static std::size_t dirty = 0;  // bytes of `working` that an earlier input wrote

  uint8_t sector[512] = {};
  std::memcpy(sector, data, std::min<std::size_t>(size, 512));
  const DecodedHeader card = decodeCardHeader(sector);
  if (card.shift < 0 || card.shift > 7) fuzz::broken("shift outside 0 .. 7");
  if (card.modes.size() > kMaxModes) fuzz::broken("more than 80 modes decoded");

  const std::size_t used = std::min(size, kWorkingBufferBytes);
  std::memset(working.get(), 0, dirty);
  std::memcpy(working.get(), data, used);
  dirty = used;
  const DecodedHeader wide = decodeUnshifted(working.get(), kWorkingBufferBytes);

  const std::size_t exactSize = std::max<std::size_t>(used, 512);
  const std::unique_ptr<uint8_t[]> exact(new uint8_t[exactSize]());
  std::memcpy(exact.get(), data, used);
  const DecodedHeader tight = decodeUnshifted(exact.get(), exactSize);

  if (wide.frames != tight.frames || wide.modeBlock != tight.modeBlock || wide.modeCount != tight.modeCount ||
      wide.z != tight.z || wide.ports != tight.ports || wide.frameSectors != tight.frameSectors) {
    fuzz::broken("the decoders disagree on the fields");
  }
  if (tight.modes.size() > wide.modes.size() || !sameRows(wide, tight, tight.modes.size())) {
    fuzz::broken("the decoders disagree on the mode rows");
  }

  if (size >= 6) {
    int32_t z;
    std::memcpy(&z, data + 1, sizeof z);
    const int i = data[5] % kMaxModes;
    (void)decodeModeRow(exact.get(), exactSize, z, i);
  }
  return 0;
}
