#include <gtest/gtest.h>

#include <sys/stat.h>

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
  EXPECT_NE(r.err.find("the \"2 ports\" box of row 2 is disabled"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("a.led: already in the list"), std::string::npos) << r.err;
}

// Message boxes never change run's status; an error line makes it 1; a
// script that cannot be had or cannot run to its end, 2. Nothing aborts.
TEST_F(RunCommandTest, ExitStatusesTellHowItEnded) {
  ::mkdir(dir.file("folder").c_str(), 0777);
  dir.write("latin1.run", {'a', 'd', 'd', ' ', 0xE9, '\n'});
  dir.write("photo.vqn", samples::settingsBytes(5));
  dir.write("ok.run", {'a', 'd', 'd', ' ', 'a', '.', 'l', 'e', 'd', '\n'});
  const std::pair<std::string, int> scripts[] = {
      {"add missing.led\nadd a.led\n", 0},          // a message box only
      {"add a.led\nmultimode on\nmode 1 1 x\n", 1},  // '' is not a valid integer value
      {"add a.led\noutput Z2.8\n", 0},
      {"add a.led\nfrobnicate\n", 2},
  };
  for (const auto& [script, status] : scripts) EXPECT_EQ(run(script).status, status) << script;
  const std::pair<std::string, int> commands[] = {
      {"run nothing.run --settings Gcode.sdc", 2},
      {"run folder --settings Gcode.sdc", 2},
      {"run latin1.run --settings Gcode.sdc", 2},
      {"run ok.run --settings folder", 1},  // the settings file cannot be read: an error line
      {"frobnicate", 2},
      {"info --settings folder a.led", 2},
      {"inspect a.led", 1},
      {"--version", 0},
      {"--help", 0},
  };
  for (const auto& [args, status] : commands) {
    const testing::CliResult r = runCli(dir.path(), args);
    EXPECT_EQ(r.status, status) << args << "\n" << r.err;
    if (status == 2) {
      EXPECT_EQ(r.err.rfind("led2vqn: ", 0), 0u) << args << "\n" << r.err;
    }
  }
  EXPECT_EQ(runCli(dir.path(), "inspect a.led photo.vqn").out,
            "a.led: not a card file (it starts like a program file: use `led2vqn info`)\nphoto.vqn: not a card file\n");
  EXPECT_EQ(runCli(dir.path(), "--version").out, "led2vqn 1.0.0\n");
  const std::string help = runCli(dir.path(), "convert --help").out;
  EXPECT_NE(help.find("j9        Output Z2.8 (10K)     _NP_J9_10K.vqn"), std::string::npos) << help;
}

}  // namespace
}  // namespace led2vqn
