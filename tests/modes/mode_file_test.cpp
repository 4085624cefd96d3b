#include "modes/mode_file.hpp"

#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <tuple>

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"
#include "base/bytes.hpp"
#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;
using Edit = std::function<void(uint8_t*)>;

// A card as stored: a header built by saveHead (brightness 45), then 64 bytes of frame data.
Bytes card(const char* magic, int32_t frames, int32_t period, const ModeSettings& modes) {
  std::array<uint8_t, kHeaderScratchBytes> sec{};
  std::memcpy(sec.data(), magic, 6);
  Generator rng;
  EXPECT_EQ(saveHead(rng, sec.data(), HeadInputs{1, 1, 0, frames, 0, 0, 0, period, 45}, modes), HeadResult::kOk);
  Bytes out(sec.begin(), sec.begin() + 512);
  for (int i = 0; i < 64; ++i) out.push_back(static_cast<uint8_t>(i * 7 + 1));
  return out;
}

// Stores the header again with byte 6 = b6 (and so its shift) after `edit`
// changed the unshifted bytes; fresh check bytes.
Bytes restored(Bytes c, uint8_t b6, const Edit& edit = {}) {
  std::array<uint8_t, kHeaderScratchBytes> sec{};
  std::memcpy(sec.data(), c.data(), 512);
  shiftDown(sec.data(), headShift(sec[6]));
  if (edit) edit(sec.data());
  sec[6] = b6;
  Generator rng;
  shiftUp(rng, sec.data(), headShift(b6));
  setCheckBytes(sec.data(), 512);
  std::memcpy(c.data(), sec.data(), 512);
  return c;
}

class ModeFileTest : public testing::ModelTest {
 protected:
  void SetUp() override { start(); }

  // Rows 1 .. n as "start-end/flag".
  Strings rows(int n) const {
    Strings out;
    for (int m = 0; m < n; ++m) {
      const ModeRow& r = model.modeState().table[static_cast<std::size_t>(m)];
      out.push_back(decimal(r.start) + "-" + decimal(r.end) + "/" + decimal(r.flag));
    }
    return out;
  }
  // ModeCount, ModeFrameLimit and the texts Read mode sets.
  Strings shown() const {
    const ModeState& m = model.modeState();
    return {decimal(m.count),      decimal(m.frameLimit), control(C::kSpeedField).text, control(C::kBrightnessField).text,
            control(C::kStartField).text, control(C::kEndField).text, control(C::kModeCountLabel).caption, control(C::kFrameLimitLabel).caption};
  }
  // Everything of the window that Read mode and Save mode may change.
  Strings snapshot() const {
    Strings s = shown(), r = rows(kMaxModes), items = control(C::kModeSelector).items;
    s.insert(s.end(), r.begin(), r.end());
    s.insert(s.end(), items.begin(), items.end());
    s.push_back(model.modeState().path + "|" + control(C::kModePathLabel).caption + "|" + control(C::kModeSelector).text + "|" +
                (control(C::kSaveModeButton).enabled ? "save on" : "save off"));
    return s;
  }

  ModeTable twoModes{ModeRow{2, 8, 0}, ModeRow{6, 3, 10}};
  ModeSettings twoModeSettings{true, 2, &twoModes, 9};
};

TEST_F(ModeFileTest, ReadsCardsWithoutAndWithModesWhateverTheirShift) {
  const ModeTable five{ModeRow{1, 7, 0}, {7, 1, 10}, {3, 3, 10}, {1, 1, 1}, {2, 6, 0}};  // mode 4 never set
  model.multiModeClicked();
  for (uint8_t b6 : {0x22, 0x4B, 0x0F}) {  // s = 0, 3, 7
    SCOPED_TRACE(int(b6));
    model.readModeFile(dir.write("c.vqn", restored(card("KWZ361", 7, 30, {true, 5, &five, 7}), b6)));
    EXPECT_EQ(rows(5), (Strings{"1-7/0", "7-1/10", "3-3/10", "1-1/0", "2-6/0"}));
    EXPECT_EQ(control(C::kModeSelector).items.size(), 5u);
    EXPECT_EQ(shown(), (Strings{"5", "7", "33.3333333333333", "45", "1", "7", "5", "Total 7 frames"}));
    setMode(1, "3", "2");
    model.setFieldText(C::kSpeedField, "12");
    model.readModeFile(dir.write("c.vqn", restored(card("KWZ6V1", 9, 40, ModeSettings{}), b6)));
    EXPECT_EQ(rows(1), Strings{"1-9/10"});  // the flag is left as it was
    EXPECT_EQ(control(C::kModeSelector).items.size(), 1u);
    EXPECT_EQ(shown(), (Strings{"1", "9", "25", "45", "1", "9", "1", "Total 9 frames"}));
  }
  EXPECT_EQ(model.modeState().path + control(C::kModePathLabel).caption, dir.file("c.vqn") + dir.file("c.vqn"));
  EXPECT_TRUE(control(C::kSaveModeButton).enabled && port.messages.empty());
}

