// The main window, for a build with the Qt view (LED2VQN_HAVE_GUI).
#pragma once

#include <string>
#include <vector>

namespace led2vqn::gui {

// Opens the main window (settings file at `settingsPath`), adds `files`
// (whole paths, UTF-8) as the add button would, one after the other, and
// runs it until it closes; returns the exit status.
int runMainWindow(int argc, char** argv, const std::string& settingsPath, const std::vector<std::string>& files = {});

}  // namespace led2vqn::gui
