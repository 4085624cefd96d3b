#include "app/script.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

TEST(ScriptParsing, SkipsBlankAndCommentLinesKeepsLineNumbersAndTakesArgumentsAsWritten) {
  const std::vector<ScriptLine> lines =
      parseScript("\xEF\xBB\xBF# setup\r\n\n  \t\nadd   sub dir/my #1.led \t\r\n   # more\nmode 3 1 x\nspeed");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].number, 4);
  EXPECT_EQ(lines[0].action->text, "sub dir/my #1.led");  // the rest of the line, trimmed
  EXPECT_EQ(lines[1].number, 6);
  EXPECT_EQ(lines[1].action->number, 3);
  EXPECT_EQ(lines[1].action->text + "|" + lines[1].action->text2, "1|x");  // typed texts go through the filter later
  EXPECT_EQ(lines[2].action->verb, ScriptVerb::kSpeed);
  EXPECT_EQ(lines[2].action->text, "");
}

TEST(ScriptParsing, MalformedLinesCarryAnError) {
  for (const char* bad : {"frobnicate 1", "add", "select", "select x", "select -1", "twoports 0 on", "twoports 21 on",
                          "twoports 1 yes", "modes 0", "modes 81", "mode 1 1", "mode 1 1 2 3", "mode x 1 2",
                          "output z99", "output y71rgb", "output", "delete now", "savemode 1", "language fr", "multimode",
                          "Add a.led", "select 99999999999"}) {
    const std::vector<ScriptLine> lines = parseScript(bad);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].action) << bad;
    EXPECT_FALSE(lines[0].error.empty()) << bad;
  }
}

}  // namespace
}  // namespace led2vqn
