#include "output/card_writer.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "output/bytes.hpp"
#include "output/card_model.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using support::readBytes;
using Kind = WriteResult::Kind;

// The window as a writer sees it.
class TestHost : public ConversionHost {
 public:
  RowCells rowCells(int row) const override { return rows.at(std::size_t(row - 1)); }
  int rowCount() const override { return static_cast<int>(rows.size()) + 1; }
  int32_t twoPortFlag(int row) const override { return row == twoPortRow ? 10 : 0; }
  std::string speedText() const override { return speed; }
  std::string brightnessText() const override { return brightness; }
  ModeSettings modes() const override { return modeSettings; }
  void setProgressMax(int32_t) override {}
  void setProgress(int32_t) override {}

  std::vector<RowCells> rows;
  int twoPortRow = 0;
  std::string speed = "25";
  std::string brightness = "100";
  ModeTable modeTable{};
  ModeSettings modeSettings{false, 1, &modeTable, 0};
};

// Byte x of frame f.
using FrameByte = std::function<uint8_t(int f, int64_t x)>;
uint8_t mixed(int f, int64_t x) { return static_cast<uint8_t>((x * 37 + f * 11 + x / 256) & 0xFF); }
uint8_t portTimesTen(int, int64_t x) { return uint8_t(10 * (x % 4 + 1)); }  // for 4-port files

// A program file (512 header bytes, then the frames) and its row as the reader enters it.
RowCells writeProgram(const support::TempDir& dir, const std::string& name, int ports, int32_t frameLength,
                      int frames, const FrameByte& byteOf) {
  std::vector<uint8_t> bytes(512, 0x5A);
  for (int f = 1; f <= frames; ++f) {
    for (int64_t x = 0; x < frameLength; ++x) bytes.push_back(byteOf(f, x));
  }
  const int32_t pixels = std::min(frameLength / ports / 3, 16000) * ports;
  return RowCells{dir.write(name, bytes), std::to_string(frames), std::to_string(ports), std::to_string(pixels),
                  std::to_string(frameLength)};
}

// A written card, cut into its parts by its own header.
struct Card {
  explicit Card(const std::string& path) : bytes(readBytes(path)), head(decodeCardHeader(bytes.data())) {}
  int32_t blockBytes() const { return *head.frameSectors * 512; }
  // Byte `at` of frame block f, counted from the first group's start (K + 2).
  uint8_t image(int f, int64_t at) const {
    return bytes[512 + int64_t{f - 1} * blockBytes() + *head.blockShift + 2 + at];
  }
  int64_t trailerBytes(int blocks) const { return int64_t(bytes.size()) - 512 - int64_t{blocks} * blockBytes(); }

  std::vector<uint8_t> bytes;
  DecodedHeader head;
};

class CardWriterTest : public support::TempDirTest {
 protected:
  WriteResult convert(OutputKind kind) { return writeCard(state, kind, 1, host); }
  Card written(OutputKind kind) {
    const WriteResult r = convert(kind);
    EXPECT_EQ(r.kind, Kind::kWritten) << r.error;
    return Card(r.cardPath);
  }

  EngineState state;
  TestHost host;
};

TEST(CardName, CutsOnlyAtADotInTheFileName) {
  EXPECT_EQ(cardName("/d/shows/spring.led", 2, "P_Z71RGB_10K.vqn"), "/d/shows/spring_2P_Z71RGB_10K.vqn");
  EXPECT_EQ(cardName("/a/my.shows/spring", 2, "P_Z71RGB_10K.vqn"), "/a/my.shows/spring_2P_Z71RGB_10K.vqn");
  EXPECT_EQ(cardName("/a/b.c/d.e.led", 8, "P_Z6.vqn"), "/a/b.c/d.e_8P_Z6.vqn");
  EXPECT_EQ(cardName("", 1, "P_Z36.vqn"), "_1P_Z36.vqn");
}

TEST_F(CardWriterTest, NoFramesGiveTheHeaderThenTheTrailer) {
  host.rows = {writeProgram(dir, "empty.led", 1, 3072, 0, mixed)};
  const Card card = written(OutputKind::kZ71Rgb);
  EXPECT_TRUE(card.head.checksOk);
  EXPECT_EQ(card.head.frames, 0);
  EXPECT_EQ(*card.head.ports, 1);
  EXPECT_EQ(card.head.channelBytes, 3 * (1024 + 1));
  EXPECT_EQ(card.head.framePeriod, 40);
  const int64_t trailer = card.trailerBytes(0);
  EXPECT_GE(trailer, 117);
  EXPECT_LT(trailer, 117 + 2531 + 12345);
  // The trailer is the start of the 34567 fill bytes left in the FrameBuffer.
  EXPECT_TRUE(std::equal(card.bytes.begin() + 512, card.bytes.end(), state.frame.data()));
  for (int i = 0; i < 34567; ++i) ASSERT_TRUE(state.frame[i] >= 57 || state.frame[i] == 0) << i;
}

