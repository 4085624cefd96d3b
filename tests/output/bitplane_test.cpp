#include "output/bitplane.hpp"

#include <array>

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

using Four = std::array<uint8_t, 4>;

Four pack(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  Four out{};
  bitPlanePack(a, b, c, d, out.data());
  return out;
}

TEST(BitPlanePack, WorkedValues) {
  EXPECT_EQ(pack(0x80, 0x00, 0x00, 0x00), (Four{0x10, 0x00, 0x00, 0x00}));
  EXPECT_EQ(pack(0xFF, 0x00, 0x00, 0x00), (Four{0x11, 0x11, 0x11, 0x11}));
  EXPECT_EQ(pack(0x00, 0x00, 0x00, 0xFF), (Four{0x88, 0x88, 0x88, 0x88}));
  EXPECT_EQ(pack(0x12, 0x34, 0x56, 0x78), (Four{0x0C, 0xAF, 0x86, 0x50}));
  EXPECT_EQ(pack(0x112, 0xFF34, 0x12345656, 0xFFFFFF78), (Four{0x0C, 0xAF, 0x86, 0x50}));  // low bytes only
}

// Each input bit lands on exactly one output bit: bit b of input i goes to
// output byte (7 - b) / 2, at bit 4 + (i - 1) when b is odd, else bit i - 1.
TEST(BitPlanePack, EveryInputBitHasItsOwnPlace) {
  for (int input = 0; input < 4; ++input) {
    for (int bit = 0; bit < 8; ++bit) {
      uint32_t in[4] = {0, 0, 0, 0};
      in[input] = 1u << bit;
      Four expected{};
      expected[(7 - bit) / 2] = static_cast<uint8_t>(1u << ((bit % 2 ? 4 : 0) + input));
      EXPECT_EQ(pack(in[0], in[1], in[2], in[3]), expected) << "input " << input + 1 << " bit " << bit;
    }
  }
}

}  // namespace
}  // namespace led2vqn
