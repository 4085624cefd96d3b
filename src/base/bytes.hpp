// Little-endian fields, lo/hi bytes and the two check bytes shared by every
// card sector and frame block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace led2vqn {

// Cards and program files are laid out in sectors of this many bytes.
inline constexpr std::size_t kSectorBytes = 512;

// Low 8 bits of v (v mod 256, for negative v too).
constexpr uint8_t lo(int64_t v) { return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFF); }

// (v div 256) mod 256 with div truncating toward zero: hi(-43) = 0.
constexpr uint8_t hi(int64_t v) { return lo(v / 256); }

// 256 * b[high] + b[low].
constexpr int32_t pair(const uint8_t* b, std::size_t low, std::size_t high) {
  return 256 * b[high] + b[low];
}

inline void putLe32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint32_t getLe32(const uint8_t* in) {
  return in[0] | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16) | (uint32_t{in[3]} << 24);
}

// Check bytes of a block of `len` bytes (len >= 2): byte len-2 is the sum of
// all bytes before it mod 256, byte len-1 the XOR of all bytes before it.
void setCheckBytes(uint8_t* block, std::size_t len);

// True when the last two bytes of the block are its check bytes.
bool checkBytesHold(const uint8_t* block, std::size_t len);

}  // namespace led2vqn
