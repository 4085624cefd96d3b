#include "output/card_placement.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "output/bitplane.hpp"

namespace led2vqn {
namespace {

using Bytes = std::vector<uint8_t>;

// A byte that differs between neighbouring positions and lines.
uint8_t patternAt(int64_t x) { return static_cast<uint8_t>((x * 131 + x / 251) & 0xFF); }

const ColumnGeometry& geometryOf(OutputKind kind) { return cardModel(kind)->geometry; }

TEST(FrameNormalisation, ReversesThePortsOfEveryComponentWithinTheGroups) {
  Bytes one = {1, 2, 3};
  frameNormalisation(one.data(), 1, 1);
  EXPECT_EQ(one, (Bytes{1, 2, 3}));
  // Two groups of four ports, components 1x, 2x, 3x; the byte after them stays.
  Bytes four = {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34, 41, 42, 43, 44, 51, 52, 53, 54, 61, 62, 63, 64, 99};
  frameNormalisation(four.data(), 4, 2);
  EXPECT_EQ(four, (Bytes{14, 13, 12, 11, 24, 23, 22, 21, 34, 33, 32, 31, 44, 43, 42, 41, 54, 53, 52, 51, 64, 63,
                         62, 61, 99}));
  Bytes seven(21);
  for (int i = 0; i < 21; ++i) seven[i] = static_cast<uint8_t>(i);
  frameNormalisation(seven.data(), 7, 1);
  EXPECT_EQ(seven, (Bytes{6, 5, 4, 3, 2, 1, 0, 13, 12, 11, 10, 9, 8, 7, 20, 19, 18, 17, 16, 15, 14}));
}

TEST(PortStreams, SplitPortsAndSetBitsAboveOneHundred) {
  Bytes frame;  // port 1 alternates 100 / 101, port 2 is 255
  for (int t = 0; t < 16; ++t) frame.insert(frame.end(), {uint8_t(t % 2 == 0 ? 100 : 101), 255});
  Bytes s0(16), s1(16);
  uint8_t* rows[] = {s0.data(), s1.data()};
  splitPorts(frame.data(), 2, 16, rows);
  EXPECT_EQ(s0[1], 101);
  EXPECT_EQ(s1[7], 255);
  Bytes bits = {0, 0, 0x5A};
  buildPortBits(s0.data(), 15, bits.data());  // one whole byte of bits only
  EXPECT_EQ(bits, (Bytes{0xAA, 0, 0x5A}));     // bit 0 is the first component
}

TEST(ScaleTable, TruncatesKeepsTheLowByteAndPacksAsBitPlanePack) {
  EXPECT_EQ(brightnessTable(100).value, identityTable().value);
  EXPECT_EQ(brightnessTable(50).value[255], 127);
  EXPECT_EQ(brightnessTable(1).value[255], 2);
  EXPECT_EQ(brightnessTable(1).value[99], 0);
  EXPECT_EQ(brightnessTable(200).value[128], 0);  // 256 wraps
  const ScaleTable t = brightnessTable(73);
  for (int a = 0; a < 256; ++a) {
    const int b = (a * 7 + 3) & 0xFF, c = (a * 13 + 5) & 0xFF, d = (a * 29 + 11) & 0xFF;
    uint8_t expected[4];
    bitPlanePack(t.value[a], t.value[b], t.value[c], t.value[d], expected);
    const uint32_t w = t.planes[0][a] | t.planes[1][b] | t.planes[2][c] | t.planes[3][d];
    for (int k = 0; k < 4; ++k) ASSERT_EQ(uint8_t(w >> (8 * k)), expected[k]) << a << " " << k;
  }
}

class PlacementTest : public ::testing::Test {
 protected:
  PlacementTest() {
    for (std::size_t i = 0; i < state.frame.size(); ++i) state.frame[i] = patternAt(int64_t(i));
    for (std::size_t i = 0; i < state.portBits.size(); ++i) state.portBits[i] = patternAt(int64_t(i) * 7);
  }
  uint8_t frameByte(int64_t x) const { return state.frame[x]; }
  // BitPlanePack of four bytes from `at`, `apart` bytes apart.
  Bytes packed(const uint8_t* at, int64_t apart = 1, const ScaleTable& t = identityTable()) const {
    Bytes out(4);
    bitPlanePack(t.value[at[0]], t.value[at[apart]], t.value[at[2 * apart]], t.value[at[3 * apart]], out.data());
    return out;
  }
  Bytes work(int64_t from, int64_t n) const { return Bytes(state.work.data() + from, state.work.data() + from + n); }

