// `led2vqn` without a sub-command: the main window.
#include "gui/window_entry.hpp"

#include <clocale>
#include <cstdlib>
#include <iostream>

#include <QApplication>

#include "gui/main_window.hpp"
#include "gui/qt_window_port.hpp"

namespace led2vqn::gui {
namespace {

constexpr int kNoDisplay = 2;  // as a usage error: the window cannot open here

// On X11 or Wayland desktops the window needs one of their displays; Qt
// would abort without one. A platform named in QT_QPA_PLATFORM is taken as it is.
bool displayAvailable() {
#if defined(__linux__) || defined(__FreeBSD__)
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
  return true;
#endif
}

}  // namespace

int runMainWindow(int argc, char** argv, const std::string& settingsPath, const std::vector<std::string>& files) {
  if (!displayAvailable()) {
    std::cerr << "led2vqn: there is no display to open the window on; see led2vqn --help for the sub-commands\n";
    return kNoDisplay;
  }
  int count = argc;
  QApplication app(count, argv);
  QApplication::setApplicationName(QStringLiteral("led2vqn"));
  QApplication::setApplicationVersion(QStringLiteral(LED2VQN_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.led2vqn.led2vqn"));
  // The application adopts the desktop's locale; numbers never do: keep the
  // C library's number conventions as the command line has them.
  std::setlocale(LC_NUMERIC, "C");
  QtWindowPort port;
  MainWindow window(port, settingsPath);
  port.setWindow(&window);
  window.show();
  if (!files.empty()) window.addFiles(files);
  return app.exec();
}

}  // namespace led2vqn::gui
