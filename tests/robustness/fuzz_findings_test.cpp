// Inputs the fuzz targets (tests/fuzz) found to break a property, kept as
// they were found. Run under the sanitizer build, each one also proves that
// the undefined behaviour or bad access it met is gone.
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "output/header.hpp"

namespace led2vqn {
namespace {

using Bytes = std::vector<uint8_t>;

// The card header target's use of decodeModeRow: z from input bytes 1 .. 4,
// the mode index from byte 5, over the input zero-padded to 512 bytes.
std::optional<ModeRow> modeRowAsTheTargetReadsIt(const Bytes& input) {
  Bytes sector(512, 0);
  std::memcpy(sector.data(), input.data(), input.size());
  int32_t z;
  std::memcpy(&z, input.data() + 1, sizeof z);
  return decodeModeRow(sector.data(), sector.size(), z, input[5] % kMaxModes);
}

// card_header, crash-b4780b86b776ade4552758724a6aaa64baa13186: z = 2147483479
// made the end pair position 254 + z + 3i overflow a 32-bit int.
TEST(FuzzFindings, ModeRowPositionsNearTheLargestZDoNotOverflow) {
  const Bytes input = {0x4b, 0x57, 0xff, 0xff, 0x7f, 0xff, 0x52, 0x66, 0x66, 0x7a, 0x66, 0x52, 0xbc};
  EXPECT_FALSE(modeRowAsTheTargetReadsIt(input).has_value());

  const Bytes sector(512, 0);
  for (const int32_t z : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
    for (const int i : {0, 35, 79}) EXPECT_FALSE(decodeModeRow(sector.data(), sector.size(), z, i).has_value()) << z;
  }
}

}  // namespace
}  // namespace led2vqn
