#include <iostream>

#include "cli/commands.hpp"
#include "output/card_inspect.hpp"

namespace led2vqn::cli {

int runInspect(const std::vector<std::string>& cards, bool json) {
  bool allHold = true;
  if (json) std::cout << '[';
  for (std::size_t i = 0; i < cards.size(); ++i) {
    const InspectReport report = inspectCard(cards[i]);
    allHold = allHold && report.ok();
    if (json) {
      std::cout << (i == 0 ? "" : ",\n") << inspectJson(report);
    } else {
      std::cout << inspectText(report);
    }
  }
  if (json) std::cout << "]\n";
  std::cout.flush();
  return allHold ? kExitOk : kExitMessages;
}

}  // namespace led2vqn::cli
