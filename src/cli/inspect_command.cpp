#include <iostream>

#include "cli/commands.hpp"
#include "output/card_inspect.hpp"

namespace led2vqn::cli {

int runInspect(const std::vector<std::string>& cards, bool json) {
  bool allHold = true;
  for (const std::string& card : cards) {
    const InspectReport report = inspectCard(card);
    allHold = allHold && report.ok();
    if (json) {
      std::cout << inspectJson(report) << '\n';
    } else {
      std::cout << inspectText(report);
    }
  }
  std::cout.flush();
  return allHold ? kExitOk : kExitMessages;
}

}  // namespace led2vqn::cli
