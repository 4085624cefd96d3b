#include "app/window_model.hpp"

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using testing::ModelTest;
using C = ControlId;

using WindowCreation = ModelTest;

TEST_F(WindowCreation, WithoutSettingsFileStartsEnglishAndCreatesAnEmptyFile) {
  model.FormCreate(dir.file("Gcode.sdc"));
  EXPECT_EQ(model.languageFlag(), kEnglish);
  EXPECT_TRUE(control(C::kRBT1).checked);
  EXPECT_FALSE(control(C::kRBT2).checked);
  EXPECT_EQ(control(C::kForm1).caption, "LED TO VQN V3.70(test)-202005");
  EXPECT_TRUE(support::readBytes(dir.file("Gcode.sdc")).empty());
}

TEST_F(WindowCreation, SavedChineseAppliesEveryCaption) {
  start(0x31);
  EXPECT_EQ(model.languageFlag(), kChinese);
  EXPECT_TRUE(control(C::kRBT2).checked);
  EXPECT_EQ(control(C::kForm1).caption, "LED 动感灯箱专用软件 V3.70(测试版)-202005");
  EXPECT_EQ(control(C::kOUTPUTZ6).caption, "定制 Z6.3 ");
  EXPECT_EQ(control(checkBoxId(20)).caption, "2路主控");
  EXPECT_EQ(control(C::kAlabel).caption, "共  0  帧");
  EXPECT_EQ(cell(0, 3), " 端口数 ");
  EXPECT_EQ(cell(7, 0), " 文件 7");
}

TEST_F(WindowCreation, ControlsStartAsTheWindowDefinesThem) {
  start();
  EXPECT_TRUE(control(C::kADDBT).enabled);
  EXPECT_FALSE(control(C::kDELBT).enabled);
  EXPECT_FALSE(control(C::kOUTPUTZ94).enabled);
  EXPECT_TRUE(control(checkBoxId(12)).visible);
  EXPECT_FALSE(control(checkBoxId(12)).enabled);
  EXPECT_FALSE(control(checkBoxId(13)).visible);
  EXPECT_EQ(control(checkBoxId(2)).rect.left, 1057);
  EXPECT_EQ(control(checkBoxId(2)).rect.top, 117);
  EXPECT_TRUE(control(C::kChkB2).enabled);
  EXPECT_FALSE(control(C::kbread).enabled);
  EXPECT_FALSE(model.controls().clickable(C::kRB4));
  EXPECT_EQ(model.colourTypeFlag(), 10);
}

using LanguageSwitch = ModelTest;

TEST_F(LanguageSwitch, WritesByteSevenOnly) {
  start(0x31);
  std::vector<uint8_t> expected = support::readBytes(dir.file("Gcode.sdc"));
  model.RBT1Click();
  expected[7] = 0x30;
  EXPECT_EQ(support::readBytes(dir.file("Gcode.sdc")), expected);
  EXPECT_EQ(control(C::kADDBT).caption, "ADD File");
  model.RBT2Click();
  expected[7] = 0x31;
  EXPECT_EQ(support::readBytes(dir.file("Gcode.sdc")), expected);
  EXPECT_TRUE(port.errors.empty());
}

TEST_F(LanguageSwitch, ShortSettingsFileIsNotWrittenButTheWindowSwitches) {
  start(0x30, 32);
  const std::vector<uint8_t> before = support::readBytes(dir.file("Gcode.sdc"));
  model.RBT2Click();
  EXPECT_EQ(model.languageFlag(), kChinese);
  EXPECT_EQ(control(C::kADDBT).caption, "添加文件");
  EXPECT_EQ(support::readBytes(dir.file("Gcode.sdc")), before);
}

TEST_F(LanguageSwitch, MessagesFollowTheFlagAtDisplayTimeAndCellsKeepTheirData) {
  start();
  const std::string a = program("a.led", 2);
  add(a);
  model.RBT2Click();
  add(a);
  EXPECT_EQ(port.messages, std::vector<std::string>{"此文件已经添加！！"});
  EXPECT_EQ(cell(1, 0), " 文件 1");
  EXPECT_EQ(cell(1, 1), a);
  EXPECT_EQ(cell(1, 2), "2");
}

using Fields = ModelTest;

TEST_F(Fields, LeavingKeepsSpeedAndBrightnessWithinOneToHundred) {
  start();
  struct Case {
    const char* typed;
    const char* speed;
    const char* brightness;
  };
  for (const Case& c : {Case{"0", "1", "1"}, Case{"250", "100", "100"}, Case{"007", "7", "7"},
                        Case{"", "25", "100"}, Case{"101", "100", "100"}, Case{"1x2", "12", "12"}}) {
    model.setFieldText(C::kSPEEDN, "");
    model.typeText(C::kSPEEDN, c.typed);
    model.SPEEDNExit();
    model.setFieldText(C::kBRIGHTN, "");
    model.typeText(C::kBRIGHTN, c.typed);
    model.BRIGHTNExit();
    EXPECT_EQ(control(C::kSPEEDN).text, c.speed) << c.typed;
    EXPECT_EQ(control(C::kBRIGHTN).text, c.brightness) << c.typed;
  }
}

