#include "output/bytes.hpp"

namespace led2vqn {

namespace {

struct Sums {
  uint8_t sum;
  uint8_t xr;
};

// Sum and XOR of bytes [0, n). Eight lanes keep the loop vectorisable.
Sums sumsOf(const uint8_t* b, std::size_t n) {
  uint64_t sum = 0;
  uint8_t xr = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += b[i];
    xr ^= b[i];
  }
  return {static_cast<uint8_t>(sum), xr};
}

}  // namespace

void setCheckBytes(uint8_t* block, std::size_t len) {
  const Sums s = sumsOf(block, len - 2);
  block[len - 2] = s.sum;
  block[len - 1] = static_cast<uint8_t>(s.xr ^ s.sum);
}

bool checkBytesHold(const uint8_t* block, std::size_t len) {
  const Sums s = sumsOf(block, len - 2);
  return block[len - 2] == s.sum && block[len - 1] == static_cast<uint8_t>(s.xr ^ s.sum);
}

}  // namespace led2vqn
