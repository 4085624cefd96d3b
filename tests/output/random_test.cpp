#include "output/random.hpp"

#include <cmath>

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

void skip(Generator& rng, int steps) {
  for (int i = 0; i < steps; ++i) rng.next();
}

TEST(Generator, AdvancesBeforeItsFirstDraw) {
  Generator rng;
  EXPECT_EQ(rng.seed(), 0u);
  EXPECT_EQ(rng.next(), 1u);
  EXPECT_EQ(rng.next(), 134775814u);
  EXPECT_EQ(rng.next(), 3698175007u);
  EXPECT_EQ(rng.next(), 870078620u);
  EXPECT_EQ(rng.seed(), 870078620u);
}

TEST(Generator, RandomByteAndDrawFromTheStart) {
  Generator rng;
  const int32_t expected[] = {0, 16, 72, 104, 17, 98};  // byte(123) of seeds 1, 134775814, ...
  for (int32_t e : expected) EXPECT_EQ(rng.byte(123), e);

  Generator other;
  const int32_t draws[] = {0, 602, 117, 1545, 550, 1171};  // draw(19200, 2345) of the same seeds
  for (int32_t e : draws) EXPECT_EQ(other.draw(19200, 2345), e);
}

// Seed 1368768587 (the 7th) times 1048835741 lies 2^-32 below a half; a
// double product cannot hold that and lands on the half, then rounds up.
TEST(Generator, DrawFormsTheProductExactly) {
  Generator rng;
  skip(rng, 6);
  const double viaDouble = std::nearbyint(double{1368768587u} / 4294967296.0 * 1048835741.0);
  EXPECT_EQ(viaDouble, 334254796.0);
  EXPECT_EQ(rng.draw(1048835741u, 2147483647), 334254795);
}

// Seeds 134775814 (2nd) and 2884733762 (6th) are 2 * odd: times 2^30 they
// give an exact half, 33693953.5 and 721183440.5.
TEST(Generator, ExactHalvesRoundToEven) {
  Generator rng;
  skip(rng, 1);
  EXPECT_EQ(rng.draw(1u << 30, 2147483647), 33693954);
  skip(rng, 3);
  EXPECT_EQ(rng.draw(1u << 30, 2147483647), 721183440);
}

}  // namespace
}  // namespace led2vqn
