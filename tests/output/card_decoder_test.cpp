// Program -> card -> decoded frames: every model and port count, the two-port
// choice, two brightnesses, a Z71 RGBW pair and Z6's on/off bits. The
// expectation is written from the program file's own bytes (the card's port q
// is the file's port P - q), not from the decoder's helpers.
#include "output/card_decoder.hpp"

#include <gtest/gtest.h>

#include "output/card_placement.hpp"
#include "support/hosts.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

struct RoundTrip {
  OutputKind kind;
  int ports;
  int32_t pixelsPerPort;  // inside the model's layout
  bool twoPorts = false;
  std::string brightness = "100";
  int companionPorts = 0;  // Z71 RGBW: row 2's ports (0: no row 2)
};

uint8_t companionByte(int f, int64_t x) { return static_cast<uint8_t>(x * 7 + f * 29 + 3); }

class CardDecoderTest : public support::TempDirTest {};

TEST_F(CardDecoderTest, EveryCardDecodesToItsProgramsNormalisedScaledFrames) {
  std::vector<RoundTrip> cases;
  const std::pair<OutputKind, int32_t> models[] = {{OutputKind::kZ71Rgb, 3300}, {OutputKind::kJ9, 2980},
                                                   {OutputKind::kZ58, 3500},    {OutputKind::kZ71Rgbw, 3300},
                                                   {OutputKind::kZ94, 4200},    {OutputKind::kZ6, 9000},
                                                   {OutputKind::kZ36, 4000}};
  for (const auto& [kind, pixels] : models) {
    for (int ports : {1, 2, 4, 8}) cases.push_back({kind, ports, pixels, false, ports == 4 ? "37" : "100"});
  }
  cases.push_back({OutputKind::kZ71Rgb, 8, 3300, true, "100"});
  cases.push_back({OutputKind::kZ36, 4, 4000, true, "61"});
  cases.push_back({OutputKind::kZ71Rgbw, 4, 3300, false, "50", 4});
  cases.push_back({OutputKind::kZ71Rgbw, 8, 3300, false, "100", 8});

  constexpr int kFrames = 2;
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(::testing::Message() << "model " << int(c.kind) << ", " << c.ports << " ports"
                                      << (c.twoPorts ? " as 2" : "") << ", brightness " << c.brightness);
    support::TestHost host;
    const int32_t frameLength = 3 * c.ports * c.pixelsPerPort;
    host.rows = {support::writeProgram(dir, "p.led", c.ports, frameLength, kFrames)};
    if (c.companionPorts > 0) {
      host.rows.push_back(support::writeProgram(dir, "w.led", c.companionPorts, 3 * c.companionPorts * 40, kFrames,
                                                companionByte));
    }
    host.twoPortRow = c.twoPorts ? 1 : 0;
    host.brightness = c.brightness;
    EngineState state;
    const WriteResult written = writeCard(state, c.kind, 1, host);
    ASSERT_EQ(written.kind, WriteResult::Kind::kWritten) << written.error;

    CardDecoder decoder;
    ASSERT_EQ(decoder.open(written.cardPath), std::nullopt);
    const CardMap& map = decoder.map();
    const CardModel& model = *cardModel(c.kind);
    const int used = c.kind == OutputKind::kZ94 ? 1 : c.twoPorts ? 2 : c.ports;
    ASSERT_EQ(map.portsUsed, used);
    ASSERT_EQ(decoder.pixelsPerPort(), c.pixelsPerPort);
    const ScaleTable scale = brightnessTable(std::stoi(c.brightness));
    const auto played = [&](uint8_t x) -> int {
      if (model.geometry.source == PixelSource::kPortBits) return x > 100 ? 255 : 0;
      return scale.value[x];
    };
    int64_t carried = 0;
    CardFrame frame;
    for (int f = 1; f <= kFrames; ++f) {
      ASSERT_EQ(decoder.read(f, frame), CardDecoder::FrameState::kOk);
      for (int q = 0; q < used; ++q) {
        for (int32_t k = 0; k < map.channels; ++k) {
          if (!map.of(q, k).onCard()) continue;
          carried += f == 1;
          const int expected = played(support::mixedByte(f, int64_t{k} * c.ports + (c.ports - 1 - q)));
          ASSERT_EQ(frame.channels[std::size_t(q) * std::size_t(map.channels) + std::size_t(k)], expected)
              << "frame " << f << ", port " << q + 1 << ", channel " << k;
        }
        for (int32_t l = 0; l < map.whiteLines; ++l) {
          ASSERT_TRUE(map.whiteOf(q, l).onCard());
          const int P2 = c.companionPorts;
          const int expected = P2 == 0 ? 0 : played(companionByte(f, int64_t{l} * P2 + (P2 - 1 - q)));
          ASSERT_EQ(frame.white[std::size_t(q) * std::size_t(map.whiteLines) + std::size_t(l)], expected) << "W line " << l;
        }
      }
    }
    // Within the layout only the end of the frame block takes positions away
    // (the line ends of Z6's second group: up to 9 %).
    const int64_t percent = c.kind == OutputKind::kZ6 ? 90 : 99;
    EXPECT_GE(carried, int64_t{3} * c.pixelsPerPort * used * percent / 100);
  }
}

}  // namespace
}  // namespace led2vqn
