#include "modes/mode_file.hpp"

#include "app/window_model.hpp"

namespace led2vqn {

void Readmod(WindowModel& window, const std::string& path) {
  (void)window;
  (void)path;
}

void SaveMode(WindowModel& window) { (void)window; }

}  // namespace led2vqn
