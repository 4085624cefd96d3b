// The one random generator of a run. It is never seeded: every card byte
// that looks random depends on every draw made since the program started,
// so the order of draws is part of the card format.
#pragma once

#include <cstdint>

namespace led2vqn {

class Generator {
 public:
  Generator() = default;
  Generator(const Generator&) = delete;
  Generator& operator=(const Generator&) = delete;

  // Advances the seed and returns the new one (seed/2^32 is the draw in [0, 1)).
  uint32_t next() {
    seed_ = seed_ * 134775813u + 1u;
    return seed_;
  }

  // round-half-even(Random * scale) mod n, with the product formed exactly.
  // REQUIRES: 0 < scale < 2^31, n > 0.
  int32_t draw(uint32_t scale, int32_t n) {
    const uint64_t product = uint64_t{next()} * scale;
    // Adding just under a half, and the last bit of the quotient, carries
    // into the quotient exactly when the rest is above a half or is a half
    // over an odd quotient; no branch, as the rest is as random as the seed.
    const uint64_t q = (product + 0x7FFFFFFFu + ((product >> 32) & 1)) >> 32;
    // q <= scale < 2^31: a 32-bit remainder is exact and cheaper.
    return static_cast<int32_t>(static_cast<uint32_t>(q) % static_cast<uint32_t>(n));
  }

  // draw(512, n).
  int32_t byte(int32_t n) { return draw(512, n); }

  uint32_t seed() const { return seed_; }
  // Puts the seed back to a value seed() gave: the draws of a frame that is
  // computed again after a failure come out as they did the first time.
  void rewindTo(uint32_t seed) { seed_ = seed; }

 private:
  uint32_t seed_ = 0;  // starts at 0, never reseeded
};

}  // namespace led2vqn
