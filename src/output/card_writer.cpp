#include "output/card_writer.hpp"

namespace led2vqn {

WriteResult writeCard(EngineState&, OutputKind, int, ConversionHost& host) {
  WriteResult r;
  r.error = "not implemented yet";
  (void)host;
  return r;
}

}  // namespace led2vqn
