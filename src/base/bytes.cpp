#include "base/bytes.hpp"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace led2vqn {

namespace {

struct Sums {
  uint8_t sum;
  uint8_t xr;
};

// Sum mod 256 and XOR of bytes [0, n). Runs once per frame block over up to
// 100 KB, so it is done sixteen bytes at a time where the machine allows.
Sums sumsOf(const uint8_t* b, std::size_t n) {
  uint64_t sum = 0;
  uint8_t xr = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  __m128i sums = _mm_setzero_si128();
  __m128i xors = _mm_setzero_si128();
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    sums = _mm_add_epi64(sums, _mm_sad_epu8(v, zero));
    xors = _mm_xor_si128(xors, v);
  }
  uint64_t lanes[2];
  std::memcpy(lanes, &sums, sizeof lanes);
  sum = lanes[0] + lanes[1];
  uint8_t x[16];
  std::memcpy(x, &xors, sizeof x);
  for (uint8_t v : x) xr ^= v;
#endif
  for (; i < n; ++i) {
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