TEST_F(Fields, KeyFiltersPassDigitsAndControlKeysOnly) {
  start();
  model.setFieldText(C::kSPEEDN, "");
  model.typeText(C::kSPEEDN, "4 a.5中-6");
  EXPECT_EQ(control(C::kSPEEDN).text, "456");
  model.typeChar(C::kSPEEDN, 8);  // backspace
  EXPECT_EQ(control(C::kSPEEDN).text, "45");
  model.typeText(C::kCB11, "7");
  EXPECT_EQ(control(C::kCB11).text, "1");
}

TEST_F(Fields, PastedTextThatIsNoNumberStaysAndIsReported) {
  start();
  model.setFieldText(C::kSPEEDN, "2.5");
  model.SPEEDNExit();
  EXPECT_EQ(control(C::kSPEEDN).text, "2.5");
  EXPECT_EQ(port.errors, std::vector<std::string>{"'2.5' is not a valid integer value"});
}

using AddingFiles = ModelTest;

TEST_F(AddingFiles, FirstFileUnlocksTheButtonsAndSetsTheFrameLimit) {
  start();
  add(program("a.led", 1, 3));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_TRUE(control(C::kDELBT).enabled);
  EXPECT_TRUE(control(C::kOUTZ36).enabled);
  EXPECT_EQ(model.modeState().frameLimit, 3);
  EXPECT_EQ(control(C::kAlabel).caption, "Total 3 frames");
  EXPECT_EQ(cell(1, 3), "1");
  EXPECT_EQ(cell(1, 5), "1024");
}

TEST_F(AddingFiles, SeventeenthFileIsRefused) {
  start();
  for (int i = 1; i <= 16; ++i) add(program("f" + std::to_string(i) + ".led", 1));
  EXPECT_TRUE(port.messages.empty());
  add(program("f17.led", 1));
  EXPECT_EQ(port.messages, std::vector<std::string>{"The number of files is over 16,error！！"});
  EXPECT_EQ(model.table().fileCount(), 16);
}

TEST_F(AddingFiles, DuplicatePathsAreRefusedCaseSensitively) {
  start();
  const std::string a = program("a.led", 1);
  program("A.led", 1);
  add(a);
  add(a);
  add(dir.file("A.led"));
  EXPECT_EQ(port.messages, std::vector<std::string>{"This file is already open."});
  EXPECT_EQ(model.table().fileCount(), 2);
}

TEST_F(AddingFiles, RefusalsShowTheReaderMessageAndChangeNothing) {
  start();
  add(dir.write("short.led", std::vector<uint8_t>(100)));
  add(dir.file("missing.led"));
  EXPECT_EQ(port.messages, (std::vector<std::string>{"Open File error！！", "Open File error！！"}));
  EXPECT_FALSE(fileExists(dir.file("missing.led")));
  EXPECT_FALSE(control(C::kDELBT).enabled);
  EXPECT_EQ(model.table().fileCount(), 0);
}

TEST_F(AddingFiles, CancelledDialogDoesNothing) {
  start();
  model.ADDBTClick();
  EXPECT_EQ(model.table().fileCount(), 0);
  EXPECT_TRUE(port.messages.empty());
}

using TwoPortBoxes = ModelTest;

TEST_F(TwoPortBoxes, InsertingBelowTheSelectionEnablesThatRowsBoxOnly) {
  start();
  add(program("a.led", 1));
  add(program("b.led", 1));
  model.controls()[checkBoxId(3)].enabled = true;  // left from an earlier file
  model.CheckBoxClick(3);
  model.SGD1SelectCell(1);
  add(program("c.led", 4));
  EXPECT_EQ(cell(2, 1), dir.file("c.led"));
  EXPECT_EQ(cell(3, 1), dir.file("b.led"));
  EXPECT_TRUE(control(checkBoxId(2)).enabled);
  EXPECT_TRUE(control(checkBoxId(3)).checked);
  EXPECT_EQ(model.table().twoPortFlag(3), kTwoPortsOn);
}

TEST_F(TwoPortBoxes, DeletingRowOneLeavesTheCheckedBoxOfRowTwoDisabled) {
  start();
  add(program("a.led", 2));
  add(program("b.led", 4));
  model.CheckBoxClick(2);
  model.SGD1SelectCell(1);
  model.DELBTClick();
  EXPECT_EQ(cell(1, 1), dir.file("b.led"));
  EXPECT_TRUE(control(checkBoxId(2)).checked);
  EXPECT_FALSE(control(checkBoxId(2)).enabled);
  EXPECT_EQ(model.table().twoPortFlag(2), kTwoPortsOn);
  EXPECT_EQ(model.table().portsUsed(1), 4);
}

TEST_F(TwoPortBoxes, DeletingTheOnlyFileLeavesOnlyAddAndExit) {
  start();
  add(program("a.led", 4, 5));
  model.DELBTClick();
  for (C id : {C::kDELBT, C::kOUTPUTBT, C::kOUTPUTBT4, C::kOUTPUTZ58, C::kOUTPUTZ94, C::kOUTPUTZ6, C::kOUTRGBW,
               C::kOUTZ36}) {
    EXPECT_FALSE(control(id).enabled) << control(id).name;
  }
  EXPECT_TRUE(control(C::kADDBT).enabled);
  EXPECT_TRUE(control(C::kEXBT).enabled);
  EXPECT_FALSE(control(checkBoxId(1)).enabled);
  EXPECT_EQ(model.modeState().frameLimit, 0);
  EXPECT_EQ(cell(1, 1), " ");
}

}  // namespace
}  // namespace led2vqn
