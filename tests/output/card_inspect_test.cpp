#include "output/card_inspect.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/bytes.hpp"
#include "output/card_writer.hpp"
#include "output/engine_state.hpp"
#include "output/random.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

// A card built the way the writers lay one out: header from saveHead, frame
// blocks of random bytes with their check bytes, a trailer of filler.
struct CardRecipe {
  std::string magic = "KWRGB1";
  int32_t ports = 4;
  int32_t frames = 5;
  int32_t sectors = 3;
  int32_t period = 40;
  int32_t blocksWritten = -1;  // -1: as many as frames
  int32_t trailer = 1665;
  const ModeTable* modes = nullptr;
  int32_t modeCount = 0;
};

std::vector<uint8_t> buildCard(const CardRecipe& c) {
  Generator rng;
  std::vector<uint8_t> card(kHeaderScratchBytes);
  std::copy(c.magic.begin(), c.magic.end(), card.begin());
  HeadInputs in;
  in.ports = c.ports;
  in.blockOffset = 41873;
  in.frames = c.frames;
  in.channelBytes = 3075;
  in.frameSectors = c.sectors;
  in.blockShift = 7;
  in.framePeriod = c.period;
  in.brightness = 100;
  ModeSettings modes;
  modes.on = c.modes != nullptr;
  modes.count = c.modes ? c.modeCount : 1;
  modes.table = c.modes;
  EXPECT_EQ(saveHead(rng, card.data(), in, modes), HeadResult::kOk);
  card.resize(512);
  const int32_t blocks = c.blocksWritten >= 0 ? c.blocksWritten : c.frames;
  std::vector<uint8_t> block(static_cast<std::size_t>(c.sectors) * 512);
  for (int32_t f = 0; f < blocks; ++f) {
    for (auto& b : block) b = static_cast<uint8_t>(rng.byte(256));
    setCheckBytes(block.data(), block.size());
    card.insert(card.end(), block.begin(), block.end());
  }
  for (int32_t t = 0; t < c.trailer; ++t) card.push_back(static_cast<uint8_t>(rng.byte(200) + 57));
  return card;
}

class CardInspectTest : public support::TempDirTest {
 protected:
  std::string save(const std::vector<uint8_t>& bytes, const std::string& name = "card.vqn") {
    return dir.write(name, bytes);
  }
};

TEST_F(CardInspectTest, GoodCardPassesAndShowsItsHeader) {
  const InspectReport r = inspectCard(save(buildCard({})));
  EXPECT_TRUE(r.ok());
  ASSERT_NE(r.model, nullptr);
  EXPECT_EQ(cardModelName(r.model), "Z71 RGB");
  EXPECT_EQ(r.header.ports, 4);
  EXPECT_EQ(r.blocksChecked, 5);
  EXPECT_EQ(r.trailerBytes, 1665);
  EXPECT_EQ(r.trailerMax, 4 * 2531 + 12345 + 116);

  const std::string text = inspectText(r);
  EXPECT_NE(text.find(": Z71 RGB (KWRGB1)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  ports 4, format 1, block offset 41873, frames 5, channel bytes 3075, sectors per frame 3\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("  frame period 40 (speed 25), brightness 100, block shift 7\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  modes: none\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  length: 9857 = 512 + 5 × 1536 + trailer 1665 (allowed 117 .. 22585): ok\n"),
            std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 5), "  OK\n");
}

TEST_F(CardInspectTest, ModeTableIsListed) {
  ModeTable table{};
  table[0] = {1, 6, 0};
  table[1] = {6, 1, 10};
  table[2] = {2, 4, 0};
  CardRecipe c;
  c.modes = &table;
  c.modeCount = 3;
  const InspectReport r = inspectCard(save(buildCard(c)));
  EXPECT_TRUE(r.ok());
  EXPECT_NE(inspectText(r).find("  3 modes: 1-6, 6-1 reversed, 2-4\n"), std::string::npos) << inspectText(r);
  EXPECT_NE(inspectJson(r).find(R"("modes":[{"start":1,"end":6,"reversed":false},{"start":6,"end":1,"reversed":true},)"),
            std::string::npos);
}

