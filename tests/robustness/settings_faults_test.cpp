// A settings file that cannot be read or written: the window starts with the
// defaults of a missing file (English, a table of zeros) and says why; adding
// a file then gets the frame-length message; a language change that cannot
// be saved is reported and changes nothing in the file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "child_process.hpp"
#include "support/temp_dir.hpp"
#include "window_outcome.hpp"

namespace led2vqn {
namespace {

using robustness::ChildOptions;
using robustness::ChildRun;
using robustness::listing;
using robustness::WindowOutcome;
using support::readBytes;

class SettingsFaults : public testing::ModelTest {
 protected:
  // The folder may have been made read-only for its owner too: open it again
  // so that it can be removed.
  void TearDown() override { ::chmod(dir.path().c_str(), 0700); }

  // A Chinese settings file of `mode` and a readable program file, in a
  // folder that an unprivileged child may enter but not write.
  void prepare(mode_t mode) {
    settings = dir.write("Gcode.sdc", samples::settingsBytes(testing::kTableSeed, 1000, 0x31));
    led = program("spring.led", 4);
    oldSettings = readBytes(settings);
    ASSERT_EQ(::chmod(settings.c_str(), mode), 0);
    oldMode = mode;
    ASSERT_EQ(::chmod(led.c_str(), 0644), 0);
    ASSERT_TRUE(robustness::openFolder(dir.path(), false));
    before = listing(dir.path());
  }

  // Starts the window as nobody, adds the program file and clicks a language.
  ChildRun startInChild(bool chinese) {
    ChildOptions options;
    options.unprivileged = true;
    options.mustNotBeWritable = {dir.path()};
    return robustness::runInChild(options, [&] {
      if (oldMode == robustness::kUnreadable && ::access(settings.c_str(), R_OK) == 0) {
        return std::string("S the child may read a file of mode 0000\n");
      }
      if (oldMode == 0444 && ::access(settings.c_str(), W_OK) == 0) {
        return std::string("S the child may write a file of mode 0444\n");
      }
      model.windowCreated(settings);
      const int32_t started = model.languageFlag();
      add(led);
      if (chinese) model.chineseClicked();
      else model.englishClicked();
      WindowOutcome o = robustness::outcomeOf(model, port);
      o.notes = {"started in " + std::to_string(started), "files " + std::to_string(model.table().fileCount()),
                 "now in " + std::to_string(model.languageFlag())};
      return o.encode();
    });
  }

  std::string settings;
  std::string led;
  std::vector<uint8_t> oldSettings;
  std::vector<std::string> before;
  mode_t oldMode = 0;
};

TEST_F(SettingsFaults, UnreadableSettingsFileStartsInEnglishAndSaysSo) {
  prepare(robustness::kUnreadable);
  const ChildRun run = startInChild(true);
  if (run.skipped) GTEST_SKIP() << "needs a process that may not read a file of mode 0000: " << *run.skipped;
  ASSERT_TRUE(run.completed) << run.output;
  if (run.output.rfind("S ", 0) == 0) GTEST_SKIP() << run.output.substr(2);

  const WindowOutcome o = WindowOutcome::decode(run.output);
  ASSERT_EQ(o.errors.size(), 2u) << o;
  for (const std::string& e : o.errors) {  // at start, and when the language is saved
    EXPECT_NE(e.find(settings), std::string::npos) << e;
    EXPECT_NE(e.find(std::strerror(EACCES)), std::string::npos) << e;
  }
  EXPECT_EQ(o.messages, std::vector<std::string>{messageText(Msg::kNoFrameLength, kEnglish)});
  EXPECT_EQ(o.notes, (std::vector<std::string>{"started in 0", "files 0", "now in 10"}));
  ASSERT_EQ(::chmod(settings.c_str(), 0644), 0);  // for the comparison by any user
  EXPECT_EQ(readBytes(settings), oldSettings);
  EXPECT_EQ(listing(dir.path()), before);
}

TEST_F(SettingsFaults, ReadOnlySettingsFileIsReadButTheLanguageIsNotSaved) {
  prepare(0444);
  const ChildRun run = startInChild(false);
  if (run.skipped) GTEST_SKIP() << "needs a process that may not write a file of mode 0444: " << *run.skipped;
  ASSERT_TRUE(run.completed) << run.output;
  if (run.output.rfind("S ", 0) == 0) GTEST_SKIP() << run.output.substr(2);

  const WindowOutcome o = WindowOutcome::decode(run.output);
  EXPECT_TRUE(o.messages.empty()) << o;
  ASSERT_EQ(o.errors.size(), 1u) << o;
  EXPECT_NE(o.errors[0].find(settings), std::string::npos) << o;
  EXPECT_NE(o.errors[0].find(std::strerror(EACCES)), std::string::npos) << o;
  EXPECT_EQ(o.notes, (std::vector<std::string>{"started in 10", "files 1", "now in 0"}));
  EXPECT_EQ(readBytes(settings), oldSettings);
  EXPECT_EQ(listing(dir.path()), before);
}

TEST_F(SettingsFaults, SettingsPathNamingAFolderIsReportedAtStart) {
  std::filesystem::create_directory(dir.file("Gcode.sdc"));
  model.windowCreated(dir.file("Gcode.sdc"));
  ASSERT_EQ(port.errors.size(), 1u);
  EXPECT_NE(port.errors[0].find(std::strerror(EISDIR)), std::string::npos) << port.errors[0];
  EXPECT_EQ(model.languageFlag(), kEnglish);
  EXPECT_EQ(model.nibbleTable(), NibbleTable{});
  EXPECT_EQ(dir.names(), std::vector<std::string>{"Gcode.sdc"});
}

TEST_F(SettingsFaults, SettingsFileThatCannotBeCreatedIsNoError) {
  model.windowCreated(dir.file("no/folder/Gcode.sdc"));
  EXPECT_TRUE(port.errors.empty());
  EXPECT_TRUE(port.messages.empty());
  EXPECT_TRUE(dir.names().empty());
}

}  // namespace
}  // namespace led2vqn
