#include "modes/mode_panel.hpp"

namespace led2vqn {

void ModePanel::reset() {
  state_.count = 1;
  state_.table.fill(ModeRow{1, 1, 1});
}

bool ModePanel::addMode() {
  if (state_.count >= kMaxModes) return false;
  ++state_.count;
  return true;
}

bool ModePanel::removeMode() {
  if (state_.count <= kMinModes) return false;
  --state_.count;
  return true;
}

std::optional<ModeRow> ModePanel::range(int32_t m) const {
  if (m < 1 || m > kMaxModes) return std::nullopt;
  return state_.table[static_cast<std::size_t>(m - 1)];
}

std::optional<ModeNotice> ModePanel::storeRange(int32_t m, int32_t start, int32_t end) {
  const int32_t limit = state_.frameLimit;
  if (start > limit || end > limit || start < 1 || end < 1) return ModeNotice::kModeRange;
  if (m < 1 || m > kMaxModes) return std::nullopt;
  state_.table[static_cast<std::size_t>(m - 1)] = ModeRow{start, end, end > start ? 0 : kReversedModeFlag};
  return std::nullopt;
}

}  // namespace led2vqn
