#include "output/card_writer.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "base/bytes.hpp"
#include "output/card_model.hpp"
#include "support/conversion_host.hpp"

namespace led2vqn {
namespace {

using support::mixedByte;
using support::readBytes;
using Kind = WriteResult::Kind;
using Names = std::vector<std::string>;

// A written card, cut into its parts by its own header.
struct Card {
  explicit Card(const std::string& path) : bytes(readBytes(path)) {
    EXPECT_GE(bytes.size(), 512u) << path;
    if (bytes.size() >= 512) head = decodeCardHeader(bytes.data());
  }
  int32_t blockBytes() const { return head.frameSectors.value_or(0) * 512; }
  // Byte `at` of frame block f, counted from the first group's start (K + 2).
  uint8_t image(int f, int64_t at) const {
    return bytes.at(512 + int64_t{f - 1} * blockBytes() + head.blockShift.value_or(0) + 2 + at);
  }
  int64_t trailerBytes(int blocks) const { return int64_t(bytes.size()) - 512 - int64_t{blocks} * blockBytes(); }
  // The W column's byte of `line` in frame block f, for port 1 or 2 (both channels alike).
  uint8_t white(int f, int line, int port = 1) const {
    const int64_t at = (port == 1 ? 0 : head.blockOffset) + 52 * 192 + 2 * (25 - line);
    return image(f, at) == image(f, at + 1) ? image(f, at) : 0xEE;
  }

  std::vector<uint8_t> bytes;
  DecodedHeader head;
};

class CardWriterTest : public support::TempDirTest {
 protected:
  RowCells program(const std::string& name, int ports, int32_t frameLength, int frames,
                   const support::FrameByte& byteOf = mixedByte) {
    return support::writeProgram(dir, name, ports, frameLength, frames, byteOf);
  }
  WriteResult convert(OutputKind kind) { return writeCard(state, kind, 1, host); }
  Card written(OutputKind kind) {
    const WriteResult r = convert(kind);
    EXPECT_EQ(r.kind, Kind::kWritten) << r.error;
    return Card(r.cardPath);
  }

