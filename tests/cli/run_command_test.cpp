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
    samples::ProgramSpec spec;
    spec.ports = 2;
    spec.frameLength = 1536;
    dir.write("a.led", samples::programBytes(samples::nibbleTable(5), spec));
  }

  testing::CliResult run(const std::string& script) {
    dir.write("s.run", std::vector<uint8_t>(script.begin(), script.end()));
    return runCli(dir.path(), "run s.run --settings Gcode.sdc");
  }
};

TEST_F(RunCommandTest, ScriptClickingADisabledControlExitsTwoNamingTheLine) {
  const testing::CliResult r = run("add a.led\nlanguage zh\nadd a.led\n# comment\ntwoports 1 on\nadd b.led\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "此文件已经添加！！\n");
  EXPECT_NE(r.err.find("line 5"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("CheckBox1"), std::string::npos) << r.err;
}

TEST_F(RunCommandTest, ScriptRunToItsEndExitsZeroWhateverItShowed) {
  const testing::CliResult r = run("add missing.led\nadd a.led\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Open File error！！\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(RunCommandTest, MissingScriptIsAUsageError) {
  EXPECT_EQ(runCli(dir.path(), "run nothing.run --settings Gcode.sdc").status, 2);
}

TEST(CommandLine, VersionAndHelp) {
  support::TempDir dir;
  const testing::CliResult v = runCli(dir.path(), "--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "led2vqn 1.0.0\n");
  const testing::CliResult h = runCli(dir.path(), "--help");
  EXPECT_EQ(h.status, 0);
  EXPECT_NE(h.out.find("convert"), std::string::npos);
  EXPECT_EQ(runCli(dir.path(), "frobnicate").status, 2);
}

}  // namespace
}  // namespace led2vqn
