// The main window on Qt's offscreen platform, clicked where a person clicks.
#include "gui/main_window.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_runner.hpp"
#include "gui/gui_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using Strings = std::vector<std::string>;
using testing::cards;
using testing::exampleFolder;
using testing::kExamples;

class WindowTest : public testing::WindowTest {
 protected:
  QString text(ControlId id) const {
    if (auto* b = qobject_cast<QAbstractButton*>(widget(id))) return b->text();
    return qobject_cast<QLineEdit*>(widget(id))->text();
  }
  // Replaces a field's text the way a person does: select all, type.
  void retype(ControlId id, const char* keys) {
    click(id);
    QTest::keyClick(widget(id), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget(id), Qt::Key_Backspace);
    QTest::keyClicks(widget(id), keys);
  }
};

TEST_F(WindowTest, ClickingTheWindowGivesTheCardsAndMessagesOfTheSameScript) {
  const std::string gui = exampleFolder(dir.file("gui"));
  open(gui);
  for (C id : {C::kDeleteButton, C::kOutputZ6Button, C::kReadModeButton, twoPortsBoxId(1)}) click(id);  // disabled
  EXPECT_EQ(port.dialogs, 0);
  add(gui + "/autumn.led");
  add(gui + "/spring.led");
  click(twoPortsBoxId(2));
  retype(C::kSpeedField, "2x50");
  EXPECT_EQ(text(C::kSpeedField), "250");
  retype(C::kBrightnessField, "0080");  // leaves the speed field
  click(C::kChineseRadio);              // leaves the brightness field
  EXPECT_EQ(text(C::kSpeedField), "100");
  EXPECT_EQ(text(C::kBrightnessField), "80");
  EXPECT_EQ(text(C::kAddButton), "添加文件");
  EXPECT_EQ(window->grid()->verticalHeaderItem(0)->text(), " 文件 1");
  for (C id : {C::kMultiModeBox, C::kAddModeButton, C::kAddModeButton, C::kRemoveModeButton}) click(id);
  widget(C::kModeSelector)->setFocus();
  QTest::keyClick(widget(C::kModeSelector), Qt::Key_Down);  // mode 2
  retype(C::kStartField, "5");
  retype(C::kEndField, "12");
  click(C::kModeOkButton);
  retype(C::kEndField, "99");  // beyond the 16 frames, refused
  click(C::kModeOkButton);
  click(C::kOutputZ58Button);
  EXPECT_TRUE(window->timer1().isActive());
  EXPECT_FALSE(widget(C::kAddButton)->isEnabled());
  runBatch();
  EXPECT_TRUE(widget(C::kAddButton)->isEnabled());

  const std::string cli = exampleFolder(dir.file("cli"));
  std::ofstream(cli + "/actions.txt") << "add autumn.led\nadd spring.led\ntwoports 2 on\nspeed 2x50\n"
                                         "brightness 0080\nlanguage zh\nmultimode on\nmodes 3\nmodes 2\n"
                                         "mode 2 5 12\nmode 2 5 99\noutput z58\n";
  const testing::CliResult r = testing::runCli(cli, "run actions.txt --settings Gcode.sdc");
  EXPECT_EQ(r.status, 0) << r.err;
  Strings shown = port.messages, printed;
  shown.insert(shown.end(), port.errors.begin(), port.errors.end());
  std::istringstream out(r.out);
  for (std::string line; std::getline(out, line);) printed.push_back(line);
  EXPECT_EQ(shown, printed);
  EXPECT_EQ(shown.back(), "数据转换完成！");
  EXPECT_EQ(cards(cli).size(), 2u);
  EXPECT_EQ(cards(gui), cards(cli));
}

// Renders the window with the examples added, in English and in Chinese.
// With LED2VQN_SCREENSHOTS=<folder> the pictures are written there as
// window-en.png and window-zh.png (scripts/screenshots.sh).
using Pictures = WindowTest;

TEST_F(Pictures, ExamplesInBothLanguages) {
  // A folder of a stable name, so that the paths in the pictures stay the same.
  const std::string shows = QDir::tempPath().toStdString() + "/led2vqn-shows";
  std::filesystem::remove_all(shows);
  open(exampleFolder(shows));
  add(shows + "/spring.led");
  add(shows + "/autumn.led");
  QCoreApplication::processEvents();
  const QImage english = window->grab().toImage();
  click(C::kChineseRadio);
  QCoreApplication::processEvents();
  const QImage chinese = window->grab().toImage();
  window.reset();
  std::filesystem::remove_all(shows);
  EXPECT_NE(english, chinese);
  if (const char* out = std::getenv("LED2VQN_SCREENSHOTS")) {
    EXPECT_TRUE(english.save(QString::fromLocal8Bit(out) + "/window-en.png"));
    EXPECT_TRUE(chinese.save(QString::fromLocal8Bit(out) + "/window-zh.png"));
  }
}

}  // namespace
}  // namespace led2vqn
