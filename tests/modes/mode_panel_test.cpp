#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using Strings = std::vector<std::string>;

class ModePanelTest : public testing::ModelTest {
 protected:
  void SetUp() override {
    start();
    add(program("a.led", 1, 10));
    model.multiModeClicked();
  }
  Strings row(int m) const {
    const ModeRow& r = model.modeState().table[static_cast<std::size_t>(m - 1)];
    return {std::to_string(r.start), std::to_string(r.end), std::to_string(r.flag)};
  }
};

TEST_F(ModePanelTest, CountStaysWithinOneToEightyAndKeepsTheRowsItDrops) {
  model.removeModeClicked();
  EXPECT_EQ(model.modeState().count, 1);
  setModeCount(3);
  setMode(3, "4", "9");
  for (int i = 0; i < 80; ++i) model.addModeClicked();
  EXPECT_EQ(model.modeState().count, 80);
  EXPECT_EQ(control(C::kModeCountLabel).caption, "80");
  EXPECT_EQ(control(C::kModeSelector).items.size(), 80u);
  EXPECT_EQ(control(C::kModeSelector).items.back(), "80");
  setModeCount(2);
  setModeCount(3);
  EXPECT_EQ(row(3), (Strings{"4", "9", "0"}));
}

TEST_F(ModePanelTest, SwitchingOffClearsTheFrameLimitUntilTheNextAdd) {
  model.multiModeClicked();
  EXPECT_EQ(model.modeState().frameLimit, 0);
  EXPECT_EQ(control(C::kFrameLimitLabel).caption, "Total 0 frames");
  model.multiModeClicked();
  setMode(1, "1", "1");
  setMode(1, "1", "x");  // filtered away: an empty field
  EXPECT_EQ(port.messages, Strings{"The number of Frame is error!!"});
  EXPECT_EQ(port.errors, Strings{"'' is not a valid integer value"});
  add(program("b.led", 1, 4));
  EXPECT_EQ(model.modeState().frameLimit, 10);  // row 1's frames
}

}  // namespace
}  // namespace led2vqn
