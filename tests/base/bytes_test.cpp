#include "base/bytes.hpp"

#include <array>

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

TEST(Bytes, LoAndHiTruncateTowardZero) {
  EXPECT_EQ(lo(-43), 213);
  EXPECT_EQ(hi(-43), 0);     // -43 div 256 = 0
  EXPECT_EQ(hi(-300), 255);  // -300 div 256 = -1
  EXPECT_EQ(hi(65536 + 258), 1);
}

// Byte len-2 is the sum of the bytes before it, byte len-1 their XOR and the
// sum's; 37 bytes run through whole runs of sixteen and a rest.
TEST(Bytes, CheckBytesAreSumThenXorIncludingTheSum) {
  std::array<uint8_t, 37> block{};
  uint32_t sum = 0;
  uint8_t xr = 0;
  for (std::size_t i = 0; i < 35; ++i) {
    block[i] = static_cast<uint8_t>(i * 97 + 200);
    sum += block[i];
    xr ^= block[i];
  }
  setCheckBytes(block.data(), block.size());
  EXPECT_EQ(block[35], sum % 256);
  EXPECT_EQ(block[36], xr ^ (sum % 256));
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] ^= 0x04;
    EXPECT_FALSE(checkBytesHold(block.data(), block.size())) << "byte " << i;
    block[i] ^= 0x04;
  }
  EXPECT_TRUE(checkBytesHold(block.data(), block.size()));
}

}  // namespace
}  // namespace led2vqn
