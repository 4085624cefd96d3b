#include "app/script.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

ScriptLine only(std::string_view script) {
  const std::vector<ScriptLine> lines = parseScript(script);
  EXPECT_EQ(lines.size(), 1u);
  return lines.empty() ? ScriptLine{} : lines[0];
}

TEST(ScriptParsing, SkipsBlankAndCommentLinesAndKeepsLineNumbers) {
  const std::vector<ScriptLine> lines = parseScript("\xEF\xBB\xBF# setup\r\n\n  \t\nadd a.led\r\n   # more\ndelete");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].number, 4);
  EXPECT_EQ(lines[0].source, "add a.led");
  EXPECT_EQ(lines[1].number, 6);
  EXPECT_EQ(lines[1].action->verb, ScriptVerb::kDelete);
}

TEST(ScriptParsing, PathsAreTheRestOfTheLineTrimmed) {
  EXPECT_EQ(only("add   sub dir/my file.led \t ").action->text, "sub dir/my file.led");
  EXPECT_EQ(only("readmode x\\y #1.vqn").action->text, "x\\y #1.vqn");
}

TEST(ScriptParsing, TypedTextsArePassedAsWritten) {
  EXPECT_EQ(only("speed 1x2").action->text, "1x2");
  EXPECT_EQ(only("speed").action->text, "");
  EXPECT_EQ(only("brightness 007").action->verb, ScriptVerb::kBrightness);
  const ScriptAction mode = *only("mode 3 1 x").action;
  EXPECT_EQ(mode.number, 3);
  EXPECT_EQ(mode.text, "1");
  EXPECT_EQ(mode.text2, "x");
}

TEST(ScriptParsing, ArgumentsOfTheOtherActions) {
  EXPECT_EQ(only("select 3").action->number, 3);
  const ScriptAction two = *only("twoports 20 off").action;
  EXPECT_EQ(two.number, 20);
  EXPECT_FALSE(two.on);
  EXPECT_TRUE(only("language zh").action->on);
  EXPECT_TRUE(only("multimode on").action->on);
  EXPECT_EQ(only("modes 80").action->number, 80);
  EXPECT_EQ(only("output z71rgbw").action->model, OutputKind::kZ71Rgbw);
  EXPECT_EQ(only("output j9").action->model, OutputKind::kJ9);
  EXPECT_EQ(only("savemode").action->verb, ScriptVerb::kSaveMode);
}

TEST(ScriptParsing, MalformedLinesCarryAnError) {
  for (const char* bad : {"frobnicate 1", "add", "select", "select x", "select -1", "twoports 0 on", "twoports 21 on",
                          "twoports 1 yes", "modes 0", "modes 81", "mode 1 1", "mode 1 1 2 3", "mode x 1 2",
                          "output z99", "output", "delete now", "savemode 1", "language fr", "multimode",
                          "Add a.led", "select 99999999999"}) {
    const ScriptLine line = only(bad);
    EXPECT_FALSE(line.action) << bad;
    EXPECT_FALSE(line.error.empty()) << bad;
  }
}

}  // namespace
}  // namespace led2vqn
