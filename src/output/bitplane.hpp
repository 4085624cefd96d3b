// BitPlanePack: four bytes (as a rule one channel of four ports) in, four
// bytes of interleaved bit pairs out, most significant bits first.
//
// Output k (k = 0 .. 3) carries bits h = 7 - 2k and l = 6 - 2k of every input:
//   bit 7..4 = bit h of in4, in3, in2, in1;  bit 3..0 = bit l of in4, in3, in2, in1.
#pragma once

#include <cstdint>

namespace led2vqn {

// Writes the four packed bytes to out[0..3]. Only the low 8 bits of each input count.
inline void bitPlanePack(uint32_t in1, uint32_t in2, uint32_t in3, uint32_t in4, uint8_t* out) {
  for (int k = 0; k < 4; ++k) {
    const int h = 7 - 2 * k;
    const int l = h - 1;
    out[k] = static_cast<uint8_t>(
        (((in4 >> h) & 1) << 7) | (((in3 >> h) & 1) << 6) | (((in2 >> h) & 1) << 5) |
        (((in1 >> h) & 1) << 4) | (((in4 >> l) & 1) << 3) | (((in3 >> l) & 1) << 2) |
        (((in2 >> l) & 1) << 1) | ((in1 >> l) & 1));
  }
}

}  // namespace led2vqn
