// Numbers as the window's fields and the grid's cells hold them: decimal
// text, parsed and printed without any locale ('.' is the decimal point).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace led2vqn {

// Strict integer conversion: optional sign, then one or more decimal digits,
// nothing else, within 32 bits. nullopt otherwise (" " and "" included).
std::optional<int32_t> parseInteger(std::string_view text);

// round-half-even(value * 1000) of a decimal number text (optional sign,
// digits with an optional '.', optional exponent), computed exactly.
// Magnitudes beyond 2^62 saturate. nullopt when the text is not a number.
std::optional<int64_t> thousandthsOf(std::string_view text);

// The speed text of a frame period: 1000 / period to 15 significant digits,
// no trailing zeros (40 gives "25", 30 gives "33.3333333333333").
// REQUIRES: period > 0.
std::string speedTextOfPeriod(int32_t period);

// The conversion error of a text that is not a decimal integer.
std::string notAnIntegerText(const std::string& text);

// Decimal text of an integer, no leading zeros.
std::string decimal(int64_t v);

}  // namespace led2vqn
