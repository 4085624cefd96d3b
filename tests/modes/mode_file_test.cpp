#include "modes/mode_file.hpp"

#include <array>
#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"
#include "output/bytes.hpp"
#include "output/decimal_text.hpp"

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
  HeadInputs in;
  in.frames = frames;
  in.framePeriod = period;
  in.brightness = 45;
  EXPECT_EQ(saveHead(rng, sec.data(), in, modes), HeadResult::kOk);
  Bytes out(sec.begin(), sec.begin() + 512);
  for (int i = 0; i < 64; ++i) out.push_back(static_cast<uint8_t>(i * 7 + 1));
  return out;
}

// Stores the header again with byte 6 = b6 (and so its shift) after `edit`
// changed the unshifted bytes; fresh check bytes.
Bytes restored(Bytes c, uint8_t b6, const Edit& edit = {}) {
  std::array<uint8_t, kHeaderScratchBytes> sec{};
  std::memcpy(sec.data(), c.data(), sec.size());
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
  void SetUp() override {
    start();
    twoModes[0] = ModeRow{2, 8, 0};
    twoModes[1] = ModeRow{6, 3, 10};
  }

  void setMode(int m, const std::string& s, const std::string& e) {
    model.chooseModeItem(m - 1);
    model.setFieldText(C::kE11, s);
    model.setFieldText(C::kE22, e);
    model.BitBtn4Click();
  }
  void setModeCount(int n) {
    while (model.modeState().count < n) model.BB1Click();
    while (model.modeState().count > n) model.B1Click();
  }
  void output(OutputKind kind) {
    model.outputClick(kind);
    while (model.timerEnabled()) model.Timer1Timer();
  }
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
    return {decimal(m.count),         decimal(m.frameLimit),     control(C::kSPEEDN).text, control(C::kBRIGHTN).text,
            control(C::kE11).text,    control(C::kE22).text,     control(C::kLN2).caption, control(C::kAlabel).caption};
  }
  // Everything of the window that Read mode and Save mode may change.
  Strings snapshot() const {
    Strings s = shown(), r = rows(kMaxModes);
    s.insert(s.end(), {model.modeState().path, control(C::kPathr).caption, control(C::kCB11).text,
                       control(C::kbsave).enabled ? "save on" : "save off"});
    s.insert(s.end(), control(C::kCB11).items.begin(), control(C::kCB11).items.end());
    s.insert(s.end(), r.begin(), r.end());
    return s;
  }

  ModeTable twoModes{};
  ModeSettings twoModeSettings{true, 2, &twoModes, 9};
};

TEST_F(ModeFileTest, ReadsACardWrittenWithMultiModeOff) {
  add(program("a.led", 1, 7));
  model.setFieldText(C::kSPEEDN, "33");
  model.setFieldText(C::kBRIGHTN, "60");
  output(OutputKind::kZ71Rgb);
  model.setFieldText(C::kSPEEDN, "25");
  model.ChkB2Click();
  setModeCount(3);
  const std::string path = dir.file("a_1P_Z71RGB_10K.vqn");
  Readmod(model, path);
  EXPECT_EQ(shown(), (Strings{"1", "7", "33.3333333333333", "60", "1", "7", "1", "Total 7 frames"}));
  EXPECT_EQ(rows(1), Strings{"1-7/1"});  // the flag is left as it was
  EXPECT_EQ(control(C::kCB11).items, Strings{"1"});
  EXPECT_EQ(control(C::kPathr).caption, path);
  EXPECT_EQ(model.modeState().path, path);
  EXPECT_TRUE(control(C::kbsave).enabled);
}

