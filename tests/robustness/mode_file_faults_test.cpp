// Read mode and Save mode on cards that cannot be read or written, that the
// file size limit cuts, or that became something other than a file between
// Read and Save. Every case shows one report, leaves the window's mode state
// as it was and the card byte for byte as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "child_process.hpp"
#include "modes/mode_file.hpp"
#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "support/temp_dir.hpp"
#include "window_outcome.hpp"

namespace led2vqn {
namespace {

using robustness::ChildOptions;
using robustness::ChildRun;
using robustness::listing;
using robustness::WindowOutcome;
using support::readBytes;

class ModeFileFaults : public testing::ModelTest {
 protected:
  // The folder may have been made read-only for its owner too: open it again
  // so that it can be removed.
  void TearDown() override { ::chmod(dir.path().c_str(), 0700); }

  // A Z71 RGB card of a 30-frame file, stored as a mode file ("KWD", check
  // bytes recomputed) that everyone may read and nobody but its owner write.
  void SetUp() override {
    start();
    const std::string led = program("show.led", 4, 30, 3072);
    add(led);
    robustness::runBatch(model, OutputKind::kZ71Rgb);
    std::vector<uint8_t> bytes = readBytes(dir.file("show_4P_Z71RGB_10K.vqn"));
    bytes[2] = 'D';
    setCheckBytes(bytes.data(), kSectorBytes);
    card = dir.write("modes.vqn", bytes);
    ASSERT_EQ(::chmod(card.c_str(), 0644), 0);
    model.multiModeClicked();
    port.messages.clear();
  }

  // What Read and Save mode may change in the window.
  std::string state() const {
    const ModeState& m = model.modeState();
    std::string s = decimal(m.count) + " " + decimal(m.frameLimit) + " " + m.path + " " +
                    control(ControlId::kSpeedField).text + " " + control(ControlId::kBrightnessField).text + " " +
                    (control(ControlId::kSaveModeButton).enabled ? "save on" : "save off");
    for (int i = 0; i < m.count; ++i) {
      const ModeRow& r = m.table[static_cast<std::size_t>(i)];
      s += " " + decimal(r.start) + "-" + decimal(r.end) + "/" + decimal(r.flag);
    }
    return s;
  }

  // Runs `operation` in a child with `options`; its outcome and the state after it.
  ChildRun inChild(const ChildOptions& options, void (*operation)(WindowModel&, const std::string&)) {
    return robustness::runInChild(options, [&] {
      operation(model, card);
      WindowOutcome o = robustness::outcomeOf(model, port);
      o.notes = {state()};
      return o.encode();
    });
  }

  void expectOneErrorAndNoChange(const ChildRun& run, const std::string& before, const std::vector<uint8_t>& bytes,
                                 const std::string& reason) {
    ASSERT_TRUE(run.completed) << run.output;
    const WindowOutcome o = WindowOutcome::decode(run.output);
    EXPECT_TRUE(o.messages.empty()) << o;
    ASSERT_EQ(o.errors.size(), 1u) << o;
    EXPECT_NE(o.errors[0].find(card), std::string::npos) << o;
    EXPECT_NE(o.errors[0].find(reason), std::string::npos) << o;
    EXPECT_EQ(o.notes, std::vector<std::string>{before});
    EXPECT_EQ(readBytes(card), bytes);
  }

  std::string card;
};

void saveMode(WindowModel& w, const std::string&) { w.saveModeClicked(); }

TEST_F(ModeFileFaults, SaveModeOnACardThatMayNotBeWrittenChangesNothing) {
  model.readModeFile(card);
  ASSERT_TRUE(port.messages.empty() && port.errors.empty());
  const std::string before = state();
  const auto bytes = readBytes(card);
  ASSERT_EQ(::chmod(card.c_str(), 0444), 0);
  ASSERT_TRUE(robustness::openFolder(dir.path(), false));

  ChildOptions options;
  options.unprivileged = true;
  options.mustNotBeWritable = {card};
  const ChildRun run = inChild(options, saveMode);
  if (run.skipped) GTEST_SKIP() << "needs a process that may not write a file of mode 0444: " << *run.skipped;
  expectOneErrorAndNoChange(run, before, bytes, std::strerror(EACCES));
}

TEST_F(ModeFileFaults, ReadModeOnACardThatMayNotBeReadChangesNothing) {
  const std::string before = state();
  const auto bytes = readBytes(card);
  ASSERT_EQ(::chmod(card.c_str(), robustness::kUnreadable), 0);
  ASSERT_TRUE(robustness::openFolder(dir.path(), false));

  ChildOptions options;
  options.unprivileged = true;
  options.mustNotBeWritable = {dir.path()};
  const ChildRun run = robustness::runInChild(options, [&] {
    if (::access(card.c_str(), R_OK) == 0) return std::string("S the child may read a file of mode 0000\n");
    model.readModeFile(card);
    WindowOutcome o = robustness::outcomeOf(model, port);
    o.notes = {state()};
    return o.encode();
  });
  if (run.skipped) GTEST_SKIP() << "needs a process that may not read a file of mode 0000: " << *run.skipped;
  if (run.output.rfind("S ", 0) == 0) GTEST_SKIP() << run.output.substr(2);
  ASSERT_EQ(::chmod(card.c_str(), 0644), 0);  // for the comparison by any user
  expectOneErrorAndNoChange(run, before, bytes, std::strerror(EACCES));
}

// The limit lets only part of the 512 header bytes through: the part written
// is put back, and the card keeps its old header.
TEST_F(ModeFileFaults, SaveModeCutByTheFileSizeLimitPutsTheHeaderBack) {
  model.readModeFile(card);
  const std::string before = state();
  const auto bytes = readBytes(card);

  ChildOptions options;
  options.fileSizeLimit = 100;
  const ChildRun run = inChild(options, saveMode);
  if (run.skipped) GTEST_SKIP() << "needs a file size limit: " << *run.skipped;
  expectOneErrorAndNoChange(run, before, bytes, "100 of 512");
}

TEST_F(ModeFileFaults, CardReplacedByAPipeIsAnInputErrorNotAWait) {
  model.readModeFile(card);
  const std::string before = state();
  ASSERT_EQ(::unlink(card.c_str()), 0);
  ASSERT_EQ(::mkfifo(card.c_str(), 0644), 0);

  model.saveModeClicked();
  model.readModeFile(card);
  EXPECT_TRUE(port.messages.empty());
  ASSERT_EQ(port.errors.size(), 2u);
  for (const std::string& e : port.errors) EXPECT_NE(e.find(card), std::string::npos) << e;
  EXPECT_EQ(state(), before);
  EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"Gcode.sdc", "Readme.txt", "modes.vqn", "show.led",
                                                           "show_4P_Z71RGB_10K.vqn"}));
}

}  // namespace
}  // namespace led2vqn
