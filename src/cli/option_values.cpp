#include "cli/option_values.hpp"

#include <filesystem>

#include "app/controls.hpp"
#include "app/script.hpp"
#include "app/script_runner.hpp"
#include "base/utf8_path.hpp"
#include "output/card_model.hpp"

namespace led2vqn::cli {
namespace {

constexpr OutputKind kKinds[] = {OutputKind::kZ71Rgb, OutputKind::kJ9,  OutputKind::kZ6, OutputKind::kZ58,
                                 OutputKind::kZ71Rgbw, OutputKind::kZ94, OutputKind::kZ36};

bool allDigits(const std::string& s) {
  if (s.empty()) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The value of a run of digits, capped just above int32's range.
int64_t valueOf(const std::string& digits) {
  int64_t v = 0;
  for (const char c : digits) {
    v = v * 10 + (c - '0');
    if (v > INT32_MAX) return int64_t{INT32_MAX} + 1;
  }
  return v;
}

std::string refused(const std::string& option, const std::string& value, const std::string& form) {
  return option + " \"" + value + "\" is not accepted: " + form;
}

}  // namespace

std::optional<std::string> checkModel(const std::string& value, OutputKind& kind) {
  const std::optional<OutputKind> k = outputKindOfModel(value);
  if (!k) {
    return refused("--model", value, "give one of " + std::string(kModelList) +
                                          " (or the model as its card or button names it; --help lists them)");
  }
  kind = *k;
  return std::nullopt;
}

std::optional<std::string> checkNumber(const std::string& option, const std::string& value, int32_t low, int32_t high) {
  const std::string form = "give a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                           " in digits only, without leading zeros";
  if (!allDigits(value) || (value.size() > 1 && value[0] == '0')) return refused(option, value, form);
  const int64_t v = valueOf(value);
  if (v < low || v > high) return refused(option, value, form);
  return std::nullopt;
}

std::optional<std::string> checkFieldValue(const std::string& option, const std::string& value) {
  return checkNumber(option, value, 1, 100);
}

std::optional<std::string> checkModeRange(const std::string& value, std::string& start, std::string& end) {
  const std::size_t dash = value.find('-');
  const std::string form = "give START-END, two frame numbers of at least 1 joined by \"-\" (e.g. --mode 1-24)";
  if (dash == std::string::npos) return refused("--mode", value, form);
  start = value.substr(0, dash);
  end = value.substr(dash + 1);
  if (!allDigits(start) || !allDigits(end) || valueOf(start) < 1 || valueOf(end) < 1) {
    return refused("--mode", value, form);
  }
  return std::nullopt;
}

std::string normalPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path p = std::filesystem::absolute(pathOfUtf8(path), error);
  if (error) p = pathOfUtf8(path);
  return utf8OfPath(p.lexically_normal());
}

std::string modelTable() {
  static const Controls design;  // English captions
  std::string out = "Models (MODEL, the output button, the card's name ending):\n";
  for (const OutputKind kind : kKinds) {
    std::string name(modelOfOutputKind(kind));
    std::string caption = design[outputButton(kind)].caption;
    name.resize(10, ' ');
    caption.resize(22, ' ');
    out += "  " + name + caption + "_NP_" + std::string(cardModel(kind)->suffix).substr(2) + "\n";
  }
  out += "MODEL may also be given as the card or the button names it (Z71RGB, Z58RGB, Z94RGB, J9, Z2.8, Z6.3, ...),\n"
         "in any case.\n";
  return out;
}

}  // namespace led2vqn::cli
