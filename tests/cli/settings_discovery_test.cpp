// Which settings file the command line finds, in a copy of the program with
// its own folder and a home folder of its own: never the real ones.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_runner.hpp"
#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

TEST(SettingsDiscovery, FirstThatExistsOfOptionVariableBesideProgramAndPerUser) {
  support::TempDir dir;
  const std::string home = dir.path() + "/.home", perUser = home + "/.config/led2vqn/Gcode.sdc";
  std::filesystem::create_directories(dir.file("bin"));
  std::filesystem::copy_file(LED2VQN_BINARY, dir.file("bin/led2vqn"));
  const std::string program = dir.file("bin/led2vqn");
  const std::vector<uint8_t> shop = samples::settingsBytes(7);
  dir.write("shop.sdc", shop);
  dir.write("given.sdc", shop);
  dir.write("empty.run", {});
  samples::ProgramSpec shape;
  dir.write("a.led", samples::programBytes(samples::nibbleTable(7), shape));
  auto inUse = [&](const std::string& args, const std::string& env = "") {
    const std::string out = testing::runCli(dir.path(), "settings " + args, env, program).out;
    return out.substr(0, out.find('\n'));
  };

  // Nothing anywhere: the per-user file, created empty with its folder by the window's start.
  EXPECT_EQ(inUse(""), "settings file: " + perUser + " (the per-user settings file)");
  EXPECT_FALSE(std::filesystem::exists(perUser));
  EXPECT_EQ(testing::runCli(dir.path(), "run empty.run", "", program).status, 0);
  EXPECT_EQ(std::filesystem::file_size(perUser), 0u);
  EXPECT_EQ(inUse("", "XDG_CONFIG_HOME=" + dir.file("xdg")),
            "settings file: " + dir.file("xdg/led2vqn/Gcode.sdc") + " (the per-user settings file)");
  // An empty file beside the program does not count; a full one does.
  dir.write("bin/Gcode.sdc", {});
  EXPECT_EQ(inUse(""), "settings file: " + perUser + " (the per-user settings file)");
  dir.write("bin/Gcode.sdc", shop);
  EXPECT_EQ(inUse(""), "settings file: " + dir.file("bin/Gcode.sdc") + " (beside the program)");
  EXPECT_EQ(inUse("", "LED2VQN_SETTINGS=" + dir.file("shop.sdc")),
            "settings file: " + dir.file("shop.sdc") + " (named by LED2VQN_SETTINGS)");
  EXPECT_EQ(inUse("", "LED2VQN_SETTINGS=" + dir.file("none.sdc")),
            "settings file: " + dir.file("bin/Gcode.sdc") + " (beside the program)");
  EXPECT_EQ(inUse("--settings given.sdc", "LED2VQN_SETTINGS=" + dir.file("shop.sdc")),
            "settings file: given.sdc (given with --settings)");
  std::filesystem::remove(dir.file("bin/Gcode.sdc"));

  // A shop's file imported once serves every later conversion.
  EXPECT_EQ(testing::runCli(dir.path(), "settings --import shop.sdc", "", program).status, 0);
  EXPECT_EQ(support::readBytes(perUser), shop);
  const testing::CliResult r = testing::runCli(dir.path(), "convert --model z71rgb --quiet a.led", "", program);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

}  // namespace
}  // namespace led2vqn
