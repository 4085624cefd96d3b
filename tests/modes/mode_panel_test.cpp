#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;

class ModePanelTest : public testing::ModelTest {
 protected:
  void SetUp() override {
    start();
    add(program("a.led", 1, 10));
    model.ChkB2Click();
  }

  // Picks mode m, types start and end, clicks OK.
  void setMode(int m, const std::string& s, const std::string& e) {
    model.chooseModeItem(m - 1);
    model.setFieldText(C::kE11, "");
    model.typeText(C::kE11, s);
    model.setFieldText(C::kE22, "");
    model.typeText(C::kE22, e);
    model.BitBtn4Click();
  }

  const ModeRow& row(int m) const { return model.modeState().table[static_cast<std::size_t>(m - 1)]; }
};

TEST_F(ModePanelTest, SwitchingOnEnablesThePanelButSaveMode) {
  for (C id : {C::kbread, C::kB11, C::kBB11, C::kCB11, C::kE11, C::kE22, C::kBOK, C::kAlabel, C::kLN2, C::kPathr}) {
    EXPECT_TRUE(control(id).enabled) << control(id).name;
  }
  EXPECT_FALSE(control(C::kbsave).enabled);
  EXPECT_TRUE(model.multiModeOn());
  EXPECT_EQ(model.modeState().frameLimit, 10);
}

TEST_F(ModePanelTest, ModeCountStaysWithinOneToEighty) {
  model.B1Click();
  EXPECT_EQ(model.modeState().count, 1);
  for (int i = 0; i < 85; ++i) model.BB1Click();
  EXPECT_EQ(model.modeState().count, 80);
  EXPECT_EQ(control(C::kLN2).caption, "80");
  EXPECT_EQ(control(C::kCB11).items.size(), 80u);
  EXPECT_EQ(control(C::kCB11).items.back(), "80");
  EXPECT_EQ(control(C::kCB11).text, "1");
}

TEST_F(ModePanelTest, DirectionFlagFollowsStartAndEnd) {
  model.BB1Click();
  model.BB1Click();
  setMode(1, "2", "7");
  setMode(2, "7", "2");
  setMode(3, "4", "4");
  EXPECT_EQ(row(1).flag, 0);
  EXPECT_EQ(row(2).flag, 10);
  EXPECT_EQ(row(3).flag, 10);
  EXPECT_EQ(row(2).start, 7);
  EXPECT_EQ(row(2).end, 2);
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(ModePanelTest, RangesOutsideTheFrameLimitAreRefused) {
  setMode(1, "0", "5");
  setMode(1, "1", "11");
  EXPECT_EQ(port.messages, (std::vector<std::string>{"The number of Frame is error!!", "The number of Frame is error!!"}));
  EXPECT_EQ(row(1).start, 1);
  EXPECT_EQ(row(1).end, 1);
  EXPECT_EQ(row(1).flag, 1);
}

TEST_F(ModePanelTest, EmptyFieldGivesTheConversionError) {
  setMode(1, "1", "x");
  EXPECT_EQ(port.errors, std::vector<std::string>{"'' is not a valid integer value"});
  EXPECT_EQ(row(1).flag, 1);
}

TEST_F(ModePanelTest, LoweringAndRaisingTheCountKeepsTheRange) {
  model.BB1Click();
  model.BB1Click();
  setMode(3, "3", "9");
  model.B1Click();
  EXPECT_EQ(control(C::kCB11).items, (std::vector<std::string>{"1", "2"}));
  model.BB1Click();
  model.chooseModeItem(2);
  EXPECT_EQ(control(C::kE11).text, "3");
  EXPECT_EQ(control(C::kE22).text, "9");
  model.chooseModeItem(1);  // never set
  EXPECT_EQ(control(C::kE11).text, "1");
  EXPECT_EQ(control(C::kE22).text, "1");
}

TEST_F(ModePanelTest, SwitchingOffClearsTheFrameLimitUntilTheNextAdd) {
  model.ChkB2Click();
  EXPECT_FALSE(control(C::kBOK).enabled);
  EXPECT_EQ(model.modeState().frameLimit, 0);
  EXPECT_EQ(control(C::kAlabel).caption, "Total 0 frames");
  model.ChkB2Click();
  setMode(1, "1", "1");
  EXPECT_EQ(port.messages, std::vector<std::string>{"The number of Frame is error!!"});
  add(program("b.led", 1, 4));
  EXPECT_EQ(model.modeState().frameLimit, 10);  // row 1's frames
}

}  // namespace
}  // namespace led2vqn
