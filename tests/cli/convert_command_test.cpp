#include <gtest/gtest.h>

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
  }

  void program(const std::string& name, int ports, int frames) {
    samples::ProgramSpec spec;
    spec.ports = ports;
    spec.frames = frames;
    spec.frameLength = 1536;
    dir.write(name, samples::programBytes(samples::nibbleTable(9), spec));
  }

  testing::CliResult convert(const std::string& args) {
    return runCli(dir.path(), "convert --settings Gcode.sdc " + args);
  }
};

TEST_F(ConvertCommandTest, CompletionOnlyExitsZero) {
  const testing::CliResult r = convert("--model z71rgb --two-ports 1 --speed 30 a.led b.led");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Data conversion complete!\n");
  EXPECT_TRUE(fileExists(dir.file("a_2P_Z71RGB_10K.vqn")));
  EXPECT_TRUE(fileExists(dir.file("b_1P_Z71RGB_10K.vqn")));
  EXPECT_NE(testing::slurp(dir.file("Readme.txt")).find("Speed:30fps"), std::string::npos);
}

TEST_F(ConvertCommandTest, AnyOtherMessageExitsOne) {
  program("c.led", 3, 1);
  EXPECT_EQ(convert("--model z36 c.led b.led").status, 1);  // 3 ports: no layout
  const testing::CliResult modes = convert("--model j9 --mode 1-2 --mode 2-9 b.led");
  EXPECT_EQ(modes.status, 1);
  EXPECT_EQ(modes.out, "The number of Frame is error!!\nData conversion complete!\n");
  dir.write("bad.led", std::vector<uint8_t>(600, 7));
  EXPECT_EQ(convert("--model z6 bad.led").status, 1);  // nothing accepted: nothing to convert
}

TEST_F(ConvertCommandTest, UsageErrorsExitTwo) {
  EXPECT_EQ(convert("--model z71rgb missing.led").status, 2);
  EXPECT_EQ(convert("--model z99 b.led").status, 2);
  EXPECT_EQ(convert("b.led").status, 2);                               // no model
  EXPECT_EQ(convert("--model z58 --two-ports 1 b.led").status, 2);     // box of a 1-port row is disabled
  EXPECT_EQ(convert("--model z58 --two-ports 21 a.led").status, 2);
  EXPECT_EQ(convert("--model z58 --mode 5 b.led").status, 2);
  EXPECT_FALSE(fileExists(dir.file("Readme.txt")));
}

TEST_F(ConvertCommandTest, InfoPrintsWhatTheReaderDerives) {
  dir.write("bad.led", std::vector<uint8_t>(600, 7));
  const testing::CliResult r = runCli(dir.path(), "info --settings Gcode.sdc a.led bad.led");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "a.led: 3 frames, 4 ports, 512 pixels, frame length 1536\nbad.led: File type error!!\n");
  const testing::CliResult j = runCli(dir.path(), "info --json --settings Gcode.sdc a.led");
  EXPECT_EQ(j.status, 0);
  EXPECT_EQ(j.out, "{\"file\":\"a.led\",\"accepted\":true,\"frames\":3,\"ports\":4,\"pixels\":512,\"frameLength\":1536}\n");
}

}  // namespace
}  // namespace led2vqn
