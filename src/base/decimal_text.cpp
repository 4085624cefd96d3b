#include "base/decimal_text.hpp"

#include <charconv>

namespace led2vqn {

std::optional<int32_t> parseInteger(std::string_view text) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at == text.size()) return std::nullopt;
  int64_t v = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > int64_t{1} << 32) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::optional<int64_t> thousandthsOf(std::string_view text) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::string digits;  // all mantissa digits, leading zeros dropped
  int64_t pointShift = 0;  // value = digits * 10^(pointShift)
  bool any = false, point = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    any = true;
    if (!(digits.empty() && c == '0')) digits += c;
    if (point) --pointShift;
  }
  if (!any) return std::nullopt;
  if (at < text.size()) {
    if (text[at] != 'e' && text[at] != 'E') return std::nullopt;
    int exponent = 0;
    const char* first = text.data() + at + 1;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, exponent);
    if (ec != std::errc() || end != last) return std::nullopt;
    pointShift += exponent;
  }
  pointShift += 3;  // times 1000
  const int64_t kLimit = int64_t{1} << 62;
  auto saturate = [&](bool big, int64_t v) -> int64_t {
    if (big) v = kLimit;
    return negative ? -v : v;
  };
  // Appends one decimal digit to v, or marks v as beyond kLimit (v then stays put).
  bool big = false;
  auto push = [&](int64_t& v, int digit) {
    if (big || v > (kLimit - digit) / 10) {
      big = true;
      return;
    }
    v = v * 10 + digit;
  };
  if (digits.empty()) return 0;
  if (pointShift >= 0) {
    if (static_cast<int64_t>(digits.size()) + pointShift > 19) return saturate(true, 0);
    int64_t v = 0;
    for (char c : digits) push(v, c - '0');
    for (int64_t i = 0; i < pointShift; ++i) push(v, 0);
    return saturate(big, v);
  }
  // Digits after the new decimal point decide the rounding.
  const int64_t fraction = -pointShift;
  const int64_t whole = static_cast<int64_t>(digits.size()) - fraction;
  if (whole > 19) return saturate(true, 0);
  int64_t v = 0;
  for (int64_t i = 0; i < whole; ++i) push(v, digits[i] - '0');
  const int first = whole >= 0 ? digits[whole] - '0' : 0;
  bool restNonZero = false;
  for (int64_t i = (whole >= 0 ? whole + 1 : 0); i < static_cast<int64_t>(digits.size()); ++i)
    restNonZero = restNonZero || digits[i] != '0';
  if (whole < 0) return saturate(false, 0);  // below 0.1 after scaling: rounds to 0
  if (first > 5 || (first == 5 && (restNonZero || (v & 1)))) ++v;
  return saturate(big || v > kLimit, v);
}

std::string speedTextOfPeriod(int32_t period) {
  // Exact long division of 1000 / period, 17 significant digits, then rounded to 15.
  std::string digits;
  int64_t intPart = 1000 / period;
  int64_t rest = 1000 % period;
  std::string whole = std::to_string(intPart);
  int exponent = static_cast<int>(whole.size());  // digits before the point
  if (intPart == 0) {
    exponent = 0;
    whole.clear();
    while (true) {  // skip leading zeros of the fraction
      rest *= 10;
      if (rest / period != 0) break;
      rest %= period;
      --exponent;
    }
    rest /= 10;
  }
  digits = whole;
  while (digits.size() < 17) {
    rest *= 10;
    digits += static_cast<char>('0' + rest / period);
    rest %= period;
  }
  // Round to 15 significant digits, half away from zero (no ties arise here).
  bool carry = digits[15] >= '5';
  digits.resize(15);
  for (int i = 14; carry && i >= 0; --i) {
    if (digits[i] == '9') {
      digits[i] = '0';
    } else {
      ++digits[i];
      carry = false;
    }
  }
  if (carry) {
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    ++exponent;
  }
  std::string out;
  if (exponent <= 0) {
    out = "0." + std::string(-exponent, '0') + digits;
  } else {
    out = digits.substr(0, exponent) + "." + digits.substr(exponent);
  }
  while (!out.empty() && out.back() == '0') out.pop_back();
  if (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

std::string decimal(int64_t v) { return std::to_string(v); }

std::string notAnIntegerText(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

}  // namespace led2vqn
