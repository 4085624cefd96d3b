#include "output/decimal_text.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

TEST(ParseInteger, TakesAnOptionalSignAndDigitsOnly) {
  EXPECT_EQ(parseInteger("0"), 0);
  EXPECT_EQ(parseInteger("007"), 7);
  EXPECT_EQ(parseInteger("+5"), 5);
  EXPECT_EQ(parseInteger("-5"), -5);
  for (const char* bad : {"", " ", "1 ", " 1", "+", "-", "1.0", "1e3", "0x10", "12a", "--5", "+-5"}) {
    EXPECT_FALSE(parseInteger(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(ParseInteger, StaysWithin32Bits) {
  EXPECT_EQ(parseInteger("2147483647"), 2147483647);
  EXPECT_EQ(parseInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(parseInteger("0000000000002147483647"), 2147483647);
  for (const char* big : {"2147483648", "-2147483649", "4294967296", "99999999999999999999999"}) {
    EXPECT_FALSE(parseInteger(big).has_value()) << big;
  }
}

TEST(ThousandthsOf, RoundsExactDecimalsHalfToEven) {
  EXPECT_EQ(thousandthsOf("25"), 25000);
  EXPECT_EQ(thousandthsOf("33.3333333333333"), 33333);
  EXPECT_EQ(thousandthsOf("7.8125"), 7812);   // 7812.5: even stays
  EXPECT_EQ(thousandthsOf("7.8135"), 7814);   // 7813.5: odd goes up
  EXPECT_EQ(thousandthsOf("7.81250000001"), 7813);
  EXPECT_EQ(thousandthsOf("0.0005"), 0);
  EXPECT_EQ(thousandthsOf("0.0015"), 2);
  EXPECT_EQ(thousandthsOf("0.00049"), 0);
  EXPECT_EQ(thousandthsOf("-1.5"), -1500);
  EXPECT_EQ(thousandthsOf("-0.0025"), -2);
  EXPECT_EQ(thousandthsOf(".5"), 500);
  EXPECT_EQ(thousandthsOf("1."), 1000);
  EXPECT_EQ(thousandthsOf("2.5e-3"), 2);
  EXPECT_EQ(thousandthsOf("3.5E-3"), 4);
  EXPECT_EQ(thousandthsOf("1e+2"), 100000);
  EXPECT_EQ(thousandthsOf("0.000"), 0);
}

TEST(ThousandthsOf, RefusesWhatIsNotANumber) {
  for (const char* bad : {"", " ", ".", "-", "e3", "1e", "1e+", "1.2.3", "1,5", " 25", "25 ", "abc", "1e3.5"}) {
    EXPECT_FALSE(thousandthsOf(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(ThousandthsOf, SaturatesHugeMagnitudes) {
  const int64_t limit = int64_t{1} << 62;
  EXPECT_EQ(thousandthsOf("9999999999999999"), limit);     // 16 digits times 1000 pass 2^63
  EXPECT_EQ(thousandthsOf("9999999999999999.9"), limit);
  EXPECT_EQ(thousandthsOf("-1e30"), -limit);
  EXPECT_EQ(thousandthsOf("4611686018427387.904"), limit);  // exactly 2^62 thousandths
  EXPECT_EQ(thousandthsOf("4611686018427387.903"), limit - 1);
  EXPECT_EQ(thousandthsOf("1e-999999"), 0);
}

TEST(SpeedTextOfPeriod, FifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(speedTextOfPeriod(40), "25");
  EXPECT_EQ(speedTextOfPeriod(30), "33.3333333333333");
  EXPECT_EQ(speedTextOfPeriod(104), "9.61538461538462");  // a double would print ...461
  EXPECT_EQ(speedTextOfPeriod(7), "142.857142857143");
  EXPECT_EQ(speedTextOfPeriod(6), "166.666666666667");
  EXPECT_EQ(speedTextOfPeriod(8), "125");
  EXPECT_EQ(speedTextOfPeriod(1), "1000");
  EXPECT_EQ(speedTextOfPeriod(2000), "0.5");
  EXPECT_EQ(speedTextOfPeriod(9362), "0.10681478316599");
  EXPECT_EQ(speedTextOfPeriod(20000), "0.05");
  EXPECT_EQ(speedTextOfPeriod(65535), "0.0152590218966964");
}

TEST(Decimal, PlainDigits) {
  EXPECT_EQ(decimal(0), "0");
  EXPECT_EQ(decimal(-17), "-17");
  EXPECT_EQ(decimal(2147483647), "2147483647");
}

}  // namespace
}  // namespace led2vqn