TEST_F(CardInspectTest, FlippedByteNamesItsFrame) {
  auto card = buildCard({});
  const std::size_t block = 3 * 512;
  card[512 + 2 * block + 100] ^= 0x01;  // frame 3
  const InspectReport r = inspectCard(save(card));
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.badBlocks, 1);
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0], "frame 3 (offset 3584): check bytes differ");
}

TEST_F(CardInspectTest, OnlyTheFirstTenBadFramesAreListed) {
  CardRecipe c;
  c.frames = 14;
  auto card = buildCard(c);
  for (int f = 0; f < 12; ++f) card[512 + f * 3 * 512 + 3 * 512 - 1] ^= 0x80;  // the XOR check byte
  const InspectReport r = inspectCard(save(card));
  EXPECT_EQ(r.badBlocks, 12);
  ASSERT_EQ(r.failures.size(), 11u);
  EXPECT_EQ(r.failures[9], "frame 10 (offset 14336): check bytes differ");
  EXPECT_EQ(r.failures[10], "and 2 more frames whose check bytes differ");
}

TEST_F(CardInspectTest, TruncatedCardFails) {
  auto card = buildCard({});
  card.resize(512 + 3 * 1536 + 700);  // inside frame 4
  const InspectReport r = inspectCard(save(card));
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.truncatedInFrame, 4);
  EXPECT_EQ(r.blocksChecked, 3);
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0], "frame 4 (offset 5120): the file ends at byte 5820, before byte 8192 where the frame blocks end");
  EXPECT_NE(inspectText(r).find("truncated"), std::string::npos);
}

TEST_F(CardInspectTest, ShortFileHasNoHeader) {
  const InspectReport r = inspectCard(save(std::vector<uint8_t>(100, 'K')));
  EXPECT_FALSE(r.ok());
  EXPECT_FALSE(r.headerRead);
  EXPECT_NE(inspectText(r).find("100 bytes, no header sector"), std::string::npos);
}

TEST_F(CardInspectTest, BrokenHeaderFails) {
  auto card = buildCard({});
  card[200] ^= 0x10;
  const InspectReport r = inspectCard(save(card));
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.failures, std::vector<std::string>{"header (offset 510): check bytes differ"});
}

TEST_F(CardInspectTest, TrailerMustLieInTheModelRange) {
  CardRecipe c;
  c.magic = "KWZ6V1";
  c.ports = 2;
  c.trailer = 2 * 1234 + 456 + 116;  // the longest a Z6 draw gives
  EXPECT_TRUE(inspectCard(save(buildCard(c))).ok());
  c.trailer += 1;
  const InspectReport longer = inspectCard(save(buildCard(c)));
  EXPECT_EQ(longer.failures, std::vector<std::string>{"trailer (offset 8192): 3041 bytes, outside 117 .. 3040"});
  c.trailer = 116;
  EXPECT_FALSE(inspectCard(save(buildCard(c))).ok());
}

TEST_F(CardInspectTest, CappedModelsHoldFewerBlocksThanFrames) {
  CardRecipe c;
  c.magic = "KWRGB3";
  c.ports = 1;
  c.sectors = 1;
  c.frames = 5241;
  c.blocksWritten = 5240;
  const InspectReport r = inspectCard(save(buildCard(c)));
  EXPECT_TRUE(r.ok()) << inspectText(r);
  EXPECT_EQ(r.framesWritten, 5240);
  EXPECT_NE(inspectText(r).find("frames 5241 (5240 written)"), std::string::npos);
}

TEST_F(CardInspectTest, MagicDecidesModelAndRules) {
  CardRecipe c;
  c.magic = "KWD6V1";  // a Z6 card patched into a mode file
  c.ports = 1;
  c.trailer = 2000;    // above the Z6 range (..1806), inside the 10K range
  InspectReport r = inspectCard(save(buildCard(c)));
  ASSERT_NE(r.model, nullptr);
  EXPECT_EQ(cardModelName(r.model), "Z6");
  EXPECT_TRUE(r.modeFileMagic);
  EXPECT_FALSE(r.ok());

  c.magic = "KWDX02";  // no model: the generic (widest) rules
  r = inspectCard(save(buildCard(c)));
  EXPECT_EQ(r.model, nullptr);
  EXPECT_TRUE(r.ok()) << inspectText(r);
  EXPECT_NE(inspectText(r).find(": unknown (KWDX02, mode-file magic)\n"), std::string::npos);

  c.magic = "KWRGB9";
  r = inspectCard(save(buildCard(c)));
  EXPECT_EQ(r.failures, std::vector<std::string>{"magic: \"KWRGB9\" names no card model"});
}