TEST_F(ModeFileTest, ReadsTheFiveModesOfACard) {
  add(program("a.led", 1, 7));
  model.ChkB2Click();
  setModeCount(5);
  setMode(1, "1", "7");
  setMode(2, "7", "1");
  setMode(3, "3", "3");
  setMode(5, "2", "6");  // mode 4 is never set
  output(OutputKind::kZ36);
  setModeCount(2);
  setMode(1, "2", "5");
  Readmod(model, dir.file("a_1P_Z36.vqn"));
  EXPECT_EQ(rows(5), (Strings{"1-7/0", "7-1/10", "3-3/10", "1-1/0", "2-6/0"}));
  EXPECT_EQ(control(C::kCB11).items, (Strings{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(shown(), (Strings{"5", "7", "25", "100", "1", "7", "5", "Total 7 frames"}));
}

TEST_F(ModeFileTest, EveryShiftIsUndoneBeforeDecoding) {
  for (uint8_t b6 : {0x22, 0x4B, 0x0F}) {  // s = 0, 3, 7
    Readmod(model, dir.write("c.vqn", restored(card("KWZ361", 9, 30, twoModeSettings), b6)));
    EXPECT_EQ(shown(), (Strings{"2", "9", "33.3333333333333", "45", "2", "8", "2", "Total 9 frames"})) << int(b6);
    EXPECT_EQ(rows(2), (Strings{"2-8/0", "6-3/10"}));
  }
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(ModeFileTest, SpeedTextAndThePlainLayout) {
  Readmod(model, dir.write("c.vqn", card("KWZ361", 9, 104, ModeSettings{})));
  EXPECT_EQ(control(C::kSPEEDN).text, "9.61538461538462");
  Readmod(model, dir.write("c.vqn", card("KWZ361", 9, 0, ModeSettings{})));
  EXPECT_EQ(control(C::kSPEEDN).text, "9.61538461538462");  // a period of 0 leaves the speed

  Bytes plain(512, 0);  // byte 16 below 3: the frame count is bytes 12 .. 15
  plain[0] = 'K';
  plain[1] = 'W';
  putLe32(plain.data() + 12, 1234);
  setCheckBytes(plain.data(), 512);
  model.setFieldText(C::kBRIGHTN, "77");
  Readmod(model, dir.write("p.vqn", plain));
  EXPECT_EQ(shown(), (Strings{"1", "1234", "9.61538461538462", "77", "1", "1234", "1", "Total 1234 frames"}));
}

TEST_F(ModeFileTest, SaveThenReadGivesTheModesBack) {
  const Bytes written = restored(card("KWDX02", 9, 30, twoModeSettings), 0x4B);  // s = 3
  const std::string path = dir.write("k.vqn", written);
  model.ChkB2Click();
  Readmod(model, path);
  setModeCount(4);
  setMode(1, "1", "9");
  setMode(3, "4", "4");  // mode 2 keeps 6-3/10 from the card, mode 4 is never set
  SaveMode(model);
  EXPECT_EQ(port.messages, Strings{"Mode Save successful!"});

  const Bytes saved = support::readBytes(path);
  ASSERT_EQ(saved.size(), written.size());
  EXPECT_TRUE(std::equal(written.begin(), written.begin() + 8, saved.begin()));
  EXPECT_TRUE(std::equal(written.begin() + 512, written.end(), saved.begin() + 512));
  auto fields = [](const Bytes& c) {
    const DecodedHeader d = decodeCardHeader(c.data());
    return std::vector<int32_t>{d.checksOk, d.shift, d.format, d.blockOffset, d.frames, d.channelBytes,
                                d.framePeriod, d.brightness, d.ports.value_or(-1), d.blockShift.value_or(-1)};
  };
  EXPECT_EQ(fields(saved), fields(written));

  setModeCount(1);
  setMode(1, "5", "5");
  model.setFieldText(C::kSPEEDN, "25");
  Readmod(model, path);
  EXPECT_EQ(rows(4), (Strings{"1-9/0", "6-3/10", "4-4/10", "1-1/0"}));
  EXPECT_EQ(shown(), (Strings{"4", "9", "33.3333333333333", "45", "1", "9", "4", "Total 9 frames"}));
}

TEST_F(ModeFileTest, ReadRefusalsChangeNothing) {
  const Bytes good = card("KWZ361", 9, 30, twoModeSettings);
  Readmod(model, dir.write("good.vqn", good));
  model.setFieldText(C::kSPEEDN, "12");
  const Strings state = snapshot();
  auto edited = [&](const Edit& edit) { return restored(good, 0x33, edit); };
  Bytes badCheck = good;
  badCheck[511] ^= 1;
  const std::string count = "The mode count of this file is not 1 to 80!!";
  const struct {
    const char* what;
    std::optional<Bytes> file;
    std::string message;
  } cases[] = {
      {"missing", std::nullopt, "Open File error！！"},
      {"511 bytes", Bytes(good.begin(), good.begin() + 511), "Open File error！！"},
      {"magic KX", edited([](uint8_t* s) { s[1] = 'X'; }), "File type error!!"},
      {"check byte", badCheck, "Open File error！！"},
      {"0 modes", edited([](uint8_t* s) { s[63] = static_cast<uint8_t>(s[71] + 1); }), count},
      {"81 modes", edited([](uint8_t* s) { s[63] = static_cast<uint8_t>(s[71] + 162); }), count},
      {"Z = -80", edited([](uint8_t* s) { s[61] = 100, s[76] = 20; }), "The mode table of this file lies outside its header!!"},
  };
  const std::string path = dir.file("bad.vqn");
  for (const auto& c : cases) {
    port.messages.clear();
    std::filesystem::remove(path);
    if (c.file) dir.write("bad.vqn", *c.file);
    Readmod(model, path);
    EXPECT_EQ(port.messages, Strings{c.message}) << c.what;
    EXPECT_EQ(snapshot(), state) << c.what;
    EXPECT_EQ(std::filesystem::exists(path), c.file.has_value()) << c.what;  // nothing created
  }
  Readmod(model, dir.path());  // a folder: an input/output error
  EXPECT_EQ(port.errors.size(), 1u);
  EXPECT_EQ(snapshot(), state);

  Readmod(model, dir.write("z.vqn", edited([](uint8_t* s) { s[61] = 100, s[76] = 21; })));  // Z = -79 is read
  EXPECT_EQ(model.modeState().path, dir.file("z.vqn"));
}

TEST_F(ModeFileTest, SaveRefusalsLeaveTheCardAsItWas) {
  const std::string path = dir.file("k.vqn");
  const struct {
    const char* what;
    std::optional<Bytes> file;  // what stands at the path when Save mode runs
    std::string message;
  } cases[] = {
      {"missing", std::nullopt, "Open File error！！"},
      {"100 bytes", Bytes(100, 'K'), "Open File error！！"},
      {"not KWD", card("KWZ361", 9, 30, twoModeSettings), "This card type keeps no saved modes!!"},
      {"5 frames", card("KWDX02", 5, 30, ModeSettings{}), "The number of Frames is error，Output failure！！"},
  };
  for (const auto& c : cases) {
    Readmod(model, dir.write("k.vqn", card("KWDX02", 9, 30, twoModeSettings)));
    std::filesystem::remove(path);
    if (c.file) dir.write("k.vqn", *c.file);
    const Strings state = snapshot();
    const uint32_t seed = model.engine().rng.seed();
    port.messages.clear();
    SaveMode(model);
    EXPECT_EQ(port.messages, Strings{c.message}) << c.what;
    EXPECT_EQ(snapshot(), state) << c.what;
    EXPECT_EQ(model.engine().rng.seed(), seed) << c.what;  // no draw
    EXPECT_EQ(std::filesystem::exists(path), c.file.has_value()) << c.what;
    if (c.file) {
      EXPECT_EQ(support::readBytes(path), *c.file) << c.what;
    }
  }
  model.modeState().path = dir.path();  // cannot be opened for writing
  SaveMode(model);
  EXPECT_EQ(port.errors.size(), 1u);
}

}  // namespace
}  // namespace led2vqn
