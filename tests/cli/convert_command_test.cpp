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
    program("c.led", 3, 1);
    dir.write("bad.led", std::vector<uint8_t>(600, 7));
  }
  void program(const std::string& name, int ports, int frames) {
    samples::ProgramSpec shape;
    shape.frameLength = 1536, shape.ports = ports, shape.frames = frames;
    dir.write(name, samples::programBytes(samples::nibbleTable(9), shape));
  }
  int status(const std::string& args) { return runCli(dir.path(), "convert --settings Gcode.sdc " + args).status; }
};

TEST_F(ConvertCommandTest, CompletionOnlyExitsZero) {
  const testing::CliResult r =
      runCli(dir.path(), "convert --settings Gcode.sdc --model z71rgb --two-ports 1 --speed 30 a.led b.led");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Data conversion complete!\n");
  EXPECT_TRUE(fileExists(dir.file("a_2P_Z71RGB_10K.vqn")));
  EXPECT_TRUE(fileExists(dir.file("b_1P_Z71RGB_10K.vqn")));
  EXPECT_NE(testing::slurp(dir.file("Readme.txt")).find("Speed:30fps"), std::string::npos);
}

TEST_F(ConvertCommandTest, UsageErrorsExitTwoWritingNothingAnyOtherMessageOne) {
  const std::pair<const char*, int> cases[] = {
      {"--model z71rgb missing.led", 2}, {"--model z99 b.led", 2}, {"b.led", 2},
      {"--model z58 --two-ports 1 b.led", 2},  // the box of a 1-port row is disabled
      {"--model z58 --two-ports 21 a.led", 2}, {"--model z58 --mode 5 b.led", 2},
      {"--model z36 c.led b.led", 1},                 // 3 ports: no layout
      {"--model j9 --mode 1-2 --mode 2-9 b.led", 1},  // a range past the frames
      {"--model z6 bad.led", 1},                      // nothing accepted: nothing to convert
  };
  for (const auto& [args, expected] : cases) {
    EXPECT_EQ(status(args), expected) << args;
    if (expected == 2) {
      EXPECT_EQ(dir.names().size(), 5u) << args;
    }
  }
}

TEST_F(ConvertCommandTest, InfoPrintsWhatTheReaderDerives) {
  const testing::CliResult r = runCli(dir.path(), "info --settings Gcode.sdc a.led bad.led");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "a.led: 3 frames, 4 ports, 512 pixels, frame length 1536\nbad.led: File type error!!\n");
}

}  // namespace
}  // namespace led2vqn
