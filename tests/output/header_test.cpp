#include "output/header.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "output/bytes.hpp"
#include "output/decimal_text.hpp"

namespace led2vqn {
namespace {

// Draws of saveHead: 506 fill bytes, 14 values (A, B, C, E, F, H, I, J, L,
// N1, N2, Q, S, U); the mode block's 4 + one per mode; s shift bytes.
constexpr int kFillDraws = 506;
constexpr int kValueDraws = 14;

// Test inputs come from their own stream, apart from the engine's generator.
class Inputs {
 public:
  explicit Inputs(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int32_t in(int32_t low, int32_t high) {  // low .. high inclusive
    return low + static_cast<int32_t>(next() % (static_cast<uint64_t>(high) - low + 1));
  }

 private:
  uint64_t state_;
};

void advance(Generator& rng, int draws) {
  for (int i = 0; i < draws; ++i) rng.next();
}

std::vector<uint8_t> sectorWithMagic() {
  std::vector<uint8_t> sector(kHeaderScratchBytes, 0);
  std::memcpy(sector.data(), "KWTEST", 6);
  return sector;
}

TEST(SaveHead, EveryInputComesBackThroughTheDecoder) {
  Generator rng, ref;  // ref counts the draws saveHead should make
  Inputs pick(7);
  const char* speeds[] = {"25", "33.3333333333333", "0", "1", "100", "7.8125"};
  std::array<int, 8> shiftsSeen{};
  int fullestLayouts = 0;  // 80 modes, Z = 8, s = 7: the last triple ends at byte 508
  for (int iter = 0; iter < 6000; ++iter) {
    HeadInputs in;
    in.ports = pick.in(1, 8);
    in.format = pick.in(0, 1000);
    in.blockOffset = pick.in(0, 50000);
    const int32_t frameKinds[] = {pick.in(0, 100), pick.in(0, INT32_MAX), INT32_MAX - pick.in(0, 3)};
    in.frames = frameKinds[iter % 3];
    in.channelBytes = pick.in(0, 48006);
    in.frameSectors = pick.in(1, 250);
    in.blockShift = pick.in(0, 16);
    const std::string speed = speeds[pick.in(0, 5)];
    in.framePeriod = framePeriodOfSpeedText(speed);
    in.brightness = pick.in(1, 100);

    ModeTable table;
    for (ModeRow& row : table) {
      row.start = pick.in(1, 64851);
      row.end = pick.in(1, 64851);
      const int32_t flags[] = {0, 1, 5, 6, 10};
      row.flag = flags[pick.in(0, 4)];
    }
    ModeSettings modes;
    modes.table = &table;
    modes.count = iter % 4 == 0 ? 80 : pick.in(0, 80);
    modes.on = pick.in(0, 3) != 0;
    modes.frameLimit = pick.in(0, in.frames);
    const bool block = modes.on && modes.count > 0;

    std::vector<uint8_t> sector = sectorWithMagic();
    ASSERT_EQ(saveHead(rng, sector.data(), in, modes), HeadResult::kOk);
    const int s = headShift(sector[6]);
    ++shiftsSeen[s];
    advance(ref, kFillDraws + kValueDraws + (block ? 4 + modes.count : 0) + s);
    ASSERT_EQ(rng.seed(), ref.seed()) << "iteration " << iter;

    EXPECT_EQ(std::memcmp(sector.data(), "KWTEST", 6), 0);
    const DecodedHeader d = decodeCardHeader(sector.data());
    ASSERT_TRUE(d.checksOk);
    EXPECT_EQ(d.shift, s);
    EXPECT_EQ(d.ports, in.ports);
    EXPECT_EQ(d.format, in.format);
    EXPECT_EQ(d.blockOffset, in.blockOffset);
    EXPECT_EQ(d.frames, in.frames);
    EXPECT_EQ(d.channelBytes, in.channelBytes);
    EXPECT_EQ(d.frameSectors, in.frameSectors);
    EXPECT_EQ(d.framePeriod, *in.framePeriod) << speed;
    EXPECT_EQ(d.brightness, in.brightness);
    EXPECT_EQ(d.blockShift, in.blockShift);
    ASSERT_EQ(d.modeBlock, block) << "iteration " << iter;
    if (!block) continue;
    ASSERT_EQ(d.modeCount, modes.count);
    ASSERT_EQ(d.modes.size(), static_cast<std::size_t>(modes.count));
    for (int i = 0; i < modes.count; ++i) {
      EXPECT_EQ(d.modes[i].start, table[i].start) << "mode " << i;
      EXPECT_EQ(d.modes[i].end, table[i].end) << "mode " << i;
      EXPECT_EQ(d.modes[i].flag, table[i].flag > 5 ? 10 : 0) << "mode " << i;
    }
    if (modes.count == 80 && d.z == 8 && s == 7) ++fullestLayouts;
  }
  for (int s = 0; s < 8; ++s) EXPECT_GT(shiftsSeen[s], 0) << "shift " << s;
  EXPECT_GT(fullestLayouts, 0);
}

TEST(SaveHead, Byte6Of0x4BShiftsEverythingFromByte8UpByThree) {
  Generator probe;
  int before = 0;
  while (probe.byte(123) != 0x4B) ++before;
  Generator rng, ref;
  advance(rng, before);
  advance(ref, before);

  HeadInputs in;
  in.framePeriod = 40;
  in.brightness = 100;
  std::vector<uint8_t> sector = sectorWithMagic();
  ASSERT_EQ(saveHead(rng, sector.data(), in, ModeSettings{}), HeadResult::kOk);

  EXPECT_EQ(ref.byte(123), 0x4B);
  const int32_t byte7 = ref.byte(123);
  advance(ref, kFillDraws - 2);
  const int32_t a = ref.byte(57) + 23;
  advance(ref, kValueDraws - 1);
  const int32_t fresh[] = {ref.byte(215), ref.byte(215), ref.byte(215)};

  EXPECT_EQ(std::memcmp(sector.data(), "KWTEST", 6), 0);
  EXPECT_EQ(sector[6], 0x4B);
  EXPECT_EQ(sector[7], byte7);
  EXPECT_EQ(sector[8], fresh[0]);
  EXPECT_EQ(sector[9], fresh[1]);
  EXPECT_EQ(sector[10], fresh[2]);
  EXPECT_EQ(sector[19], a);
  EXPECT_EQ(rng.seed(), ref.seed());
  EXPECT_TRUE(checkBytesHold(sector.data(), 512));
}

TEST(SaveHead, ShiftOfByte6) {
  EXPECT_EQ(headShift(0x4B), 3);
  EXPECT_EQ(headShift(0x22), 0);
  EXPECT_EQ(headShift(0x23), 0);  // nibbles differing by 1
  EXPECT_EQ(headShift(0x32), 0);
  EXPECT_EQ(headShift(0x0F), 7);
  EXPECT_EQ(headShift(0xF0), 7);
  EXPECT_EQ(headShift(0x7A), 1);
}

TEST(SaveHead, ShiftUpAndDownAreInverse) {
  std::vector<uint8_t> sector(kHeaderScratchBytes);
  for (std::size_t i = 0; i < sector.size(); ++i) sector[i] = static_cast<uint8_t>(i * 7 + 3);
  const std::vector<uint8_t> original = sector;
  Generator rng, ref;
  shiftUp(rng, sector.data(), 7);
  for (int j = 0; j < 8; ++j) EXPECT_EQ(sector[j], original[j]);
  for (int j = 8; j < 15; ++j) EXPECT_EQ(sector[j], ref.byte(215));
  for (int j = 15; j < 520; ++j) ASSERT_EQ(sector[j], original[j - 7]) << j;
  shiftDown(sector.data(), 7);
  for (int j = 8; j < 510; ++j) ASSERT_EQ(sector[j], original[j]) << j;

  shiftUp(rng, sector.data(), 0);
  EXPECT_EQ(rng.seed(), ref.seed());  // no shift, no draws
}

TEST(SaveHead, ModeFrameLimitEqualToFramesIsAcceptedOneMoreIsRefused) {
  ModeTable table;
  ModeSettings modes{true, 3, &table, 100};
  HeadInputs in;
  in.frames = 100;
  in.framePeriod = 40;
  in.brightness = 100;
  Generator rng, ref;
  std::vector<uint8_t> sector = sectorWithMagic();
  ASSERT_EQ(saveHead(rng, sector.data(), in, modes), HeadResult::kOk);
  advance(ref, kFillDraws + kValueDraws + 4 + 3 + headShift(sector[6]));
  ASSERT_EQ(rng.seed(), ref.seed());

  modes.frameLimit = 101;
  EXPECT_EQ(saveHead(rng, sector.data(), in, modes), HeadResult::kModeFrames);
  advance(ref, kFillDraws + kValueDraws);  // nothing drawn past step 18
  EXPECT_EQ(rng.seed(), ref.seed());

  // With multi-mode off the limit is not looked at.
  modes.on = false;
  EXPECT_EQ(saveHead(rng, sector.data(), in, modes), HeadResult::kOk);
  EXPECT_FALSE(decodeCardHeader(sector.data()).modeBlock);
}

TEST(SaveHead, UnconvertibleFieldsStopAtTheStepThatReadsThem) {
  HeadInputs in;
  in.brightness = 100;
  Generator rng, ref;
  std::vector<uint8_t> sector = sectorWithMagic();
  EXPECT_EQ(saveHead(rng, sector.data(), in, ModeSettings{}), HeadResult::kBadSpeed);
  advance(ref, kFillDraws + 12);  // Q is drawn, S is not
  EXPECT_EQ(rng.seed(), ref.seed());

  in.framePeriod = 40;
  in.brightness.reset();
  EXPECT_EQ(saveHead(rng, sector.data(), in, ModeSettings{}), HeadResult::kBadBrightness);
  advance(ref, kFillDraws + 13);
  EXPECT_EQ(rng.seed(), ref.seed());
}

TEST(FramePeriodOfSpeedText, MillisecondsPerFrame) {
  EXPECT_EQ(framePeriodOfSpeedText("25"), 40);
  EXPECT_EQ(framePeriodOfSpeedText("33"), 30);
  EXPECT_EQ(framePeriodOfSpeedText("33.3333333333333"), 30);
  EXPECT_EQ(framePeriodOfSpeedText("1"), 1000);
  EXPECT_EQ(framePeriodOfSpeedText("100"), 10);
  EXPECT_EQ(framePeriodOfSpeedText("7.8125"), 128);  // 1000000 div 7812
  EXPECT_EQ(framePeriodOfSpeedText("0"), 30);
  EXPECT_EQ(framePeriodOfSpeedText("-3"), 30);
  EXPECT_EQ(framePeriodOfSpeedText("0.0004"), std::nullopt);  // positive, but 0 thousandths
  EXPECT_EQ(framePeriodOfSpeedText("fast"), std::nullopt);
  EXPECT_EQ(framePeriodOfSpeedText(""), std::nullopt);
}

// Decoding must stay inside its buffer whatever a sector holds.
TEST(DecodeHeader, SurvivesArbitrarySectors) {
  Inputs pick(11);
  std::vector<uint8_t> sector(512);
  for (int iter = 0; iter < 20000; ++iter) {
    for (uint8_t& b : sector) b = static_cast<uint8_t>(pick.next());
    if (iter % 2 == 0) {
      // A mode block marker, so that the mode rows are decoded too.
      sector[6] = static_cast<uint8_t>(pick.in(0, 15) * 0x11);  // no shift
      const int32_t v = pick.in(0, 60000);
      const int32_t w = v + pick.in(1144, 1156);
      sector[74] = lo(v);
      sector[77] = hi(v);
      sector[51] = lo(w);
      sector[66] = hi(w);
    }
    const DecodedHeader d = decodeCardHeader(sector.data());
    EXPECT_LE(d.modes.size(), static_cast<std::size_t>(kMaxModes));
    if (iter % 2 == 0) {
      EXPECT_TRUE(d.modeBlock);
    }
    const DecodedHeader u = decodeUnshifted(sector.data(), sector.size());
    EXPECT_LE(u.modes.size(), static_cast<std::size_t>(kMaxModes));
  }
}

TEST(DecodeHeader, StartPairsSkipFiveBytesPastByte150) {
  std::vector<uint8_t> sector(512, 0);
  sector[149] = 0x34;  // mode 36 (i = 35): p = 150
  sector[150] = 0x12;
  sector[156] = 0x78;  // mode 37 (i = 36): p = 152, moved to 157
  sector[157] = 0x56;
  sector[256 + 3 * 36] = 131;  // its factor r: a reversed mode
  const auto at150 = decodeModeRow(sector.data(), sector.size(), 0, 35);
  const auto at157 = decodeModeRow(sector.data(), sector.size(), 0, 36);
  ASSERT_TRUE(at150 && at157);
  EXPECT_EQ(at150->start, 0x1234);
  EXPECT_EQ(at150->flag, 0);
  EXPECT_EQ(at157->start, 0x5678 - 3 * 131);
  EXPECT_EQ(at157->end, -3 * 131);
  EXPECT_EQ(at157->flag, 10);
}

// Undoing a shift of s moves the check bytes to 510 - s and 511 - s; a mode
// row placed there reads them, as Read mode's arithmetic does.
TEST(DecodeHeader, UnshiftedCheckBytesStayReadable) {
  std::vector<uint8_t> sector(512, 0);
  const int s = 7;
  sector[6] = 0x0E;
  auto at = [&](int unshifted) -> uint8_t& { return sector[unshifted + s]; };
  at(74) = lo(1000);  // V = 1000, W = 2144: a mode block
  at(77) = hi(1000);
  at(51) = lo(2144);
  at(66) = hi(2144);
  at(71) = 10;        // one mode
  at(63) = 12;
  at(61) = 6;         // Z = 249: mode 1's end pair at 503, 504; its factor at 505 (past the card: 0)
  at(76) = 255;
  setCheckBytes(sector.data(), 512);
  ASSERT_NE(sector[510] | sector[511], 0);
  const DecodedHeader d = decodeCardHeader(sector.data());
  ASSERT_TRUE(d.checksOk);
  ASSERT_TRUE(d.modeBlock);
  ASSERT_EQ(d.modes.size(), 1u);
  EXPECT_EQ(d.modes[0].end, 256 * sector[511] + sector[510]);
}

TEST(DecodeHeader, ModeRowsOutsideTheBufferAreNotRead) {
  std::vector<uint8_t> sector(512, 0);
  EXPECT_TRUE(decodeModeRow(sector.data(), sector.size(), 8, 79).has_value());  // ends at byte 501
  EXPECT_TRUE(decodeModeRow(sector.data(), sector.size(), -79, 0).has_value());  // starts at byte 0
  EXPECT_FALSE(decodeModeRow(sector.data(), sector.size(), -80, 0).has_value());
  EXPECT_TRUE(decodeModeRow(sector.data(), sector.size(), 18, 79).has_value());   // factor at byte 511
  EXPECT_FALSE(decodeModeRow(sector.data(), sector.size(), 19, 79).has_value());  // factor at byte 512
}

}  // namespace
}  // namespace led2vqn
