#include "base/bytes.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

TEST(Bytes, LoAndHiTruncateTowardZero) {
  EXPECT_EQ(lo(-43), 213);
  EXPECT_EQ(hi(-43), 0);     // -43 div 256 = 0
  EXPECT_EQ(hi(-300), 255);  // -300 div 256 = -1
  EXPECT_EQ(hi(65536 + 258), 1);
}

}  // namespace
}  // namespace led2vqn
