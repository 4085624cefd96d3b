#include "app/window_model.hpp"

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

using Fields = testing::ModelTest;

TEST_F(Fields, PastedTextThatIsNoIntegerStaysAndIsReported) {
  start();
  model.setFieldText(ControlId::kSpeedField, "2.5");
  model.speedFieldLeft();
  EXPECT_EQ(model.controls()[ControlId::kSpeedField].text, "2.5");
  EXPECT_EQ(port.errors, std::vector<std::string>{"'2.5' is not a valid integer value"});
}

using Batch = testing::ModelTest;

// The bar counts tens of frames and stands full when a row's card is done.
TEST_F(Batch, TheProgressBarEndsFullForEachRow) {
  start();
  for (const int32_t frames : {100, 37}) {
    samples::ProgramSpec shape;
    shape.frames = frames;
    const std::string name = "p" + std::to_string(frames) + ".led";
    dir.write(name, samples::programBytes(samples::nibbleTable(testing::kTableSeed), shape));
    model.addProgramFile(dir.file(name));
  }
  model.outputZ58Clicked();
  std::vector<std::pair<int32_t, int32_t>> ends;  // (position, max) as each row ends
  for (int tick = 0; tick < 10 && model.timerEnabled(); ++tick) {
    model.timerTick();
    ends.emplace_back(model.progressPosition(), model.progressMax());
  }
  ASSERT_GE(ends.size(), 2U);
  EXPECT_EQ(ends[0], std::make_pair(10, 10));
  EXPECT_EQ(ends[1], std::make_pair(3, 3));
  model.rowSelected(1);
  model.deleteRowClicked();  // the bar empties
  EXPECT_EQ(model.progressPosition(), 0);
}

}  // namespace
}  // namespace led2vqn
