#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cli/cli_runner.hpp"
#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using testing::runCli;

class ConvertCommandTest : public support::TempDirTest {
 protected:
  ConvertCommandTest() {
    dir.write("Gcode.sdc", samples::settingsBytes(9));
    program("a.led", 4, 3);
    program("b.led", 1, 2);
    program("c.led", 3, 1);
    dir.write("bad.led", std::vector<uint8_t>(600, 7));
  }
  void program(const std::string& name, int ports, int frames) {
    samples::ProgramSpec shape;
    shape.frameLength = 1536, shape.ports = ports, shape.frames = frames;
    dir.write(name, samples::programBytes(samples::nibbleTable(9), shape));
  }
};

TEST_F(ConvertCommandTest, CompletionOnlyExitsZero) {
  const testing::CliResult r =
      runCli(dir.path(), "convert --settings Gcode.sdc --model Z71RGB --two-ports 1 --speed 30 a.led b.led");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Data conversion complete!\n");
  EXPECT_TRUE(fileExists(dir.file("a_2P_Z71RGB_10K.vqn")));
  EXPECT_TRUE(fileExists(dir.file("b_1P_Z71RGB_10K.vqn")));
  EXPECT_NE(testing::slurp(dir.file("Readme.txt")).find("Speed:30fps"), std::string::npos);
}

// Every value the window's fields would change, every option that would
// swallow a file, every file given twice: a usage error naming the value,
// with nothing written. The rest runs and tells its outcome in the status.
TEST_F(ConvertCommandTest, OptionValuesAreTakenAsGivenOrRefused) {
  ::mkdir(dir.file("out").c_str(), 0777);
  ::mkdir(dir.file("x").c_str(), 0777);
  const std::string seventeen = [] {
    std::string s;
    for (int i = 0; i < 17; ++i) s += " a.led";
    return s;
  }();
  struct Case {
    std::string args;
    int status;
    std::string err;  // a part of standard error
  };
  const Case cases[] = {
      {"--model z71rgb --speed 2.5 a.led", 2, "--speed \"2.5\""},
      {"--model z71rgb --speed fast a.led", 2, "from 1 to 100"},
      {"--model z71rgb --speed 0 a.led", 2, "--speed \"0\""},
      {"--model z71rgb --speed 07 a.led", 2, "--speed \"07\""},
      {"--model z71rgb --brightness 300 a.led", 2, "--brightness \"300\""},
      {"--model z71rgb --brightness -5 a.led", 2, "--brightness"},
      {"--model z71rgb --brightness abc a.led", 2, "--brightness \"abc\""},
      {"--model z71rgb --mode a-b a.led", 2, "--mode \"a-b\""},
      {"--model z71rgb --mode 0-2 a.led", 2, "START-END"},
      {"--model z58 --two-ports 1 b.led", 2, "row 1 is not enabled"},
      {"--model z58 --two-ports 13 a.led", 2, "--two-ports \"13\""},
      {"--model z99 b.led", 2, "--model \"z99\""},
      {"--model z71rgb missing.led", 2, "missing.led"},
      {"--model z71rgb x", 2, "x: cannot be read"},  // a folder
      {"--model z71rgb" + seventeen, 2, "at most 16"},
      {"--model z71rgb a.led ./a.led", 2, "same file"},
      {"--model z71rgb x/../a.led a.led", 2, "same file"},
      {"--model z71rgb --settings Gcode.sdc a.led", 2, "--settings"},  // one value per option
      {"--model z71rgb --output-dir nowhere a.led", 2, "nowhere"},
      {"--model z6 --output-dir out a.led x/../b.led", 0, ""},
      {"--model J9 --mode 1-2 --mode 2-1 b.led a.led", 0, ""},  // options take one value each
      {"--model z.6.3 c.led", 2, "z.6.3"},
      {"--model Z6.3 --two-ports 1 a.led b.led", 0, ""},
      {"--model z36 c.led b.led", 1, "c.led: 3 ports"},  // no layout
      {"--model j9 --mode 1-2 --mode 2-9 b.led", 1, "mode 2 (2 to 9)"},
      {"--model z6 bad.led", 1, "bad.led: not a program file"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> before = dir.names();
    const testing::CliResult r = runCli(dir.path(), "convert --settings Gcode.sdc " + c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
    if (c.status == 2) {
      EXPECT_EQ(r.out, "") << c.args;
      EXPECT_EQ(dir.names(), before) << c.args;
      EXPECT_EQ(r.err.rfind("led2vqn: ", 0), 0u) << r.err;
    }
  }
  const testing::CliResult r = runCli(dir.path(), "convert --model z71rgb --settings none.sdc a.led");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--settings none.sdc: no such file"), std::string::npos) << r.err;
  EXPECT_FALSE(fileExists(dir.file("none.sdc")));
  EXPECT_TRUE(fileExists(dir.file("out/a_4P_Z6.vqn")));
  EXPECT_TRUE(fileExists(dir.file("out/b_1P_Z6.vqn")));
  EXPECT_TRUE(fileExists(dir.file("out/Readme.txt")));
  EXPECT_FALSE(fileExists(dir.file("a_4P_Z6.vqn")));
}

TEST_F(ConvertCommandTest, InfoPrintsWhatTheReaderDerives) {
  testing::CliResult r = runCli(dir.path(), "info --settings Gcode.sdc a.led bad.led");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "a.led: 3 frames, 4 ports, 512 pixels, frame length 1536\nbad.led: File type error!!\n");
  r = runCli(dir.path(), "info --settings Gcode.sdc --json a.led bad.led");
  EXPECT_EQ(r.out.substr(0, 18), "[{\"path\":\"a.led\",\"");
  EXPECT_EQ(r.out.substr(r.out.size() - 3), "}]\n");
}

}  // namespace
}  // namespace led2vqn
