#include "base/decimal_text.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

TEST(ParseInteger, OptionalSignAndDigitsWithin32Bits) {
  EXPECT_EQ(parseInteger("007"), 7);
  EXPECT_EQ(parseInteger("+5"), 5);
  EXPECT_EQ(parseInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(parseInteger("0000000000002147483647"), 2147483647);
  for (const char* bad : {"", " ", "1 ", " 1", "+", "-", "1.0", "1e3", "0x10", "12a", "--5", "+-5", "2147483648",
                          "-2147483649", "99999999999999999999999"}) {
    EXPECT_FALSE(parseInteger(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(ThousandthsOf, RoundsTheExactDecimalHalfToEvenAndSaturates) {
  const int64_t limit = int64_t{1} << 62;
  const std::pair<const char*, int64_t> cases[] = {
      {"25", 25000}, {"33.3333333333333", 33333}, {"7.8125", 7812}, {"7.8135", 7814}, {"7.81250000001", 7813},
      {"0.0005", 0}, {"0.0015", 2}, {"-0.0025", -2}, {".5", 500}, {"1.", 1000}, {"2.5e-3", 2}, {"3.5E-3", 4},
      {"1e+2", 100000}, {"1e-999999", 0}, {"9999999999999999.9", limit}, {"-1e30", -limit},
      {"4611686018427387.904", limit}, {"4611686018427387.903", limit - 1}};
  for (const auto& [text, thousandths] : cases) EXPECT_EQ(thousandthsOf(text), thousandths) << text;
  for (const char* bad : {"", ".", "-", "e3", "1e", "1e+", "1.2.3", "1,5", " 25", "25 ", "abc", "1e3.5"}) {
    EXPECT_FALSE(thousandthsOf(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(SpeedTextOfPeriod, FifteenSignificantDigitsWithoutTrailingZeros) {
  const std::pair<int32_t, const char*> cases[] = {
      {40, "25"}, {30, "33.3333333333333"}, {104, "9.61538461538462"},  // a double would print ...461
      {6, "166.666666666667"}, {1, "1000"}, {2000, "0.5"}, {9362, "0.10681478316599"}, {65535, "0.0152590218966964"}};
  for (const auto& [period, text] : cases) EXPECT_EQ(speedTextOfPeriod(period), text) << period;
}

}  // namespace
}  // namespace led2vqn
