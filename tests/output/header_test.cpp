#include "output/header.hpp"

#include <array>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "base/bytes.hpp"

namespace led2vqn {
namespace {

// Draws of saveHead: 506 fill bytes, 14 values (A, B, C, E, F, H, I, J, L,
// N1, N2, Q, S, U); the mode block's 4 + one per mode; s shift bytes.
constexpr int kFillDraws = 506;
constexpr int kValueDraws = 14;

// Test inputs from their own stream, apart from the engine's generator.
struct Inputs {
  std::mt19937_64 stream;
  int32_t in(int32_t low, int32_t high) { return low + int32_t(stream() % (uint64_t(high) - low + 1)); }
};

void skip(Generator& rng, int draws) {
  for (int i = 0; i < draws; ++i) rng.next();
}

TEST(SaveHead, EveryInputComesBackThroughTheDecoderAfterTheRightNumberOfDraws) {
  Generator rng, ref;  // ref makes the draws saveHead should make
  Inputs pick{std::mt19937_64{7}};
  const char* speeds[] = {"25", "33.3333333333333", "0", "1", "7.8125"};
  std::array<int, 8> shiftsSeen{};
  int fullestLayouts = 0;  // 80 modes, Z = 8, s = 7: the last triple ends at byte 508
  for (int iter = 0; iter < 6000; ++iter) {
    SCOPED_TRACE(iter);
    const int32_t frames[] = {pick.in(0, 100), pick.in(0, INT32_MAX), INT32_MAX - pick.in(0, 3)};
    const HeadInputs in{pick.in(1, 8),    pick.in(0, 1000),  pick.in(0, 50000),
                        frames[iter % 3], pick.in(0, 48006), pick.in(1, 250),
                        pick.in(0, 16),   framePeriodOfSpeedText(speeds[pick.in(0, 4)]), pick.in(1, 100)};
    ModeTable table;
    for (ModeRow& row : table) row = {pick.in(1, 64851), pick.in(1, 64851), std::array{0, 1, 5, 6, 10}[pick.in(0, 4)]};
    const ModeSettings modes{pick.in(0, 3) != 0, iter % 4 == 0 ? 80 : pick.in(0, 80), &table, pick.in(0, in.frames)};
    const bool block = modes.on && modes.count > 0;

    std::vector<uint8_t> sector(kHeaderScratchBytes, 'K');
    ASSERT_EQ(saveHead(rng, sector.data(), in, modes), HeadResult::kOk);
    const int s = headShift(sector[6]);
    ++shiftsSeen[s];
    skip(ref, kFillDraws + kValueDraws + (block ? 4 + modes.count : 0) + s);
    ASSERT_EQ(rng.seed(), ref.seed());
    EXPECT_EQ(std::vector<uint8_t>(sector.begin(), sector.begin() + 6), std::vector<uint8_t>(6, 'K'));
    const DecodedHeader d = decodeCardHeader(sector.data());
    ASSERT_TRUE(d.checksOk);
    EXPECT_EQ(d.shift, s);
    EXPECT_EQ((std::vector<int32_t>{d.ports.value_or(-1), d.format, d.blockOffset, d.frames, d.channelBytes,
                                    d.frameSectors.value_or(-1), d.framePeriod, d.brightness,
                                    d.blockShift.value_or(-1)}),
              (std::vector<int32_t>{in.ports, in.format, in.blockOffset, in.frames, in.channelBytes, in.frameSectors,
                                    *in.framePeriod, *in.brightness, in.blockShift}));
    ASSERT_EQ(d.modeBlock, block);
    ASSERT_EQ(d.modes.size(), block ? std::size_t(modes.count) : 0u);
    for (std::size_t i = 0; i < d.modes.size(); ++i) {
      EXPECT_EQ((std::array{d.modes[i].start, d.modes[i].end, d.modes[i].flag}),
                (std::array{table[i].start, table[i].end, table[i].flag > 5 ? 10 : 0})) << "mode " << i;
    }
    if (modes.count == 80 && d.z == 8 && s == 7) ++fullestLayouts;
  }
  for (int s = 0; s < 8; ++s) EXPECT_GT(shiftsSeen[s], 0) << "shift " << s;
  EXPECT_GT(fullestLayouts, 0);
}

TEST(FramePeriodOfSpeedText, MillisecondsPerFrame) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"25", 40}, {"33", 30}, {"33.3333333333333", 30}, {"7.8125", 128},  // 1000000 div 7812
      {"0", 30}, {"-3", 30}, {"0.0004", std::nullopt},  // positive, but 0 thousandths
      {"fast", std::nullopt}, {"", std::nullopt}};
  for (const auto& [text, period] : cases) EXPECT_EQ(framePeriodOfSpeedText(text), period) << text;
}

TEST(DecodeHeader, StartPairsSkipFiveBytesPastByte150AndRowsOutsideTheBufferAreNotRead) {
  std::vector<uint8_t> sector(512, 0);
  sector[156] = 0x78;  // mode 37 (i = 36), Z = 0: p = 152, moved to 157
  sector[157] = 0x56;
  sector[256 + 3 * 36] = 131;  // its factor r: a reversed mode
  const auto row = decodeModeRow(sector.data(), sector.size(), 0, 36);
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ((std::array{row->start, row->end, row->flag}), (std::array{0x5678 - 3 * 131, -3 * 131, 10}));
  EXPECT_TRUE(decodeModeRow(sector.data(), sector.size(), -79, 0).has_value());  // starts at byte 0
  EXPECT_FALSE(decodeModeRow(sector.data(), sector.size(), -80, 0).has_value());
  EXPECT_TRUE(decodeModeRow(sector.data(), sector.size(), 18, 79).has_value());   // factor at byte 511
  EXPECT_FALSE(decodeModeRow(sector.data(), sector.size(), 19, 79).has_value());  // factor at byte 512
  for (const int32_t z : {INT32_MAX, INT32_MIN, 2147483479}) {  // positions 254 + z + 3i must not overflow
    for (const int i : {0, 35, 79}) EXPECT_FALSE(decodeModeRow(sector.data(), sector.size(), z, i).has_value()) << z;
  }
}

}  // namespace
}  // namespace led2vqn
