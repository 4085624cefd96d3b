#include "project/batch_driver.hpp"

#include <filesystem>

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using Strings = std::vector<std::string>;
using BatchRun = testing::ModelTest;

TEST_F(BatchRun, OfTwoFilesWritesTwoCardsAndAReadmeInRowOnesFolderAndTheNextBatchDiffers) {
  start();
  std::filesystem::create_directory(dir.file("sub"));
  add(program("sub/a.led", 2));
  add(program("b.led", 1));
  model.outputClicked(OutputKind::kZ71Rgb);
  EXPECT_FALSE(control(C::kAddButton).enabled);
  model.timerTick();
  EXPECT_EQ(model.table().selectedRow(), 1);
  EXPECT_TRUE(fileExists(dir.file("sub/a_2P_Z71RGB_10K.vqn")));
  EXPECT_FALSE(fileExists(dir.file("b_1P_Z71RGB_10K.vqn")));
  output(OutputKind::kZ71Rgb);
  EXPECT_EQ(port.messages, Strings{"Data conversion complete!"});
  EXPECT_EQ(dir.names(), (Strings{"Gcode.sdc", "b.led", "b_1P_Z71RGB_10K.vqn", "sub"}));
  EXPECT_TRUE(fileExists(dir.file("sub/Readme.txt")));
  EXPECT_TRUE(control(C::kAddButton).enabled);
  EXPECT_EQ(model.table().selectedRow(), 2);

  const std::vector<uint8_t> first = support::readBytes(dir.file("b_1P_Z71RGB_10K.vqn"));
  output(OutputKind::kZ71Rgb);  // the generator goes on
  EXPECT_NE(support::readBytes(dir.file("b_1P_Z71RGB_10K.vqn")), first);
}

// A batch with a writer that records its calls and answers as told.
class BatchTest : public testing::ModelTest {
 protected:
  BatchTest() {
    model.setCardWriter([this](EngineState&, OutputKind, int row, ConversionHost& host) {
      calls.push_back(row);
      WriteResult r;
      r.kind = row <= int(answers.size()) ? answers[std::size_t(row - 1)] : WriteResult::Kind::kWritten;
      r.error = "Cannot read " + host.rowCells(row).path;
      return r;
    });
    start();
  }
  std::vector<int> calls;
  std::vector<WriteResult::Kind> answers;  // per row; kWritten beyond
};

TEST_F(BatchTest, MultiModeRefusesBeforeTheStartAndLeavesTheButtons) {
  add(program("a.led", 1, 5));
  add(program("b.led", 1, 4));  // row 1 sets the frame limit: 5
  model.multiModeClicked();
  const uint32_t seedBefore = model.engine().rng.seed();
  output(OutputKind::kZ36);
  EXPECT_EQ(port.messages, Strings{"The number of Frames is error，Output failure！！"});
  EXPECT_TRUE(calls.empty());
  EXPECT_NE(model.engine().rng.seed(), seedBefore);  // the filler was laid all the same
  EXPECT_TRUE(control(C::kOutputZ36Button).enabled);
  EXPECT_FALSE(fileExists(dir.file("Readme.txt")));
}

TEST_F(BatchTest, RowsRefusedGoOnAFailureEndsTheBatchWithoutReadme) {
  add(program("a.led", 3));
  add(program("b.led", 1));
  add(program("c.led", 1));
  answers = {WriteResult::Kind::kPortsWithoutLayout, WriteResult::Kind::kModeFrames};
  output(OutputKind::kZ58);
  EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(port.messages,
            (Strings{dir.file("a.led") + ": this card takes 1, 2, 4 or 8 ports (\"2 ports\" converts two of them)!!",
                     "The number of Frames is error，Output failure！！", "Data conversion complete!"}));
  ASSERT_TRUE(std::filesystem::remove(dir.file("Readme.txt")));

  calls.clear();
  port.messages.clear();
  answers = {WriteResult::Kind::kWritten, WriteResult::Kind::kFailed};
  output(OutputKind::kJ9);
  EXPECT_EQ(calls, (std::vector<int>{1, 2}));
  EXPECT_FALSE(model.timerEnabled());
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(port.errors, Strings{"Cannot read " + dir.file("b.led")});
  EXPECT_TRUE(control(C::kAddButton).enabled && control(C::kOutputJ9Button).enabled);
  EXPECT_FALSE(fileExists(dir.file("Readme.txt")));
}

}  // namespace
}  // namespace led2vqn
