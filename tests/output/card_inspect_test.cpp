#include "output/card_inspect.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.hpp"
#include "output/card_writer.hpp"
#include "output/engine_state.hpp"
#include "output/random.hpp"
#include "support/hosts.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using Strings = std::vector<std::string>;

// A card laid out as the writers lay one out: header from saveHead (4 ports,
// block offset 41873, channel bytes 3075, block shift 7), frame blocks of
// random bytes with their check bytes, a trailer of filler.
struct CardRecipe {
  std::string magic = "KWRGB1";
  int32_t ports = 4;
  int32_t frames = 5;
  int32_t sectors = 3;
  int32_t blocksWritten = -1;  // -1: as many as frames
  int32_t trailer = 1665;
};

std::vector<uint8_t> buildCard(const CardRecipe& c) {
  Generator rng;
  std::vector<uint8_t> card(kHeaderScratchBytes);
  std::copy(c.magic.begin(), c.magic.end(), card.begin());
  const HeadInputs in{c.ports, 1, 41873, c.frames, 3075, c.sectors, 7, 40, 100};
  EXPECT_EQ(saveHead(rng, card.data(), in, ModeSettings{}), HeadResult::kOk);
  card.resize(512);
  std::vector<uint8_t> block(static_cast<std::size_t>(c.sectors) * 512);
  for (int32_t f = 0; f < (c.blocksWritten < 0 ? c.frames : c.blocksWritten); ++f) {
    for (auto& b : block) b = static_cast<uint8_t>(rng.byte(256));
    setCheckBytes(block.data(), block.size());
    card.insert(card.end(), block.begin(), block.end());
  }
  for (int32_t t = 0; t < c.trailer; ++t) card.push_back(static_cast<uint8_t>(rng.byte(200) + 57));
  return card;
}

class CardInspectTest : public support::TempDirTest {
 protected:
  InspectReport inspect(const std::vector<uint8_t>& bytes, const std::string& name = "card.vqn") {
    return inspectCard(dir.write(name, bytes));
  }
};

TEST_F(CardInspectTest, FlippedTruncatedShortAndBrokenCardsFail) {
  auto card = buildCard({});
  card[512 + 2 * 1536 + 100] ^= 0x01;  // frame 3
  EXPECT_EQ(inspect(card).failures, Strings{"frame 3 (offset 3584): check bytes differ"});
  card[512 + 2 * 1536 + 100] ^= 0x01;
  card.resize(512 + 3 * 1536 + 700);  // inside frame 4
  InspectReport r = inspect(card);
  EXPECT_EQ(r.truncatedInFrame, 4);
  EXPECT_EQ(r.blocksChecked, 3);
  EXPECT_EQ(r.failures,
            Strings{"frame 4 (offset 5120): the file ends at byte 5820, before byte 8192 where the frame blocks end"});

  card.resize(100);
  r = inspect(card);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(inspectText(r).find("100 bytes, no header sector"), std::string::npos);
  card.resize(6);  // the model's letters and nothing more: still a card, cut short
  EXPECT_NE(inspectText(inspect(card)).find("6 bytes, no header sector"), std::string::npos);
  r = inspect(std::vector<uint8_t>(600, 'K'));  // no card magic: nothing decoded
  EXPECT_EQ(inspectText(r).substr(inspectText(r).find(": ")), ": not a card file\n");

  card = buildCard({});
  card[200] ^= 0x10;
  EXPECT_EQ(inspect(card).failures, Strings{"header (offset 510): check bytes differ"});

  r = inspectCard(dir.file("no-such-card.vqn"));
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.openError.has_value());
  EXPECT_FALSE(fileExists(dir.file("no-such-card.vqn")));
}

TEST_F(CardInspectTest, MagicDecidesTheTrailerRangeAndTheFrameCap) {
  CardRecipe c{"KWZ6V1", 2, 5, 3, -1, 2 * 1234 + 456 + 116};  // the longest trailer a 2-port Z6 draw gives
  EXPECT_TRUE(inspect(buildCard(c)).ok());
  c.trailer += 1;
  EXPECT_EQ(inspect(buildCard(c)).failures, Strings{"trailer (offset 8192): 3041 bytes, outside 117 .. 3040"});
  c.magic = "KWD6V1";  // a Z6 card patched into a mode file
  const InspectReport r = inspect(buildCard(c));
  EXPECT_EQ(cardModelName(r.model), "Z6");
  EXPECT_TRUE(r.modeFileMagic);
  EXPECT_FALSE(r.ok());
  c = CardRecipe{"KWRGB3", 1, 5241, 1, 5240, 1665};  // Z94 writes 5240 frames at most
  EXPECT_TRUE(inspect(buildCard(c)).ok());
}

TEST_F(CardInspectTest, AnyPathGivesValidJsonAndText) {
  const std::string json = inspectJson(inspect(buildCard({}), "a\"b\\c\x01\x1b\xff\xe4\xb8\xad.vqn"));
  EXPECT_NE(json.find(R"(a\"b\\c\u0001\u001b)" "\xEF\xBF\xBD\xe4\xb8\xad.vqn\""), std::string::npos) << json;
  EXPECT_NE(json.find(R"("ok":true,)"), std::string::npos);
  EXPECT_NE(json.find(R"("magic":"KWRGB1")"), std::string::npos) << json;
  EXPECT_EQ(json.find('\n'), std::string::npos);
  for (const char* misplaced : {"{,", "[,", ",,", ",}", ",]", ":,"}) EXPECT_EQ(json.find(misplaced), std::string::npos) << json;
  EXPECT_EQ(validUtf8("\xc0\xaf|\xed\xa0\x80|\xe4\xb8"), "\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD");
  EXPECT_EQ(validUtf8("\xf4\x90\x80\x80").substr(0, 3), "\uFFFD");  // above U+10FFFF
}

TEST_F(CardInspectTest, EveryWrittenCardPasses) {
  support::TestHost host;
  host.rows = {support::writeProgram(dir, "show.led", 4, 3072, 3)};
  host.modeTable[0] = {1, 3, 0};
  host.modeTable[1] = {3, 2, 10};
  host.modeSettings = {true, 2, &host.modeTable, 3};
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

}  // namespace
}  // namespace led2vqn
