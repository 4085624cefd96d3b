#include "output/card_placement.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "output/bitplane.hpp"

namespace led2vqn {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(FrameNormalisation, ReversesThePortsOfEveryComponentWithinTheGroups) {
  Bytes one = {1, 2, 3};
  frameNormalisation(one.data(), 1, 1);
  EXPECT_EQ(one, (Bytes{1, 2, 3}));
  // Two groups of four ports, components 1x, 2x, 3x; the byte after them stays.
  Bytes four = {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34, 41, 42, 43, 44, 51, 52, 53, 54, 61, 62, 63, 64, 99};
  frameNormalisation(four.data(), 4, 2);
  EXPECT_EQ(four, (Bytes{14, 13, 12, 11, 24, 23, 22, 21, 34, 33, 32, 31, 44, 43, 42, 41, 54, 53, 52, 51, 64, 63,
                         62, 61, 99}));
  Bytes seven = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  frameNormalisation(seven.data(), 7, 1);
  EXPECT_EQ(seven, (Bytes{6, 5, 4, 3, 2, 1, 0, 13, 12, 11, 10, 9, 8, 7, 20, 19, 18, 17, 16, 15, 14}));
}

TEST(PortStreams, SplitPortsAndSetBitsAboveOneHundred) {
  Bytes frame;  // port 1 alternates 100 / 101, port 2 is 255
  for (int t = 0; t < 16; ++t) frame.insert(frame.end(), {uint8_t(t % 2 == 0 ? 100 : 101), 255});
  Bytes s0(16), s1(16), bits = {0, 0, 0x5A};
  uint8_t* rows[] = {s0.data(), s1.data()};
  splitPorts(frame.data(), 2, 16, rows);
  EXPECT_EQ(s1[7], 255);
  buildPortBits(s0.data(), 15, bits.data());  // one whole byte of bits only
  EXPECT_EQ(bits, (Bytes{0xAA, 0, 0x5A}));     // bit 0 is the first component
}

TEST(ScaleTable, TruncatesAndKeepsTheLowByte) {
  EXPECT_EQ(brightnessTable(100).value, identityTable().value);
  EXPECT_EQ(brightnessTable(50).value[255], 127);
  EXPECT_EQ(brightnessTable(1).value[255], 2);
  EXPECT_EQ(brightnessTable(1).value[99], 0);
}

// A FrameBuffer and port bits whose bytes differ between neighbouring positions and lines.
class PlacementTest : public ::testing::Test {
 protected:
  PlacementTest() {
    for (std::size_t i = 0; i < state.frame.size(); ++i) state.frame[i] = uint8_t((i * 131 + i / 251) & 0xFF);
    for (std::size_t i = 0; i < state.portBits.size(); ++i) state.portBits[i] = uint8_t((i * 917 + i / 37) & 0xFF);
  }
  void place(OutputKind kind, int ports, int used, int32_t shift, int32_t offset,
             const ScaleTable& t = identityTable()) {
    placeFrame(cardModel(kind)->geometry, state, ports, used, shift, offset, t);
  }
  // BitPlanePack of four bytes from `at`, `apart` bytes apart.
  Bytes packed(const uint8_t* at, int64_t apart = 1, const ScaleTable& t = identityTable()) const {
    Bytes out(4);
    bitPlanePack(t.value[at[0]], t.value[at[apart]], t.value[at[2 * apart]], t.value[at[3 * apart]], out.data());
    return out;
  }
  Bytes work(int64_t from, int64_t n) const { return Bytes(state.work.data() + from, state.work.data() + from + n); }

