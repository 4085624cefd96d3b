// The main window in a fresh folder, on Qt's offscreen platform, with a port
// that records the message boxes and answers the open dialogs.
#pragma once

#include <QApplication>
#include <QPoint>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"
#include "gui/main_window.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn::testing {

// The one QApplication of the test program (kept until the process ends).
inline QApplication& qtApplication() {
  static int argc = 1;
  static char name[] = "led2vqn_gui_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline const std::string kExamples = LED2VQN_SOURCE_DIR "/examples/";

// A new folder with the example files; the card files (*.vqn) of a folder.
inline std::string exampleFolder(const std::string& f) {
  std::filesystem::create_directory(f);
  for (const char* name : {"spring.led", "autumn.led", "Gcode.sdc"}) std::filesystem::copy_file(kExamples + name, f + "/" + name);
  return f;
}
inline std::map<std::string, std::vector<uint8_t>> cards(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".vqn") found[entry.path().filename().string()] = support::readBytes(entry.path());
  }
  return found;
}

// Lets the event loop run until `done` holds (at most a minute: a safety net, not a measure).
template <class Condition>
bool waitFor(Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done() && std::chrono::steady_clock::now() < deadline) QTest::qWait(5);
  return done();
}

class WindowTest : public support::TempDirTest {
 protected:
  WindowTest() { qtApplication(); }

  // Copies the examples' settings file into `folder` and opens the window on it.
  void open(const std::string& folder) {
    std::filesystem::copy_file(kExamples + "Gcode.sdc", folder + "/Gcode.sdc",
                               std::filesystem::copy_options::overwrite_existing);
    window = std::make_unique<gui::MainWindow>(port, folder + "/Gcode.sdc");
    window->model().setDateTimeSource([] { return std::string("2024-05-06 07:08:09"); });
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    QCoreApplication::processEvents();
  }
  void open() { open(dir.path()); }

  QWidget* widget(ControlId id) const { return window->widget(id); }
  WindowModel& model() { return window->model(); }

  // A left click where a person would click: a button's middle, a check or
  // radio box's indicator.
  void click(ControlId id) {
    QWidget* w = widget(id);
    const ControlKind kind = model().controls()[id].kind;
    const bool box = kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
    const QPoint at = box ? QPoint(8, w->height() / 2) : w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
  }

  // The add button, the dialog answering `path`.
  void add(const std::string& path) {
    port.answers.push_back(path);
    click(ControlId::kAddButton);
  }

  // Lets the event loop run (the timer ticks) until the batch has ended.
  void runBatch() {
    ASSERT_TRUE(waitFor([this] { return !window->converting() && !model().timerEnabled(); })) << "the batch did not end";
  }

  RecordingPort port;
  std::unique_ptr<gui::MainWindow> window;
};

}  // namespace led2vqn::testing
