// verify, preview and pattern: a damaged card is named to the pixel, a card
// and its program preview alike, and every wiring pattern reads back and
// plays as drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "app/timeline.hpp"
#include "cli/cli_runner.hpp"
#include "input/sample_files.hpp"
#include "output/card_decoder.hpp"
#include "support/hosts.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using testing::runCli;
constexpr uint64_t kSeed = 5;

class CardCommandsTest : public support::TempDirTest {
 protected:
  CardCommandsTest() { dir.write("Gcode.sdc", samples::settingsBytes(kSeed)); }
  testing::CliResult cli(const std::string& args) { return runCli(dir.path(), args + " --settings Gcode.sdc"); }

  // Converts `program` in process, as row 1 of a table of its own.
  std::string convert(const std::string& program, OutputKind kind, const std::string& brightness) {
    std::vector<uint8_t> header(512);
    const ReadOutcome read = readProgramFile(dir.file(program), samples::nibbleTable(kSeed), header.data());
    EXPECT_TRUE(read.info.has_value());
    const ProgramInfo i = read.info.value_or(ProgramInfo{});
    support::TestHost host;
    host.rows = {RowCells{dir.file(program), std::to_string(i.frames), std::to_string(i.ports),
                          std::to_string(i.pixels), std::to_string(i.frameLength)}};
    host.brightness = brightness;
    EngineState state;
    return writeCard(state, kind, 1, host).cardPath;
  }
};

TEST_F(CardCommandsTest, VerifyNamesTheFramePortAndPixelOfAFlippedByte) {
  samples::ProgramSpec shape;
  shape.frameLength = 1536, shape.ports = 1, shape.frames = 3;
  dir.write("p.led", samples::programBytes(samples::nibbleTable(kSeed), shape));
  ASSERT_EQ(cli("convert --model z71rgb p.led").status, 0);
  const std::string card = dir.file("p_1P_Z71RGB_10K.vqn");
  testing::CliResult r = cli("verify p_1P_Z71RGB_10K.vqn p.led");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("3 frames \xC3\x97 1 port match"), std::string::npos) << r.out;

  // One port: block byte K + 2 + 52c + 2j holds channel 384 (25 - j) + 2c + 1;
  // c = 8, j = 25 is channel 17, pixel 5's third.
  std::vector<uint8_t> bytes = support::readBytes(card);
  const DecodedHeader head = decodeCardHeader(bytes.data());
  bytes.at(512 + std::size_t(*head.frameSectors) * 512 + std::size_t(*head.blockShift) + 2 + 52 * 8 + 50) ^= 0xFF;
  dir.write("p_1P_Z71RGB_10K.vqn", bytes);
  r = cli("verify p_1P_Z71RGB_10K.vqn p.led");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("frame 2: the frame block's check bytes do not hold"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("frame 2, port 1, pixel 5, channel 3: expected"), std::string::npos) << r.out;
  EXPECT_EQ(cli("verify p.led p_1P_Z71RGB_10K.vqn").status, 1);  // swapped: not a card
}

TEST_F(CardCommandsTest, ACardAndItsProgramAsThatCardPreviewAlike) {
  // A one-port Z58 card carries pixels 0 .. 3602 whole and of pixel 3603 only
  // one channel: the preview shows 3603 pixels.
  struct Case {
    OutputKind kind;
    int32_t ports, frameLength;
  };
  // The last case leaves p.led and its Z71 RGB card for the command line below.
  for (const Case c : {Case{OutputKind::kZ58, 1, 12288}, Case{OutputKind::kZ71Rgb, 4, 6144}}) {
    samples::ProgramSpec shape;
    shape.frameLength = c.frameLength, shape.ports = c.ports, shape.frames = 5, shape.pattern = samples::Pattern::kLevels;
    dir.write("p.led", samples::programBytes(samples::nibbleTable(kSeed), shape));
    for (const std::string brightness : {"100", "60"}) {
      SCOPED_TRACE(brightness + ", model " + std::to_string(int(c.kind)));
      TimelineRequest request;
      request.file = convert("p.led", c.kind, brightness);
      Timeline card, program;
      ASSERT_EQ(buildTimeline(request, samples::nibbleTable(kSeed), card), std::nullopt);
      request.file = dir.file("p.led");
      request.model = c.kind;
      request.brightness = std::stoi(brightness);
      ASSERT_EQ(buildTimeline(request, samples::nibbleTable(kSeed), program), std::nullopt);
      EXPECT_EQ(card.ports, program.ports);
      EXPECT_EQ(card.frames, 5);
      EXPECT_EQ(card.pixels, c.frameLength / c.ports / 3);
      EXPECT_EQ(card.shown, program.shown);
      const auto hidden = std::count(card.shown.begin(), card.shown.end(), 0);
      EXPECT_EQ(hidden, c.kind == OutputKind::kZ58 ? card.pixels - 3603 : 0);
      // What is shown plays the program's colours, channel for channel.
      for (std::size_t k = 0; k < card.rgb.size(); ++k) {
        const std::size_t pixel = k / 3 % (std::size_t(card.pixels) * card.ports.size());
        if (card.shown[pixel]) {
          ASSERT_EQ(card.rgb[k], program.rgb[k]) << "byte " << k;
        }
      }
    }
  }
  const testing::CliResult r = cli("preview p_4P_Z71RGB_10K.vqn --scale 2 -o card.png");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing::slurp(dir.file("card.png")).substr(1, 3), "PNG");
  EXPECT_EQ(cli("preview p.led --port 5 -o x.png").status, 2);
}