  EngineState state;
};

// WorkBuffer byte `at` after placing a frame of `ports` ports is FrameBuffer byte `from`.
TEST_F(PlacementTest, ColumnsTakeTheirChannelsFromTheLastLineToTheFirst) {
  using K = OutputKind;
  const struct {
    K kind;
    int ports, used, shift, offset;
    int64_t at, from;
  } picks[] = {
      // Z71 RGB: columns of 26 lines of 384 channels, 52 bytes each, the second channel first.
      {K::kZ71Rgb, 1, 1, 5, 10600, 5, 384 * 25 + 1}, {K::kZ71Rgb, 1, 1, 5, 10600, 6, 384 * 25},
      {K::kZ71Rgb, 1, 1, 5, 10600, 56, 0}, {K::kZ71Rgb, 1, 1, 5, 10600, 57, 384 * 25 + 3},  // line 0; column 1
      {K::kZ71Rgb, 1, 1, 5, 10600, 5 + 52 * 197 + 50, 395},  // column 197 reaches into the next line
      {K::kZ71Rgb, 2, 2, 3, 10700, 10703, (384 * 25 + 1) * 2 + 1},  // port 2 at offset + shift
      {K::kJ9, 1, 1, 0, 10500, 0, 6720}, {K::kJ9, 1, 1, 0, 10500, 3, 0},  // one channel, 4 lines
      {K::kZ94, 4, 1, 0, 12700, 0, (792 * 15 + 1) * 4}, {K::kZ94, 4, 1, 0, 12700, 32 * 399 + 31, 798 * 4},
      {K::kZ36, 1, 1, 2, 12500, 2, 11265}, {K::kZ36, 1, 1, 2, 12500, 26, 11267},
  };
  for (const auto& p : picks) {
    place(p.kind, p.ports, p.used, p.shift, p.offset);
    EXPECT_EQ(state.work[p.at], state.frame[p.from]) << "model " << int(p.kind) << " byte " << p.at;
  }
}

TEST_F(PlacementTest, FourPortsPackTheSecondChannelThenTheFirstAndEightWriteASecondGroup) {
  const ScaleTable half = brightnessTable(50);
  place(OutputKind::kZ71Rgb, 4, 4, 0, 41500, half);
  EXPECT_EQ(work(0, 4), packed(&state.frame[(384 * 25 + 1) * 4], 1, half));
  EXPECT_EQ(work(4, 4), packed(&state.frame[384 * 25 * 4], 1, half));
  EXPECT_EQ(work(208 * 3 + 8 * 25, 4), packed(&state.frame[7 * 4], 1, half));  // column 3, line 0
  place(OutputKind::kZ71Rgb, 8, 8, 16, 42000);
  EXPECT_EQ(work(42016, 4), packed(&state.frame[(384 * 25 + 1) * 8 + 4]));
}

TEST_F(PlacementTest, WhiteColumnTakesTheWhiteTableByteOfItsLine) {
  for (int q = 0; q < kWhiteRows; ++q) {
    for (int l = 0; l < 26; ++l) state.whiteRow(q)[l] = static_cast<uint8_t>(10 * q + l + 100);
  }
  place(OutputKind::kZ71Rgbw, 2, 2, 0, 10600, brightnessTable(50));
  EXPECT_EQ(work(52 * 192, 2), (Bytes{(25 + 100) / 2, (25 + 100) / 2}));  // line 25, both channels
  EXPECT_EQ(state.work[52 * 192 + 51], 100 / 2);                            // line 0
  EXPECT_EQ(state.work[10600 + 52 * 192], (10 + 25 + 100) / 2);             // port 2 reads row 1
  EXPECT_EQ(state.work[52 * 193], state.frame[(384 * 25 + 387) * 2] / 2);  // column 193: channel 387
}

TEST_F(PlacementTest, Z6ColumnsComeFromThePortBitsAndTheSecondHalfWins) {
  const uint8_t* bits = state.portBitRow(0);
  place(OutputKind::kZ6, 1, 1, 4, 4000);
  EXPECT_EQ(work(4 + 30, 4), (Bytes{bits[1], bits[0], bits[3243], bits[3242]}));
  // With 8 ports at offset 14500 the second half overwrites the first's end.
  place(OutputKind::kZ6, 8, 8, 0, 14500);
  EXPECT_EQ(work(14500 + 128 * 6, 4), packed(state.portBitRow(4) + 3241 + 12, int64_t(kPortBitRowBytes)));
}

TEST_F(PlacementTest, Z36BrightnessKeepsTheLowByteOfTheScaledValue) {
  state.frame[11265 * 6] = 128;
  state.frame[11265 * 6 + 1] = 129;
  place(OutputKind::kZ36, 6, 2, 2, 12500, brightnessTable(200));
  EXPECT_EQ(state.work[2], 0);          // port 1: 256
  EXPECT_EQ(state.work[12500 + 2], 2);  // port 2: 258
}

}  // namespace
}  // namespace led2vqn
