#include "output/header.hpp"

#include <array>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "base/bytes.hpp"

namespace led2vqn {
namespace {

// Draws of saveHead: 506 fill bytes, 14 values (A, B, C, E, F, H, I, J, L,
// N1, N2, Q, S, U); the mode block's 4 + one per mode; s shift bytes.
constexpr int kFillDraws = 506;
constexpr int kValueDraws = 14;

// Test inputs from their own stream (SplitMix64), apart from the engine's generator.
struct Inputs {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int32_t in(int32_t low, int32_t high) { return low + int32_t(next() % (uint64_t(high) - low + 1)); }
};

void skip(Generator& rng, int draws) {
  for (int i = 0; i < draws; ++i) rng.next();
}
uint32_t seedAfter(int draws) {
  Generator rng;
  skip(rng, draws);
  return rng.seed();
}

TEST(SaveHead, EveryInputComesBackThroughTheDecoderAfterTheRightNumberOfDraws) {
  Generator rng, ref;  // ref makes the draws saveHead should make
  Inputs pick{7};
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

TEST(SaveHead, Byte6Of0x4BShiftsEverythingFromByte8UpByThree) {
  EXPECT_EQ(headShift(0x4B), 3);
  EXPECT_EQ(headShift(0x23), 0);  // nibbles differing by 1
  EXPECT_EQ(headShift(0xF0), 7);
  Generator probe;
  int before = 0;
  while (probe.byte(123) != 0x4B) ++before;
  Generator rng, ref;
  skip(rng, before);
  skip(ref, before + 1);
  HeadInputs in;
  in.framePeriod = 40;
  in.brightness = 100;
  std::vector<uint8_t> sector(kHeaderScratchBytes, 'K');
  ASSERT_EQ(saveHead(rng, sector.data(), in, ModeSettings{}), HeadResult::kOk);
  const uint8_t byte7 = uint8_t(ref.byte(123));
  skip(ref, kFillDraws - 2);
  const int32_t a = ref.byte(57) + 23;  // byte 16, moved to 19
  skip(ref, kValueDraws - 1);
  const uint8_t fresh[] = {uint8_t(ref.byte(215)), uint8_t(ref.byte(215)), uint8_t(ref.byte(215))};
  EXPECT_EQ(std::vector<uint8_t>(sector.begin() + 6, sector.begin() + 11),
            (std::vector<uint8_t>{0x4B, byte7, fresh[0], fresh[1], fresh[2]}));
  EXPECT_EQ(sector[19], a);
  EXPECT_EQ(rng.seed(), ref.seed());
  EXPECT_TRUE(checkBytesHold(sector.data(), 512));
}

// Refusals stop at the step that finds them: nothing is drawn past it.
TEST(SaveHead, RefusalsStopTheDrawsWhereTheyAreFound) {
  ModeTable table;
  HeadInputs in;
  in.frames = 100;
  in.framePeriod = 40;
  in.brightness = 100;
  std::vector<uint8_t> sector(kHeaderScratchBytes);
  Generator r1, r2, r3, r4;
  EXPECT_EQ(saveHead(r1, sector.data(), in, {true, 3, &table, 101}), HeadResult::kModeFrames);
  EXPECT_EQ(r1.seed(), seedAfter(kFillDraws + kValueDraws));
  EXPECT_EQ(saveHead(r2, sector.data(), in, {true, 3, &table, 100}), HeadResult::kOk);  // equal: accepted
  EXPECT_EQ(r2.seed(), seedAfter(kFillDraws + kValueDraws + 4 + 3 + headShift(sector[6])));
  in.brightness.reset();
  EXPECT_EQ(saveHead(r3, sector.data(), in, ModeSettings{}), HeadResult::kBadBrightness);
  EXPECT_EQ(r3.seed(), seedAfter(kFillDraws + 13));  // S is drawn, U is not
  in.framePeriod.reset();
  EXPECT_EQ(saveHead(r4, sector.data(), in, ModeSettings{}), HeadResult::kBadSpeed);
  EXPECT_EQ(r4.seed(), seedAfter(kFillDraws + 12));  // Q is drawn, S is not
}

TEST(FramePeriodOfSpeedText, MillisecondsPerFrame) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"25", 40}, {"33", 30}, {"33.3333333333333", 30}, {"7.8125", 128},  // 1000000 div 7812
      {"0", 30}, {"-3", 30}, {"0.0004", std::nullopt},  // positive, but 0 thousandths
      {"fast", std::nullopt}, {"", std::nullopt}};
  for (const auto& [text, period] : cases) EXPECT_EQ(framePeriodOfSpeedText(text), period) << text;
}

// Decoding must stay inside its buffer whatever a sector holds.
TEST(DecodeHeader, SurvivesArbitrarySectors) {
  Inputs pick{11};
  std::vector<uint8_t> sector(512);
  for (int iter = 0; iter < 20000; ++iter) {
    for (uint8_t& b : sector) b = static_cast<uint8_t>(pick.next());
    if (iter % 2 == 0) {  // a mode block marker, so that the mode rows are decoded too
      sector[6] = static_cast<uint8_t>(pick.in(0, 15) * 0x11);  // no shift
      const int32_t v = pick.in(0, 60000), w = v + pick.in(1144, 1156);
      sector[74] = lo(v), sector[77] = hi(v), sector[51] = lo(w), sector[66] = hi(w);
    }
    const DecodedHeader d = decodeCardHeader(sector.data());
    EXPECT_LE(d.modes.size(), static_cast<std::size_t>(kMaxModes));
    EXPECT_TRUE(d.modeBlock || iter % 2);
    EXPECT_LE(decodeUnshifted(sector.data(), sector.size()).modes.size(), static_cast<std::size_t>(kMaxModes));
  }
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
}

}  // namespace
}  // namespace led2vqn
