#include "app/window_model.hpp"

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using testing::ModelTest;
using C = ControlId;
using Strings = std::vector<std::string>;
using Language = ModelTest;
using Fields = ModelTest;
using Table = ModelTest;

TEST_F(Language, SavedChineseAppliesAtCreationAndSwitchingWritesByteSevenOnly) {
  start(0x31);
  EXPECT_TRUE(control(C::kChineseRadio).checked);
  EXPECT_EQ(cell(7, 0), " 文件 7");
  std::vector<uint8_t> expected = support::readBytes(dir.file("Gcode.sdc"));
  for (auto [click, byte7] : {std::pair{&WindowModel::englishClicked, 0x30}, {&WindowModel::chineseClicked, 0x31}}) {
    (model.*click)();
    expected[7] = uint8_t(byte7);
    EXPECT_EQ(support::readBytes(dir.file("Gcode.sdc")), expected);
  }
  EXPECT_TRUE(port.errors.empty());
}

TEST_F(Fields, KeyFiltersAndLeavingKeepSpeedAndBrightnessWithinOneToHundred) {
  start();
  for (auto [typed, speed, brightness] :
       {std::tuple{"0", "1", "1"}, {"250", "100", "100"}, {"", "25", "100"}, {"4 a.5中-", "45", "45"}}) {
    for (C id : {C::kSpeedField, C::kBrightnessField}) {
      model.setFieldText(id, "");
      model.typeText(id, typed);
    }
    model.speedFieldLeft();
    model.brightnessFieldLeft();
    EXPECT_EQ(control(C::kSpeedField).text + " " + control(C::kBrightnessField).text, std::string(speed) + " " + brightness);
  }
  model.setFieldText(C::kSpeedField, "2.5");  // pasted: stays, and is reported
  model.speedFieldLeft();
  EXPECT_EQ(control(C::kSpeedField).text, "2.5");
  EXPECT_EQ(port.errors, Strings{"'2.5' is not a valid integer value"});
}

TEST_F(Table, AddingRefusesDuplicatesCaseSensitivelyUnreadableFilesAndASeventeenth) {
  start();
  const std::string a = program("a.led", 1, 3);
  add(a);
  EXPECT_TRUE(control(C::kDeleteButton).enabled && control(C::kOutputZ36Button).enabled);
  EXPECT_EQ(model.modeState().frameLimit, 3);
  EXPECT_EQ(control(C::kFrameLimitLabel).caption, "Total 3 frames");
  EXPECT_EQ((Strings{cell(1, 2), cell(1, 3), cell(1, 4), cell(1, 5)}), (Strings{"3", "1", "341", "1024"}));
  add(a);
  add(program("A.led", 1));
  add(dir.write("short.led", std::vector<uint8_t>(100)));
  add(dir.file("missing.led"));
  model.chineseClicked();  // messages take the language at display time
  add(a);
  EXPECT_EQ(port.messages, (Strings{"This file is already open.", "Open File error！！", "Open File error！！",
                                    "此文件已经添加！！"}));
  EXPECT_FALSE(fileExists(dir.file("missing.led")));
  EXPECT_EQ(model.table().fileCount(), 2);
  for (int i = 3; i <= 16; ++i) add(program("f" + std::to_string(i) + ".led", 1));
  model.englishClicked();
  add(program("f17.led", 1));
  EXPECT_EQ(port.messages.back(), "The number of files is over 16,error！！");
  EXPECT_EQ(model.table().fileCount(), 16);
}

TEST_F(Table, InsertingBelowTheSelectionEnablesThatRowsBoxOnlyAndFlagsStayWithGridRows) {
  start();
  add(program("a.led", 1));
  add(program("b.led", 1));
  model.controls()[twoPortsBoxId(3)].enabled = true;  // left from an earlier file
  model.twoPortsBoxClicked(3);
  model.rowSelected(1);
  add(program("c.led", 4));
  EXPECT_EQ(cell(2, 1), dir.file("c.led"));
  EXPECT_EQ(cell(3, 1), dir.file("b.led"));
  EXPECT_TRUE(control(twoPortsBoxId(2)).enabled);
  EXPECT_TRUE(control(twoPortsBoxId(3)).checked);
  EXPECT_EQ(model.table().twoPortFlag(3), kTwoPortsOn);
}

TEST_F(Table, DeletingKeepsTheBoxesWithTheGridRowsAndTheOnlyFileLeavesAddAndExit) {
  start();
  add(program("a.led", 2));
  add(program("b.led", 4));
  model.twoPortsBoxClicked(2);
  model.rowSelected(1);
  model.deleteRowClicked();
  EXPECT_EQ(cell(1, 1), dir.file("b.led"));
  EXPECT_TRUE(control(twoPortsBoxId(2)).checked);
  EXPECT_FALSE(control(twoPortsBoxId(2)).enabled);
  EXPECT_EQ(model.table().twoPortFlag(2), kTwoPortsOn);
  EXPECT_EQ(model.table().portsUsed(1), 4);
  model.deleteRowClicked();
  for (C id : {C::kDeleteButton, C::kOutputZ71RgbButton, C::kOutputJ9Button, C::kOutputZ58Button, C::kOutputZ94Button, C::kOutputZ6Button, C::kOutputZ71RgbwButton,
               C::kOutputZ36Button, twoPortsBoxId(1)}) {
    EXPECT_FALSE(control(id).enabled) << control(id).name;
  }
  EXPECT_TRUE(control(C::kAddButton).enabled && control(C::kExitButton).enabled);
  EXPECT_EQ(model.modeState().frameLimit, 0);
  EXPECT_EQ(cell(1, 1), " ");
}

}  // namespace
}  // namespace led2vqn