TEST_F(CardCommandsTest, EveryPatternReadsBackAndPlaysAsDrawn) {
  using samples::WiringKind;
  const std::pair<const char*, WiringKind> kinds[] = {
      {"ports", WiringKind::kPorts}, {"colours", WiringKind::kColours}, {"chase", WiringKind::kChase}, {"ramp", WiringKind::kRamp}};
  for (const auto& [name, kind] : kinds) {
    SCOPED_TRACE(name);
    const samples::WiringShape shape{kind, 4, 30};
    ASSERT_EQ(cli(std::string("pattern ") + name + " --ports 4 --pixels 30 -o k.led").status, 0);
    std::vector<uint8_t> header(512);
    const ReadOutcome read = readProgramFile(dir.file("k.led"), samples::nibbleTable(kSeed), header.data());
    ASSERT_TRUE(read.info.has_value());
    EXPECT_EQ(read.info->frames, samples::wiringCycle(shape));
    EXPECT_EQ(read.info->ports, 4);
    EXPECT_GE(read.info->pixels, 4 * 30);

    CardDecoder decoder;
    ASSERT_EQ(decoder.open(convert("k.led", OutputKind::kZ58, "100")), std::nullopt);
    const int32_t f = read.info->frames / 2 + 1;
    CardFrame frame;
    ASSERT_EQ(decoder.read(f, frame), CardDecoder::FrameState::kOk);
    for (int q = 0; q < 4; ++q) {
      for (int32_t i = 0; i < 30; ++i) {
        const std::array<uint8_t, 3> want = samples::wiringPixel(shape, q, i, f);
        for (int n = 0; n < 3; ++n) {
          ASSERT_EQ(frame.channels[std::size_t(q * decoder.map().channels + 3 * i + n)], want[std::size_t(n)])
              << "port " << q + 1 << ", pixel " << i;
        }
      }
    }
  }
  // Port k blinks k times (a step of 25 frames lit, one dark), then keeps a colour of its own.
  const samples::WiringShape ports{WiringKind::kPorts, 4, 30};
  const std::array<uint8_t, 3> white{255, 255, 255}, dark{0, 0, 0};
  for (int q = 0; q < 4; ++q) {
    for (int b = 0; b <= q; ++b) {
      EXPECT_EQ(samples::wiringPixel(ports, q, 0, 1 + 50 * b), white) << q;
      EXPECT_EQ(samples::wiringPixel(ports, q, 0, 26 + 50 * b), dark) << q;
    }
    const std::array<uint8_t, 3> own = samples::wiringPixel(ports, q, 0, 1 + 50 * (q + 1));
    EXPECT_TRUE(own != white && own != dark) << q;
  }
  // One to eight ports, no more.
  EXPECT_EQ(cli("pattern chase --ports 8 --pixels 5 -o e8.led").status, 0);
  EXPECT_NE(cli("info e8.led").out.find(", 8 ports,"), std::string::npos);
  EXPECT_EQ(cli("pattern chase --ports 9 --pixels 5 -o e9.led").status, 2);
  dir.write("empty.sdc", {});
  EXPECT_EQ(runCli(dir.path(), "pattern ramp --ports 1 --pixels 5 --settings empty.sdc -o e.led").status, 2);
  EXPECT_FALSE(fileExists(dir.file("e.led")));
}

}  // namespace
}  // namespace led2vqn
