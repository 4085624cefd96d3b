#include "output/engine_state.hpp"

namespace led2vqn {

void EngineState::fillBatchFiller() {
  for (std::size_t i = 0; i < kFillerBytes; ++i) {
    sector[i] = static_cast<uint8_t>(rng.byte(200) + 39);
    frame[i] = static_cast<uint8_t>(rng.byte(200) + 39);
    work[i] = static_cast<uint8_t>(rng.byte(200) + 39);
  }
}

}  // namespace led2vqn