  EngineState state;
  support::TestHost host;
};

TEST(CardName, CutsOnlyAtADotInTheFileName) {
  EXPECT_EQ(cardName("/d/shows/spring.led", 2, "P_Z71RGB_10K.vqn"), "/d/shows/spring_2P_Z71RGB_10K.vqn");
  EXPECT_EQ(cardName("/a/my.shows/spring", 2, "P_Z71RGB_10K.vqn"), "/a/my.shows/spring_2P_Z71RGB_10K.vqn");
  EXPECT_EQ(cardName("/a/b.c/d.e.led", 8, "P_Z6.vqn"), "/a/b.c/d.e_8P_Z6.vqn");
}

TEST_F(CardWriterTest, NoFramesGiveTheHeaderThenTheTrailerFromTheFrameBuffer) {
  host.rows = {program("empty.led", 1, 3072, 0)};
  const Card card = written(OutputKind::kZ71Rgb);
  EXPECT_TRUE(card.head.checksOk);
  EXPECT_EQ(card.head.frames, 0);
  EXPECT_GE(card.trailerBytes(0), 117);
  EXPECT_LT(card.trailerBytes(0), 117 + 2531 + 12345);
  EXPECT_TRUE(std::equal(card.bytes.begin() + 512, card.bytes.end(), state.frame.data()));
}

TEST_F(CardWriterTest, BuffersEndAsTheWholeCopyOfEveryFrameLeavesThem) {
  host.rows = {program("eight.led", 8, 24576, 2)};
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

TEST_F(CardWriterTest, TwoPortsAndZ94TakeTheFilesLastPortsAndTheCapKeepsTheHeadersCount) {
  host.rows = {program("four.led", 4, 3072, 1, [](int, int64_t x) { return uint8_t(10 * (x % 4 + 1)); })};
  host.twoPortRow = 1;
  Card card = written(OutputKind::kZ71Rgb);
  EXPECT_TRUE(std::filesystem::exists(dir.file("four_2P_Z71RGB_10K.vqn")));
  EXPECT_EQ(card.head.ports, 2);
  EXPECT_EQ(card.image(1, 51), 40);
  EXPECT_EQ(card.image(1, card.head.blockOffset + 51), 30);
  card = written(OutputKind::kZ94);
  EXPECT_TRUE(std::filesystem::exists(dir.file("four_1P_Z94RGB_10K.vqn")));
  EXPECT_EQ(card.head.ports, 1);
  EXPECT_EQ(card.image(1, 31), 40);

  host.rows = {program("long.led", 1, 256, 4681, [](int, int64_t) { return uint8_t(0); })};
  card = written(OutputKind::kZ6);  // writes 4680 frames at most
  EXPECT_EQ(card.head.frames, 4681);
  EXPECT_GE(card.trailerBytes(4680), 117);
  EXPECT_LT(card.trailerBytes(4680), 117 + 1234 + 456);
}

TEST_F(CardWriterTest, WColumnComesFromTheCompanionAndIsZeroPastItsFramesOrWithoutOne) {
  host.rows = {program("main.led", 1, 10240, 3),
               program("white.led", 1, 3072, 2, [](int f, int64_t x) { return uint8_t(100 + 10 * f + x); })};
  host.brightness = "50";
  Card card = written(OutputKind::kZ71Rgbw);
  EXPECT_TRUE(std::filesystem::exists(dir.file("main_1P_Z71RGBW_10K.vqn")));
  EXPECT_EQ(card.white(1, 0), 110 / 2);
  EXPECT_EQ(card.white(2, 25), (120 + 25) / 2);
  EXPECT_EQ(card.white(3, 7), 0);

  for (int q = 0; q < kWhiteRows; ++q) std::memset(state.whiteRow(q), 0x77, 100);
  host.rows.resize(1);
  card = written(OutputKind::kZ71Rgbw);
  EXPECT_EQ(card.white(1, 25), 0);
  EXPECT_EQ(state.whiteRow(7)[49], 0);  // bytes 0 .. 49 of every row are cleared, no more
  EXPECT_EQ(state.whiteRow(7)[50], 0x77);
}

std::vector<uint8_t> digestOf(const EngineState& state) {
  const uint64_t digest = support::stateDigest(state);
  return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&digest), reinterpret_cast<const uint8_t*>(&digest + 1));
}

// Two batches of every model over rows with 1 .. 8 ports, the "2 ports" box,
// pixel counts far past the frame (normalisation reaches past it) or short
// of it, a file shorter than its row says (for Z71 RGBW after its companion
// frame), and a cancel: each card and the state after it, written with
// `slots` writer slots.
std::vector<std::vector<uint8_t>> session(const support::TempDir& dir, int slots) {
  support::TestHost host;
  host.rows = {support::writeProgram(dir, "eight.led", 8, 3072, 9), support::writeProgram(dir, "one.led", 1, 1024, 7),
               support::writeProgram(dir, "four.led", 4, 3072, 9), support::writeProgram(dir, "two.led", 2, 1024, 9),
               support::writeProgram(dir, "short.led", 4, 3072, 6), support::writeProgram(dir, "six.led", 6, 2000, 5)};
  host.twoPortRow = 3;
  host.rows[3].pixels = "2000";
  host.rows[4].frames = "9";
  host.rows[5].pixels = "700";
  EngineState state;
  state.writerSlots = slots;
  std::vector<std::vector<uint8_t>> out;
  // The card (or the error), and the state after a card that did not end
  // whole and at the end of each batch.
  auto convert = [&](OutputKind kind, int row) {
    const WriteResult r = writeCard(state, kind, row, host);
    out.push_back(r.kind == Kind::kWritten ? readBytes(r.cardPath) : std::vector<uint8_t>(r.error.begin(), r.error.end()));
    if (r.kind != Kind::kWritten) out.push_back(digestOf(state));
  };
  for (int batch = 1; batch <= 2; ++batch) {
    state.fillBatchFiller();
    if (batch == 2) {
      host.cancelAt = 5;
      convert(OutputKind::kZ36, 1);
      host.cancelAt = 0;
    }
    for (OutputKind kind : {OutputKind::kZ71Rgb, OutputKind::kJ9, OutputKind::kZ58, OutputKind::kZ71Rgbw,
                            OutputKind::kZ94, OutputKind::kZ6, OutputKind::kZ36}) {
      for (int row = 1; row <= 6; ++row) {
        if (kind != OutputKind::kZ71Rgbw || row % 2 == 1) convert(kind, row);  // row 2 is the W column
      }
    }
    out.push_back(digestOf(state));
  }
  return out;
}

TEST_F(CardWriterTest, BlocksWrittenOnASecondThreadGiveTheSameCardsAndState) {
  const auto one = session(dir, 1);
  EXPECT_EQ(session(dir, 4), one);
}

// A refused or failed row leaves the old card as it was and no other file;
// bad cells and port counts without a layout are refused before any draw.
TEST_F(CardWriterTest, RefusedAndFailedRowsLeaveTheOldCardAlone) {
  const RowCells good = program("show.led", 1, 3072, 2);
  const std::vector<uint8_t> oldCard(700, 0xC3);
  dir.write("show_1P_Z71RGB_10K.vqn", oldCard);
  const struct {
    const char *ports, *pixels, *length;
    Kind kind;
  } cases[] = {
      {"3", "1023", "3072", Kind::kPortsWithoutLayout}, {"9", "1024", "3072", Kind::kFailed},
      {"1", "1024", "350001", Kind::kFailed}, {"1", "16001", "3072", Kind::kFailed},
      {"8", "120000", "3072", Kind::kFailed},  // the streams pass 350000 bytes
      {" ", "1024", "3072", Kind::kFailed},    // not an integer
  };
  for (const auto& c : cases) {
    host.rows = {RowCells{good.path, good.frames, c.ports, c.pixels, c.length}};
    for (OutputKind kind : {OutputKind::kZ71Rgb, OutputKind::kZ6, OutputKind::kZ58}) {
      EXPECT_EQ(convert(kind).kind, c.kind) << c.ports << " " << c.pixels << " " << c.length;
    }
  }
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).error, "' ' is not a valid integer value");
  EXPECT_EQ(state.rng.seed(), 0u);
  host.rows = {good};
  host.modeSettings = ModeSettings{true, 1, &host.modeTable, 3};
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).kind, Kind::kModeFrames);
  host.modeSettings.on = false;
  host.brightness = "";
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).error, "'' is not a valid integer value");
  host.brightness = "100";
  host.rows[0].frames = "3";  // the file holds two frames
  EXPECT_NE(convert(OutputKind::kZ71Rgb).error.find("show.led"), std::string::npos);
  EXPECT_EQ(readBytes(dir.file("show_1P_Z71RGB_10K.vqn")), oldCard);
  EXPECT_EQ(dir.names(), (Names{"show.led", "show_1P_Z71RGB_10K.vqn"}));
  std::filesystem::remove(good.path);
  EXPECT_EQ(convert(OutputKind::kZ71Rgb).kind, Kind::kFailed);
  EXPECT_EQ(dir.names(), Names{"show_1P_Z71RGB_10K.vqn"});
}

}  // namespace
}  // namespace led2vqn
