// The temporary files an interruption removes, for the platform layer: a
// few fixed slots, filled by the program and read by an interruption handler
// that may do no more than look at what is already there.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace led2vqn::platform {

template <typename Char, std::size_t kLongest, int kSlots>
class PendingTemporaries {
 public:
  // Returns the path's slot, or -1 when all are taken or it is too long.
  int remember(const std::basic_string<Char>& path) {
    if (path.size() >= kLongest) return -1;
    for (int k = 0; k < kSlots; ++k) {
      Slot& slot = slots_[k];
      int expected = kFree;
      if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
      std::char_traits<Char>::copy(slot.path, path.c_str(), path.size() + 1);
      slot.state.store(kHeld);
      return k;
    }
    return -1;
  }

  void forget(int slot) {
    if (slot >= 0 && slot < kSlots) slots_[slot].state.store(kFree);
  }

  // Calls remove(path) for each remembered path (from a handler too).
  template <typename Remove>
  void removeAll(Remove remove) {
    for (Slot& slot : slots_) {
      if (slot.state.load() == kHeld) remove(slot.path);
    }
  }

 private:
  enum : int { kFree, kFilling, kHeld };
  struct Slot {
    std::atomic<int> state{kFree};
    Char path[kLongest] = {};
  };
  Slot slots_[kSlots];
};

}  // namespace led2vqn::platform
