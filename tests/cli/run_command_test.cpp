#include <gtest/gtest.h>

#include "cli/cli_runner.hpp"
#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using testing::runCli;

class RunCommandTest : public support::TempDirTest {
 protected:
  RunCommandTest() {
    dir.write("Gcode.sdc", samples::settingsBytes(5));
    dir.write("a.led", samples::programBytes(samples::nibbleTable(5), samples::ProgramSpec{}));
  }
  testing::CliResult run(const std::string& script) {
    dir.write("s.run", std::vector<uint8_t>(script.begin(), script.end()));
    return runCli(dir.path(), "run s.run --settings Gcode.sdc");
  }
};

TEST_F(RunCommandTest, ScriptStopsWithStatusTwoOnlyAtALineThatCannotRun) {
  testing::CliResult r = run("add a.led\nlanguage zh\nadd a.led\n# comment\ntwoports 2 on\nadd b.led\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "此文件已经添加！！\n");
  EXPECT_NE(r.err.find("line 5"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("CheckBox2"), std::string::npos) << r.err;
  r = run("add missing.led\nadd a.led\n");  // run to its end: 0, whatever it showed (in the saved language)
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "打开文件错误！！\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(RunCommandTest, UsageErrorsExitTwoVersionAndHelpZero) {
  EXPECT_EQ(runCli(dir.path(), "run nothing.run --settings Gcode.sdc").status, 2);
  EXPECT_EQ(runCli(dir.path(), "frobnicate").status, 2);
  const testing::CliResult v = runCli(dir.path(), "--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "led2vqn 1.0.0\n");
  EXPECT_EQ(runCli(dir.path(), "--help").status, 0);
}

}  // namespace
}  // namespace led2vqn
