#include "gui/main_window.hpp"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli_runner.hpp"
#include "gui/gui_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using testing::kExamples;
using testing::WindowTest;
using Strings = std::vector<std::string>;

QString text(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return w->windowTitle();
}

bool checked(QWidget* w) { return qobject_cast<QAbstractButton*>(w)->isChecked(); }

// Replaces a field's text the way a person does: select all, type.
void retype(QWidget* field, const char* keys) {
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, keys);
}

// A new folder with the example program files; the card files (*.vqn) of a folder.
std::string exampleFolder(const std::string& f) {
  std::filesystem::create_directory(f);
  for (const char* name : {"spring.led", "autumn.led"}) std::filesystem::copy_file(kExamples + name, f + "/" + name);
  return f;
}
std::map<std::string, std::vector<uint8_t>> cards(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".vqn") found[entry.path().filename().string()] = support::readBytes(entry.path());
  }
  return found;
}

TEST_F(WindowTest, ClickingTheWindowGivesTheCardsAndMessagesOfTheSameScript) {
  const std::string gui = exampleFolder(dir.file("gui"));
  open(gui);
  add(gui + "/autumn.led");
  add(gui + "/spring.led");
  click(twoPortsBoxId(2));
  QWidget* speed = widget(C::kSpeedField);
  click(C::kSpeedField);
  retype(speed, "2x50");
  EXPECT_EQ(text(speed), "250");
  click(C::kBrightnessField);  // leaves the speed field
  retype(widget(C::kBrightnessField), "0080");
  click(C::kChineseRadio);  // leaves the brightness field
  EXPECT_EQ(text(speed), "100");
  EXPECT_EQ(text(widget(C::kBrightnessField)), "80");
  for (C id : {C::kMultiModeBox, C::kAddModeButton, C::kAddModeButton, C::kRemoveModeButton}) click(id);
  widget(C::kModeSelector)->setFocus();
  QTest::keyClick(widget(C::kModeSelector), Qt::Key_Down);  // mode 2
  for (auto [id, keys] : {std::pair{C::kStartField, "5"}, {C::kEndField, "12"}, {C::kModeOkButton, ""}, {C::kEndField, "99"}, {C::kModeOkButton, ""}}) {
    click(id);  // 99: beyond the 16 frames, refused
    if (*keys) retype(widget(id), keys);
  }
  click(C::kOutputZ58Button);
  EXPECT_TRUE(window->timer1().isActive());
  EXPECT_EQ(window->timer1().interval(), 50);
  EXPECT_FALSE(widget(C::kAddButton)->isEnabled());
  runBatch();
  EXPECT_TRUE(widget(C::kAddButton)->isEnabled());

  const std::string cli = exampleFolder(dir.file("cli"));
  std::filesystem::copy_file(kExamples + "Gcode.sdc", cli + "/Gcode.sdc");
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
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown.back(), "数据转换完成！");
  EXPECT_EQ(cards(cli).size(), 2u);
  EXPECT_EQ(cards(gui), cards(cli));
}

TEST_F(WindowTest, DisabledAndHiddenControlsCannotBeClicked) {
  open();
  for (C id : {C::kDeleteButton, C::kOutputZ71RgbButton, C::kOutputZ6Button, C::kRgbRadio, C::kReadModeButton, C::kAddModeButton}) click(id);
  click(twoPortsBoxId(1));
  EXPECT_FALSE(model().timerEnabled());
  EXPECT_EQ(port.dialogs, 0);
  EXPECT_EQ(model().modeState().count, 1);
  EXPECT_FALSE(checked(widget(twoPortsBoxId(1))));
  EXPECT_TRUE(checked(widget(C::kOtherColourRadio)));
  for (int r = 1; r <= kTwoPortsBoxCount; ++r) EXPECT_EQ(widget(twoPortsBoxId(r))->isVisible(), r <= 12) << r;
  click(C::kMultiModeBox);  // multi-mode on: Read mode can be clicked now
  click(C::kReadModeButton);
  EXPECT_EQ(port.dialogs, 1);
}

