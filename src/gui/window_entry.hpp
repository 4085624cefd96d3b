// The main window, for a build with the Qt view (LED2VQN_HAVE_GUI).
#pragma once

#include <string>

namespace led2vqn::gui {

// Opens the main window (settings file at `settingsPath`) and runs it until
// it closes; returns the exit status.
int runMainWindow(int argc, char** argv, const std::string& settingsPath);

}  // namespace led2vqn::gui