  EngineState state;
  const ScaleTable full = identityTable();
};

TEST_F(PlacementTest, OnePortRgbColumnIsFiftyTwoBytesFromLine25SecondChannelFirst) {
  placeFrame(geometryOf(OutputKind::kZ71Rgb), state, 1, 1, 5, 10600, full);
  const uint8_t* w = &state.work[5];
  EXPECT_EQ(w[0], frameByte(384 * 25 + 1));
  EXPECT_EQ(w[1], frameByte(384 * 25));
  EXPECT_EQ(w[2], frameByte(384 * 24 + 1));
  EXPECT_EQ(w[51], frameByte(0));
  EXPECT_EQ(w[52], frameByte(384 * 25 + 3));         // column 1
  EXPECT_EQ(w[52 * 197 + 50], frameByte(395));       // column 197 reaches into the next line
}

TEST_F(PlacementTest, FourPortsPackTheSecondChannelThenTheFirst) {
  const ScaleTable half = brightnessTable(50);
  placeFrame(geometryOf(OutputKind::kZ71Rgb), state, 4, 4, 0, 41500, half);
  EXPECT_EQ(work(0, 4), packed(&state.frame[(384 * 25 + 1) * 4], 1, half));
  EXPECT_EQ(work(4, 4), packed(&state.frame[384 * 25 * 4], 1, half));
  EXPECT_EQ(work(208 * 3 + 8 * 25, 4), packed(&state.frame[7 * 4], 1, half));  // column 3, line 0
}

TEST_F(PlacementTest, SecondGroupStartsAtBlockOffsetPlusShift) {
  const ColumnGeometry& g = geometryOf(OutputKind::kZ71Rgb);
  placeFrame(g, state, 2, 2, 3, 10700, full);
  EXPECT_EQ(state.work[3], frameByte((384 * 25 + 1) * 2));
  EXPECT_EQ(state.work[10703], frameByte((384 * 25 + 1) * 2 + 1));
  placeFrame(g, state, 8, 8, 16, 42000, full);
  EXPECT_EQ(work(42016, 4), packed(&state.frame[(384 * 25 + 1) * 8 + 4]));
}

TEST_F(PlacementTest, WhiteColumnTakesTheWhiteTableByteOfItsLine) {
  for (int q = 0; q < kWhiteRows; ++q) {
    for (int l = 0; l < 26; ++l) state.whiteRow(q)[l] = static_cast<uint8_t>(10 * q + l + 100);
  }
  const ScaleTable half = brightnessTable(50);
  placeFrame(geometryOf(OutputKind::kZ71Rgbw), state, 2, 2, 0, 10600, half);
  const uint8_t* col = &state.work[52 * 192];
  EXPECT_EQ(col[0], (25 + 100) / 2);  // line 25, both channels
  EXPECT_EQ(col[1], (25 + 100) / 2);
  EXPECT_EQ(col[51], 100 / 2);        // line 0
  EXPECT_EQ(state.work[10600 + 52 * 192], (10 + 25 + 100) / 2);  // port 2 reads row 1
  EXPECT_EQ(col[52], half.value[frameByte((384 * 25 + 387) * 2)]);  // column 193: channel 387
}

TEST_F(PlacementTest, J9ColumnIsOneChannelOfFourLines) {
  placeFrame(geometryOf(OutputKind::kJ9), state, 1, 1, 0, 10500, full);
  for (int c : {0, 2249}) {
    EXPECT_EQ(work(4 * c, 4), (Bytes{frameByte(6720 + c), frameByte(4480 + c), frameByte(2240 + c), frameByte(c)}));
  }
  placeFrame(geometryOf(OutputKind::kJ9), state, 4, 4, 0, 41500, full);
  EXPECT_EQ(work(0, 4), packed(&state.frame[4 * 6720]));
}

TEST_F(PlacementTest, Z94TakesPortOneOfAManyPortFrame) {
  placeFrame(geometryOf(OutputKind::kZ94), state, 4, 1, 0, 12700, full);
  EXPECT_EQ(state.work[0], frameByte((792 * 15 + 1) * 4));
  EXPECT_EQ(state.work[32 * 399 + 31], frameByte(798 * 4));
}

TEST_F(PlacementTest, Z6ColumnsComeFromThePortBitsAndTheSecondHalfWins) {
  const uint8_t* bits = state.portBitRow(0);
  placeFrame(geometryOf(OutputKind::kZ6), state, 1, 1, 4, 4000, full);
  EXPECT_EQ(work(4, 2), (Bytes{bits[3241], bits[3240]}));
  EXPECT_EQ(work(4 + 30, 4), (Bytes{bits[1], bits[0], bits[3243], bits[3242]}));
  // With 8 ports at offset 14500 the second half overwrites the first's end.
  placeFrame(geometryOf(OutputKind::kZ6), state, 8, 8, 0, 14500, full);
  EXPECT_EQ(work(14500 + 128 * 6, 4), packed(state.portBitRow(4) + 3241 + 12, int64_t(kPortBitRowBytes)));
}

TEST_F(PlacementTest, Z36ColumnOfOnePortAndBrightnessWrap) {
  placeFrame(geometryOf(OutputKind::kZ36), state, 1, 1, 2, 12500, full);
  EXPECT_EQ(work(2, 2), (Bytes{frameByte(11265), frameByte(11264)}));
  EXPECT_EQ(work(2 + 22, 3), (Bytes{frameByte(1), frameByte(0), frameByte(11267)}));
  state.frame[11265 * 6] = 128;
  state.frame[11265 * 6 + 1] = 129;
  placeFrame(geometryOf(OutputKind::kZ36), state, 6, 2, 2, 12500, brightnessTable(200));
  EXPECT_EQ(state.work[2], 0);          // port 1: 256 keeps its low byte
  EXPECT_EQ(state.work[12500 + 2], 2);  // port 2: 258
}

}  // namespace
}  // namespace led2vqn