TEST_F(WindowTest, CaptionsSwitchAtOnceInBothLanguages) {
  open();
  add(kExamples + "spring.led");
  QTableWidget* grid = window->grid();
  click(C::kChineseRadio);
  EXPECT_FALSE(checked(widget(C::kEnglishRadio)));
  EXPECT_EQ(window->windowTitle(), "LED 动感灯箱专用软件 V3.70(测试版)-202005");
  EXPECT_EQ(text(widget(C::kAddButton)), "添加文件");
  EXPECT_EQ(text(widget(C::kColourTypeGroup)), "颜色类型");
  EXPECT_EQ(text(widget(C::kFrameLimitLabel)), "共  24  帧");
  EXPECT_EQ(text(widget(twoPortsBoxId(12))), "2路主控");
  EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), " 端口数 ");
  EXPECT_EQ(grid->verticalHeaderItem(0)->text(), " 文件 1");
  EXPECT_EQ(text(widget(C::kLanguageGroup)), "Language");  // never translated
  click(C::kEnglishRadio);
  EXPECT_FALSE(checked(widget(C::kChineseRadio)));
  EXPECT_EQ(window->windowTitle(), "LED TO VQN V3.70(test)-202005");
  EXPECT_EQ(text(widget(C::kFrameLimitLabel)), "Total 24 frames");
  EXPECT_EQ(grid->verticalHeaderItem(0)->text(), " File 1");
}

TEST_F(WindowTest, CheckBoxesAndGridStandWhereWindowCreationPutsThem) {
  open();
  constexpr int W = 1046, H = 394;  // the grid's size
  for (int k = 1; k <= kTwoPortsBoxCount; ++k) {
    const QRect r = widget(twoPortsBoxId(k))->geometry();
    EXPECT_EQ(r.topLeft(), QPoint(W * 882 / 872, H * 74 / 329 + (k - 1) * (H * 25 / 329))) << k;
  }
  EXPECT_EQ(widget(twoPortsBoxId(3))->geometry().topLeft(), QPoint(1057, 146));
  EXPECT_EQ(window->grid()->geometry(), QRect(10, 58, W, H));
  EXPECT_EQ(window->grid()->columnCount(), 3);  // columns 4 and 5 are not shown
  EXPECT_EQ(window->frameGeometry().size(), QSize(1182, 725));
}

// Renders the window with the examples added, in English and in Chinese.
// With LED2VQN_SCREENSHOTS=<folder> the pictures are written there as
// window-en.png and window-zh.png (scripts/screenshots.sh).
using Pictures = WindowTest;

TEST_F(Pictures, ExamplesInBothLanguages) {
  // A folder of a stable name, so that the paths in the pictures stay the same.
  std::filesystem::remove_all(QDir::tempPath().toStdString() + "/led2vqn-shows");
  const std::string shows = exampleFolder(QDir::tempPath().toStdString() + "/led2vqn-shows");
  open(shows);
  add(shows + "/spring.led");
  add(shows + "/autumn.led");
  QCoreApplication::processEvents();
  const QSize client = window->size();
  const QImage english = window->grab().toImage();
  click(C::kChineseRadio);
  QCoreApplication::processEvents();
  const QImage chinese = window->grab().toImage();
  window.reset();
  std::filesystem::remove_all(shows);

  EXPECT_EQ(english.size() / english.devicePixelRatio(), client);
  EXPECT_NE(english, chinese);
  if (const char* out = std::getenv("LED2VQN_SCREENSHOTS")) {
    EXPECT_TRUE(english.save(QString::fromLocal8Bit(out) + "/window-en.png"));
    EXPECT_TRUE(chinese.save(QString::fromLocal8Bit(out) + "/window-zh.png"));
  }
}

}  // namespace
}  // namespace led2vqn
