#include "project/batch_driver.hpp"

#include <filesystem>

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;

// A batch with a writer that records its calls and answers as told.
class BatchTest : public testing::ModelTest {
 protected:
  BatchTest() {
    model.setCardWriter([this](EngineState&, OutputKind kind, int row, ConversionHost& host) {
      calls.push_back({kind, row, host.rowCells(row).path});
      WriteResult r;
      r.kind = row < static_cast<int>(answers.size()) + 1 ? answers[static_cast<std::size_t>(row - 1)]
                                                          : WriteResult::Kind::kWritten;
      r.error = "Cannot read " + host.rowCells(row).path;
      return r;
    });
  }

  void runBatch(OutputKind kind) {
    model.outputClick(kind);
    for (int ticks = 0; model.timerEnabled() && ticks < 100; ++ticks) model.Timer1Timer();
  }

  struct Call {
    OutputKind kind;
    int row;
    std::string path;
  };
  std::vector<Call> calls;
  std::vector<WriteResult::Kind> answers;  // per row; kWritten beyond
};

TEST_F(BatchTest, TwoFilesTwoWriterCallsAndAReadmeInRowOnesFolder) {
  start();
  std::filesystem::create_directory(dir.file("sub"));
  const std::string a = program("sub/a.led", 2);
  add(a);
  add(program("b.led", 1));
  model.outputClick(OutputKind::kZ71Rgb);
  EXPECT_FALSE(control(C::kADDBT).enabled);
  EXPECT_FALSE(control(C::kOUTZ36).enabled);
  EXPECT_TRUE(model.timerEnabled());
  model.Timer1Timer();
  EXPECT_EQ(model.table().selectedRow(), 1);
  model.Timer1Timer();
  EXPECT_TRUE(model.timerEnabled());
  model.Timer1Timer();
  EXPECT_FALSE(model.timerEnabled());
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].row, 1);
  EXPECT_EQ(calls[1].row, 2);
  EXPECT_EQ(calls[1].path, dir.file("b.led"));
  EXPECT_EQ(port.messages, std::vector<std::string>{"Data conversion complete!"});
  EXPECT_TRUE(fileExists(dir.file("sub/Readme.txt")));
  EXPECT_FALSE(fileExists(dir.file("Readme.txt")));
  EXPECT_TRUE(control(C::kADDBT).enabled);
  EXPECT_EQ(model.table().selectedRow(), 2);
}

TEST_F(BatchTest, MultiModeRefusesBeforeTheStartAndLeavesTheButtons) {
  start();
  add(program("a.led", 1, 5));
  add(program("b.led", 1, 4));  // row 1 sets the frame limit: 5
  model.ChkB2Click();
  const uint32_t seedBefore = model.engine().rng.seed();
  runBatch(OutputKind::kZ36);
  EXPECT_EQ(port.messages, std::vector<std::string>{"The number of Frames is error，Output failure！！"});
  EXPECT_TRUE(calls.empty());
  EXPECT_NE(model.engine().rng.seed(), seedBefore);  // the filler was laid all the same
  EXPECT_EQ(model.outputKind(), OutputKind::kZ36);
  EXPECT_TRUE(control(C::kOUTZ36).enabled);
  EXPECT_FALSE(fileExists(dir.file("Readme.txt")));
}

TEST_F(BatchTest, RowsRefusedByTheWriterShowTheirMessageAndTheBatchGoesOn) {
  start();
  add(program("a.led", 3));
  add(program("b.led", 1));
  add(program("c.led", 1));
  answers = {WriteResult::Kind::kPortsWithoutLayout, WriteResult::Kind::kModeFrames};
  runBatch(OutputKind::kZ58);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(port.messages, (std::vector<std::string>{
                               dir.file("a.led") + ": this card takes 1, 2, 4 or 8 ports (\"2 ports\" converts two of them)!!",
                               "The number of Frames is error，Output failure！！", "Data conversion complete!"}));
  EXPECT_TRUE(fileExists(dir.file("Readme.txt")));
}

TEST_F(BatchTest, FailureMidBatchEndsItUnlocksTheButtonsAndWritesNoReadme) {
  start();
  add(program("a.led", 1));
  add(program("b.led", 1));
  add(program("c.led", 1));
  answers = {WriteResult::Kind::kWritten, WriteResult::Kind::kFailed};
  runBatch(OutputKind::kJ9);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_FALSE(model.timerEnabled());
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(port.errors, std::vector<std::string>{"Cannot read " + dir.file("b.led")});
  EXPECT_TRUE(control(C::kADDBT).enabled);
  EXPECT_TRUE(control(C::kOUTPUTBT4).enabled);
  EXPECT_FALSE(fileExists(dir.file("Readme.txt")));
}

TEST_F(BatchTest, RgbwConvertsTwoFilesInOneTickAndRefusesThree) {
  start();
  add(program("a.led", 4));
  add(program("b.led", 4));
  runBatch(OutputKind::kZ71Rgbw);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].row, 1);
  add(program("c.led", 4));
  calls.clear();
  port.messages.clear();
  runBatch(OutputKind::kZ71Rgbw);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(port.messages, std::vector<std::string>{"The number of files is over 2,error！！!"});
  EXPECT_TRUE(control(C::kOUTRGBW).enabled);  // the table can be put right and converted again
}

TEST_F(BatchTest, ReadmeFailureIsShownInsteadOfTheCompletionMessage) {
  start();
  std::filesystem::create_directory(dir.file("gone"));
  add(program("gone/a.led", 1));
  std::filesystem::remove_all(dir.file("gone"));  // the fake writer does not read it
  runBatch(OutputKind::kZ6);
  EXPECT_FALSE(model.timerEnabled());
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(port.errors.size(), 1u);
  EXPECT_TRUE(control(C::kADDBT).enabled);
}

}  // namespace
}  // namespace led2vqn