TEST_F(CardWriterTest, OnePortRgbBlocksHoldScaledColumnsAndCheckBytes) {
  host.rows = {writeProgram(dir, "one.led", 1, 10240, 3, mixed)};
  host.brightness = "50";
  const Card card = written(OutputKind::kZ71Rgb);
  EXPECT_GE(card.head.blockOffset, 10500);
  EXPECT_LE(card.head.blockOffset, 10832);
  for (int f = 1; f <= 3; ++f) {
    EXPECT_TRUE(checkBytesHold(&card.bytes[512 + (f - 1) * card.blockBytes()], std::size_t(card.blockBytes())));
    EXPECT_EQ(card.image(f, 0), mixed(f, 384 * 25 + 1) / 2) << f;
    EXPECT_EQ(card.image(f, 51), mixed(f, 0) / 2) << f;
  }
  EXPECT_TRUE(std::equal(card.bytes.end() - card.trailerBytes(3), card.bytes.end(), state.frame.data()));
}

TEST_F(CardWriterTest, BuffersEndAsTheWholeCopyOfEveryFrameLeavesThem) {
  host.rows = {writeProgram(dir, "eight.led", 8, 24576, 2, mixed)};
  state.fillBatchFiller();
  const Card card = written(OutputKind::kZ71Rgb);
  const int32_t blockBytes = card.blockBytes();
  // SectorBuffer 2 .. 200001 = WorkBuffer 0 .. 199999, but for the last block's check bytes.
  for (int32_t i = 0; i < 200000; ++i) {
    if (i == blockBytes - 4 || i == blockBytes - 3) continue;
    ASSERT_EQ(state.sector[2 + i], state.work[i]) << i;
  }
  EXPECT_TRUE(std::equal(card.bytes.begin() + 512 + blockBytes, card.bytes.begin() + 512 + 2 * blockBytes,
                         state.sector.data()));
}

TEST_F(CardWriterTest, TwoPortsAndZ94TakeTheFilesLastPorts) {
  host.rows = {writeProgram(dir, "four.led", 4, 3072, 1, portTimesTen)};
  host.twoPortRow = 1;
  WriteResult r = convert(OutputKind::kZ71Rgb);
  EXPECT_EQ(r.cardPath, dir.file("four_2P_Z71RGB_10K.vqn"));
  Card card(r.cardPath);
  EXPECT_EQ(*card.head.ports, 2);
  EXPECT_LE(card.head.blockOffset, 10832);
  EXPECT_EQ(card.image(1, 51), 40);
  EXPECT_EQ(card.image(1, card.head.blockOffset + 51), 30);

  r = convert(OutputKind::kZ94);
  EXPECT_EQ(r.cardPath, dir.file("four_1P_Z94RGB_10K.vqn"));
  card = Card(r.cardPath);
  EXPECT_EQ(*card.head.ports, 1);
  EXPECT_EQ(*card.head.frameSectors, 25);
  EXPECT_EQ(card.image(1, 31), 40);
}

TEST_F(CardWriterTest, FrameCapKeepsTheUncappedCountInTheHeader) {
  host.rows = {writeProgram(dir, "long.led", 1, 256, 4681, [](int, int64_t) { return uint8_t(0); })};
  const Card card = written(OutputKind::kZ6);
  EXPECT_EQ(card.head.frames, 4681);
  EXPECT_GE(card.trailerBytes(4680), 117);
  EXPECT_LT(card.trailerBytes(4680), 117 + 1234 + 456);
}

TEST_F(CardWriterTest, J9NeverFillsTheBytesBeforeItsImage) {
  host.rows = {writeProgram(dir, "j9.led", 1, 9216, 2, mixed)};
  state.fillBatchFiller();
  const Card card = written(OutputKind::kJ9);
  const int32_t k = *card.head.blockShift;
  EXPECT_TRUE(std::equal(&card.bytes[514], &card.bytes[514 + k], &card.bytes[514 + card.blockBytes()]));
  EXPECT_EQ(card.image(2, 0), mixed(2, 6720));
}

class RgbwTest : public CardWriterTest {
 protected:
  // The W column's byte of `line` in frame block f, for port 1 or 2.
  uint8_t white(const Card& card, int f, int line, int port = 1) {
    const int64_t at = (port == 1 ? 0 : card.head.blockOffset) + 52 * 192 + 2 * (25 - line);
    EXPECT_EQ(card.image(f, at), card.image(f, at + 1));
    return card.image(f, at);
  }
};

TEST_F(RgbwTest, WColumnComesFromTheCompanionAndIsZeroPastItsFrames) {
  host.rows = {writeProgram(dir, "main.led", 1, 10240, 3, mixed),
               writeProgram(dir, "white.led", 1, 3072, 2, [](int f, int64_t x) { return uint8_t(100 + 10 * f + x); })};
  host.brightness = "50";
  const Card card = written(OutputKind::kZ71Rgbw);
  EXPECT_TRUE(std::filesystem::exists(dir.file("main_1P_Z71RGBW_10K.vqn")));
  EXPECT_EQ(white(card, 1, 0), 110 / 2);
  EXPECT_EQ(white(card, 2, 25), (120 + 25) / 2);
  EXPECT_EQ(white(card, 3, 7), 0);
}