TEST_F(CardInspectTest, JsonEscapesAnyPath) {
  const std::string name = std::string("a\"b\\c\x01\xff\xe4\xb8\xad.vqn");
  const std::string path = save(buildCard({}), name);
  const std::string json = inspectJson(inspectCard(path));
  EXPECT_NE(json.find(R"(a\"b\\c\u0001)" "\xEF\xBF\xBD\xe4\xb8\xad.vqn\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"pathHex\":\""), std::string::npos);
  EXPECT_NE(json.find(R"("ok":true,)"), std::string::npos);
  EXPECT_EQ(json.find('\n'), std::string::npos);
  EXPECT_EQ(validUtf8(json), json);
}

TEST_F(CardInspectTest, MissingFileIsReportedNotCreated) {
  const std::string path = dir.file("no-such-card.vqn");
  const InspectReport r = inspectCard(path);
  EXPECT_FALSE(r.ok());
  ASSERT_TRUE(r.openError.has_value());
  EXPECT_FALSE(fileExists(path));
  EXPECT_NE(inspectJson(r).find(R"("ok":false,"error":")"), std::string::npos);
}

// One row of 4 ports, 3 frames of 3072 bytes, multi-mode on with 2 modes.
class OneRowHost : public ConversionHost {
 public:
  explicit OneRowHost(std::string path) : path_(std::move(path)) {
    table_[0] = {1, 3, 0};
    table_[1] = {3, 2, 10};
  }
  RowCells rowCells(int) const override { return {path_, "3", "4", "1024", "3072"}; }
  int rowCount() const override { return 2; }
  int32_t twoPortFlag(int) const override { return 0; }
  std::string speedText() const override { return "25"; }
  std::string brightnessText() const override { return "100"; }
  ModeSettings modes() const override { return {true, 2, &table_, 3}; }
  void setProgressMax(int32_t) override {}
  void setProgress(int32_t) override {}

 private:
  std::string path_;
  ModeTable table_{};
};

TEST_F(CardInspectTest, EveryWrittenCardPasses) {
  std::vector<uint8_t> program(512 + 3 * 3072);
  Generator fill;
  for (auto& b : program) b = static_cast<uint8_t>(fill.byte(256));
  OneRowHost host(save(program, "show.led"));
  EngineState state;
  for (OutputKind kind : {OutputKind::kZ71Rgb, OutputKind::kJ9, OutputKind::kZ58, OutputKind::kZ71Rgbw,
                          OutputKind::kZ94, OutputKind::kZ6, OutputKind::kZ36}) {
    const WriteResult w = writeCard(state, kind, 1, host);
    ASSERT_EQ(w.kind, WriteResult::Kind::kWritten) << w.error;
    const InspectReport r = inspectCard(w.cardPath);
    EXPECT_TRUE(r.ok()) << inspectText(r);
    EXPECT_EQ(r.model, cardModel(kind));
    EXPECT_EQ(r.header.ports, kind == OutputKind::kZ94 ? 1 : 4);
    EXPECT_EQ(r.blocksChecked, 3);
    EXPECT_NE(inspectText(r).find("  2 modes: 1-3, 3-2 reversed\n"), std::string::npos) << inspectText(r);
  }
}

TEST(ValidUtf8Test, ReplacesEveryMalformedByte) {
  EXPECT_EQ(validUtf8("ok \xe4\xb8\xad"), "ok \xe4\xb8\xad");
  EXPECT_EQ(validUtf8("\xc0\xaf"), "\xEF\xBF\xBD\xEF\xBF\xBD");          // overlong
  EXPECT_EQ(validUtf8("\xed\xa0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
  EXPECT_EQ(validUtf8("\xe4\xb8"), "\xEF\xBF\xBD\xEF\xBF\xBD");          // cut short
  EXPECT_EQ(validUtf8("\xf4\x90\x80\x80").substr(0, 3), "\xEF\xBF\xBD");  // above U+10FFFF
}

}  // namespace
}  // namespace led2vqn
