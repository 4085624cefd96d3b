// Checks of option values shared by the sub-commands. Each returns the
// usage message (naming the option, the value and the accepted form), or
// nullopt when the value is accepted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "output/card_writer.hpp"

namespace led2vqn::cli {

// --model: a model as the command line, its card or its button names it,
// without regard to case.
std::optional<std::string> checkModel(const std::string& value, OutputKind& kind);

// --speed, --brightness: what the field holds after leaving it, digits only,
// 1 to 100 without leading zeros (a value the field would change is refused).
std::optional<std::string> checkFieldValue(const std::string& option, const std::string& value);

// A whole number from `low` to `high`, digits only.
std::optional<std::string> checkNumber(const std::string& option, const std::string& value, int32_t low, int32_t high);

// --mode: START-END, two runs of digits, each at least 1.
std::optional<std::string> checkModeRange(const std::string& value, std::string& start, std::string& end);

// The path made absolute (against the current folder) and lexically normal:
// "./a.led", "b/../a.led" and "a//b.led" become one spelling each.
std::string normalPath(const std::string& path);

// The models, one per line: name, button caption, card suffix (for --help).
std::string modelTable();

}  // namespace led2vqn::cli
