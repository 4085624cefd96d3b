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

}  // namespace
}  // namespace led2vqn
