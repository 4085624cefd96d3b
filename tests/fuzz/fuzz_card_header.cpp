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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::unique_ptr<uint8_t[]> working(new uint8_t[kWorkingBufferBytes]());
  static std::size_t dirty = 0;  // bytes of `working` that an earlier input wrote

  const DecodedHeader card = decodeCardHeader(fuzz::padded(data, std::min<std::size_t>(size, 512), 512).data());
  if (card.shift < 0 || card.shift > 7) fuzz::broken("shift outside 0 .. 7");
  if (card.modes.size() > kMaxModes) fuzz::broken("more than 80 modes decoded");

  const std::size_t used = std::min(size, kWorkingBufferBytes);
  std::memset(working.get(), 0, dirty);
  std::memcpy(working.get(), data, used);
  dirty = used;
  const DecodedHeader wide = decodeUnshifted(working.get(), kWorkingBufferBytes);

  const std::vector<uint8_t> exact = fuzz::padded(data, used, 512);
  const DecodedHeader tight = decodeUnshifted(exact.data(), exact.size());

  if (wide.frames != tight.frames || wide.modeBlock != tight.modeBlock || wide.modeCount != tight.modeCount ||
      wide.z != tight.z || wide.ports != tight.ports || wide.frameSectors != tight.frameSectors) {
    fuzz::broken("the decoders disagree on the fields");
  }
  if (tight.modes.size() > wide.modes.size()) fuzz::broken("the decoders disagree on the mode rows");
  for (std::size_t i = 0; i < tight.modes.size(); ++i) {
    const ModeRow &a = wide.modes[i], &b = tight.modes[i];
    if (a.start != b.start || a.end != b.end || a.flag != b.flag) fuzz::broken("the decoders disagree on a mode row");
  }

  if (size >= 6) {
    int32_t z;
    std::memcpy(&z, data + 1, sizeof z);
    const int i = data[5] % kMaxModes;
    (void)decodeModeRow(exact.data(), exact.size(), z, i);
  }
  return 0;
}
