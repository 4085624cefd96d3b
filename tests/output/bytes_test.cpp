#include "output/bytes.hpp"

#include <array>

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

TEST(Bytes, LoAndHiTruncateTowardZero) {
  EXPECT_EQ(lo(4000), 160);
  EXPECT_EQ(hi(4000), 15);
  EXPECT_EQ(lo(-43), 213);
  EXPECT_EQ(hi(-43), 0);       // -43 div 256 = 0
  EXPECT_EQ(hi(-300), 255);    // -300 div 256 = -1
  EXPECT_EQ(lo(65536 + 258), 2);
  EXPECT_EQ(hi(65536 + 258), 1);
}

TEST(Bytes, PairAndLittleEndianFields) {
  const uint8_t b[] = {0x34, 0x12};
  EXPECT_EQ(pair(b, 0, 1), 0x1234);
  EXPECT_EQ(pair(b, 1, 0), 0x3412);

  std::array<uint8_t, 4> field{};
  putLe32(field.data(), 0x80FF0102u);
  EXPECT_EQ(field, (std::array<uint8_t, 4>{0x02, 0x01, 0xFF, 0x80}));
  EXPECT_EQ(getLe32(field.data()), 0x80FF0102u);
}

TEST(Bytes, CheckBytesAreSumThenXorIncludingTheSum) {
  std::array<uint8_t, 6> block{0x10, 0x20, 0xF0, 0x33, 0, 0};
  setCheckBytes(block.data(), block.size());
  EXPECT_EQ(block[4], 0x53);  // 0x153 mod 256
  EXPECT_EQ(block[5], 0x10 ^ 0x20 ^ 0xF0 ^ 0x33 ^ 0x53);
  EXPECT_TRUE(checkBytesHold(block.data(), block.size()));

  for (std::size_t i = 0; i < block.size(); ++i) {
    auto broken = block;
    broken[i] ^= 0x04;
    EXPECT_FALSE(checkBytesHold(broken.data(), broken.size())) << "byte " << i;
  }
}

}  // namespace
}  // namespace led2vqn