TEST_F(RgbwTest, WColumnIsZeroWithoutACompanion) {
  for (int q = 0; q < kWhiteRows; ++q) std::memset(state.whiteRow(q), 0x77, 100);
  host.rows = {writeProgram(dir, "main.led", 1, 10240, 1, mixed)};
  const Card card = written(OutputKind::kZ71Rgbw);
  EXPECT_EQ(white(card, 1, 25), 0);
  EXPECT_EQ(state.whiteRow(7)[49], 0);
  EXPECT_EQ(state.whiteRow(7)[50], 0x77);
}

TEST_F(RgbwTest, PortsTheCompanionLacksKeepWhatAZ6ConversionLeft) {
  // Normalised, port 2 of this Z6 file is the file's port 1 (200): white row 1.
  host.rows = {writeProgram(dir, "z6.led", 2, 3072, 1, [](int, int64_t x) { return uint8_t(x % 2 ? 150 : 200); })};
  written(OutputKind::kZ6);
  host.rows = {writeProgram(dir, "main.led", 2, 10240, 1, mixed),
               writeProgram(dir, "white.led", 1, 3072, 1, [](int, int64_t) { return uint8_t(9); })};
  const Card card = written(OutputKind::kZ71Rgbw);
  EXPECT_EQ(white(card, 1, 3, 1), 9);
  EXPECT_EQ(white(card, 1, 3, 2), 200);
}

class RefusalTest : public CardWriterTest {
 protected:
  void SetUp() override {
    host.rows = {writeProgram(dir, "show.led", 1, 3072, 2, mixed)};
    dir.write("show_1P_Z71RGB_10K.vqn", oldCard);
  }
  // The old card is as it was and no other file appeared.
  void expectUntouched() {
    EXPECT_EQ(readBytes(dir.file("show_1P_Z71RGB_10K.vqn")), oldCard);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"show.led", "show_1P_Z71RGB_10K.vqn"}));
  }
  WriteResult convertWithCells(const std::string& ports, const std::string& pixels, const std::string& length) {
    RowCells& c = host.rows[0];
    c.ports = ports;
    c.pixels = pixels;
    c.frameLength = length;
    return convert(OutputKind::kZ71Rgb);
  }

  const std::vector<uint8_t> oldCard = std::vector<uint8_t>(700, 0xC3);
};

TEST_F(RefusalTest, ModeFrameLimitAboveTheRowLeavesTheCardAlone) {
  host.modeSettings = ModeSettings{true, 1, &host.modeTable, 3};
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).kind, Kind::kModeFrames);
  expectUntouched();
  host.modeSettings.frameLimit = 2;
  EXPECT_TRUE(written(OutputKind::kZ71Rgb).head.modeBlock);
}

TEST_F(RefusalTest, PortCountsWithoutLayoutAndRowsOutsideTheBuffersAreRefusedBeforeAnyDraw) {
  host.rows = {writeProgram(dir, "show.led", 3, 3072, 2, mixed)};
  for (OutputKind kind : {OutputKind::kZ71Rgb, OutputKind::kZ6, OutputKind::kZ58}) {
    EXPECT_EQ(convert(kind).kind, Kind::kPortsWithoutLayout);
  }
  EXPECT_EQ(convertWithCells("9", "1024", "3072").kind, Kind::kFailed);
  EXPECT_EQ(convertWithCells("1", "1024", "350001").kind, Kind::kFailed);
  EXPECT_EQ(convertWithCells("1", "16001", "3072").kind, Kind::kFailed);
  EXPECT_EQ(convertWithCells("8", "120000", "3072").kind, Kind::kFailed);  // streams past 350000
  const WriteResult r = convertWithCells(" ", "1024", "3072");
  EXPECT_EQ(r.kind, Kind::kFailed);
  EXPECT_EQ(r.error, "' ' is not a valid integer value");
  EXPECT_EQ(state.rng.seed(), 0u);
  expectUntouched();
}

TEST_F(RefusalTest, InputOutputAndConversionErrorsLeaveNoFile) {
  host.brightness = "";
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).error, "'' is not a valid integer value");
  host.brightness = "100";
  host.rows[0].frames = "3";  // the file holds two frames
  const WriteResult r = convert(OutputKind::kZ71Rgb);
  EXPECT_EQ(r.kind, Kind::kFailed);
  EXPECT_NE(r.error.find("show.led"), std::string::npos);
  expectUntouched();
  std::filesystem::remove(host.rows[0].path);
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).kind, Kind::kFailed);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"show_1P_Z71RGB_10K.vqn"}));
}

}  // namespace
}  // namespace led2vqn