TEST_F(ModeFileTest, PeriodZeroLeavesTheSpeedAndThePlainLayoutGivesOnlyTheFrames) {
  model.setFieldText(C::kSpeedField, "9.5");
  model.readModeFile(dir.write("c.vqn", card("KWZ361", 9, 0, ModeSettings{})));
  EXPECT_EQ(control(C::kSpeedField).text, "9.5");
  Bytes plain(512, 0);  // byte 16 below 3: the frame count is bytes 12 .. 15
  plain[0] = 'K', plain[1] = 'W';
  putLe32(plain.data() + 12, 1234);
  setCheckBytes(plain.data(), 512);
  model.setFieldText(C::kBrightnessField, "77");
  model.readModeFile(dir.write("p.vqn", plain));
  EXPECT_EQ(shown(), (Strings{"1", "1234", "9.5", "77", "1", "1234", "1", "Total 1234 frames"}));
  // Byte 16 alone tells the layouts apart: up to 2 plain, from 3 on the frame count is elsewhere.
  for (auto [b15, b16, plainLayout] : {std::tuple{3, 2, true}, {0, 3, false}}) {
    plain[15] = static_cast<uint8_t>(b15), plain[16] = static_cast<uint8_t>(b16);
    setCheckBytes(plain.data(), 512);
    model.readModeFile(dir.write("p.vqn", plain));
    EXPECT_EQ(model.modeState().frameLimit == (b15 << 24 | 1234), plainLayout) << b16;
    EXPECT_EQ(modeFileFrames(plain.data()) == (b15 << 24 | 1234), plainLayout) << b16;
  }
}

TEST_F(ModeFileTest, RefusalsLeaveTheFileAndTheWindowAsTheyWere) {
  const Bytes good = card("KWDX02", 9, 30, twoModeSettings);
  auto edited = [&](const Edit& edit) { return restored(good, 0x33, edit); };
  Bytes badCheck = good;
  badCheck[511] ^= 1;
  const std::string open = "Open File error！！", count = "The mode count of this file is not 1 to 80!!";
  const struct {
    bool save;
    const char* what;
    std::optional<Bytes> file;  // what stands at the path
    std::string message;
  } cases[] = {
      {false, "missing", std::nullopt, open},
      {false, "511 bytes", Bytes(good.begin(), good.begin() + 511), open},
      {false, "magic KX", edited([](uint8_t* s) { s[1] = 'X'; }), "File type error!!"},
      {false, "check byte", badCheck, open},
      {false, "0 modes", edited([](uint8_t* s) { s[63] = static_cast<uint8_t>(s[71] + 1); }), count},
      {false, "81 modes", edited([](uint8_t* s) { s[63] = static_cast<uint8_t>(s[71] + 162); }), count},
      {false, "Z = -80", edited([](uint8_t* s) { s[61] = 100, s[76] = 20; }),
       "The mode table of this file lies outside its header!!"},
      {true, "missing", std::nullopt, open},
      {true, "100 bytes", Bytes(100, 'K'), open},
      {true, "not KWD", card("KWZ361", 9, 30, twoModeSettings), "This card type keeps no saved modes!!"},
      {true, "5 frames", card("KWDX02", 5, 30, ModeSettings{}), "The number of Frames is error，Output failure！！"},
  };
  const std::string path = dir.file("k.vqn");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.save ? "save " : "read ") + c.what);
    model.readModeFile(dir.write("k.vqn", good));  // Save mode writes to the card read last
    std::filesystem::remove(path);
    if (c.file) dir.write("k.vqn", *c.file);
    const Strings state = snapshot();
    const uint32_t seed = model.engine().rng.seed();
    port.messages.clear();
    if (c.save) {
      model.saveModeClicked();
    } else {
      model.readModeFile(path);
    }
    EXPECT_EQ(port.messages, Strings{c.message});
    EXPECT_EQ(snapshot(), state);
    EXPECT_EQ(model.engine().rng.seed(), seed);  // no draw
    EXPECT_EQ(std::filesystem::exists(path), c.file.has_value());  // nothing created
    EXPECT_EQ(c.file ? support::readBytes(path) : Bytes{}, c.file.value_or(Bytes{}));
  }
  model.readModeFile(dir.write("z.vqn", edited([](uint8_t* s) { s[61] = 100, s[76] = 21; })));  // Z = -79 is read
  EXPECT_EQ(model.modeState().path, dir.file("z.vqn"));
}

// The add and remove buttons keep the count within 1 .. 80, however often clicked.
TEST_F(ModeFileTest, ModeCountStaysWithinOneToEighty) {
  model.multiModeClicked();
  model.removeModeClicked();
  EXPECT_EQ(model.modeState().count, 1);
  setModeCount(80);
  model.addModeClicked();
  EXPECT_EQ(model.modeState().count, 80);
  EXPECT_EQ(control(C::kModeSelector).items.size(), 80u);
}

}  // namespace
}  // namespace led2vqn
