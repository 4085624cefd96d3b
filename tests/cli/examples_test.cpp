// The example files under examples/ are made by the sample generator; this
// test keeps them so. LED2VQN_WRITE_EXAMPLES=1 writes them afresh.
#include <cstdlib>

#include <gtest/gtest.h>

#include "cli/cli_runner.hpp"
#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

constexpr uint64_t kExampleSeed = 2020;

TEST(Examples, CommittedFilesAreWhatTheGeneratorMakes) {
  // spring: 4 ports of 256 pixels, a ramp running through 24 frames;
  // autumn: 2 ports of 256 pixels, 16 frames of noise and a partial frame.
  samples::ProgramSpec spring, autumn;
  spring.frameLength = 3072, spring.ports = 4, spring.frames = 24, spring.seed = kExampleSeed;
  spring.pattern = samples::Pattern::kRamp;
  autumn.frameLength = 1536, autumn.ports = 2, autumn.frames = 16, autumn.seed = kExampleSeed + 1;
  autumn.partial = 100;
  const NibbleTable table = samples::nibbleTable(kExampleSeed);
  const std::pair<const char*, std::vector<uint8_t>> examples[] = {
      {"Gcode.sdc", samples::settingsBytes(kExampleSeed)},
      {"spring.led", samples::programBytes(table, spring)},
      {"autumn.led", samples::programBytes(table, autumn)},
  };
  const std::string folder = LED2VQN_SOURCE_DIR "/examples/";
  const char* write = std::getenv("LED2VQN_WRITE_EXAMPLES");
  for (const auto& [name, bytes] : examples) {
    if (write && std::string(write) == "1") samples::writeFile(folder + name, bytes);
    EXPECT_EQ(support::readBytes(folder + name), bytes) << name;
  }
}

}  // namespace
}  // namespace led2vqn

namespace led2vqn {
namespace {

// The README's example script is examples/show.run, word for word, and it
// converts the bundled examples with nothing but the completion message.
TEST(Examples, ReadmeScriptRunsOnTheExamples) {
  const std::string examples = LED2VQN_SOURCE_DIR "/examples/";
  const std::vector<uint8_t> script = support::readBytes(examples + "show.run");
  const std::vector<uint8_t> readme = support::readBytes(LED2VQN_SOURCE_DIR "/README.md");
  EXPECT_NE(std::string(readme.begin(), readme.end()).find(std::string(script.begin(), script.end())), std::string::npos);
  support::TempDir dir;
  for (const char* name : {"Gcode.sdc", "spring.led", "autumn.led", "show.run"}) {
    dir.write(name, support::readBytes(examples + name));
  }
  const testing::CliResult r = testing::runCli(dir.path(), "run show.run --settings Gcode.sdc");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Data conversion complete!\n");
  EXPECT_TRUE(fileExists(dir.file("autumn_2P_Z71RGB_10K.vqn")));
  EXPECT_TRUE(fileExists(dir.file("spring_2P_Z71RGB_10K.vqn")));
}

}  // namespace
}  // namespace led2vqn
