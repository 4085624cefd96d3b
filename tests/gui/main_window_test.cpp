#include "gui/main_window.hpp"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
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

// The card files (*.vqn) of a folder, by name.
std::map<std::string, std::vector<uint8_t>> cards(const support::TempDir& folder, const std::string& sub) {
  std::map<std::string, std::vector<uint8_t>> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder.file(sub))) {
    if (entry.path().extension() == ".vqn") found[entry.path().filename().string()] = support::readBytes(entry.path());
  }
  return found;
}

// Every line a run printed on standard output.
std::vector<std::string> lines(const std::string& out) {
  std::vector<std::string> result;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// ---- Clicking the window gives the cards of the same script ----

class SameCardsAsTheScript : public WindowTest {
 protected:
  // Copies the examples into dir/<sub>; returns the folder.
  std::string folder(const std::string& sub) {
    const std::string f = dir.file(sub);
    std::filesystem::create_directory(f);
    for (const char* name : {"spring.led", "autumn.led"}) std::filesystem::copy_file(kExamples + name, f + "/" + name);
    return f;
  }

  // Runs `script` with the command line in dir/cli; returns what it printed.
  std::vector<std::string> runScript(const std::string& script) {
    const std::string f = folder("cli");
    std::filesystem::copy_file(kExamples + "Gcode.sdc", f + "/Gcode.sdc");
    std::ofstream(f + "/actions.txt") << script;
    const testing::CliResult r = testing::runCli(f, "run actions.txt --settings Gcode.sdc");
    EXPECT_EQ(r.status, 0) << r.err;
    return lines(r.out);
  }

  std::vector<std::string> shown() const {
    std::vector<std::string> all = port.messages;
    all.insert(all.end(), port.errors.begin(), port.errors.end());
    return all;
  }
};

TEST_F(SameCardsAsTheScript, TwoFilesTwoPortsSpeedLanguageAndZ71Rgb) {
  const std::string gui = folder("gui");
  open(gui);
  add(gui + "/spring.led");
  add(gui + "/autumn.led");
  click(checkBoxId(1));
  QWidget* speed = widget(C::kSPEEDN);
  click(C::kSPEEDN);
  retype(speed, "2x50");
  EXPECT_EQ(text(speed), "250");
  click(C::kBRIGHTN);  // leaves the speed field
  retype(widget(C::kBRIGHTN), "0080");
  click(C::kRBT2);  // leaves the brightness field
  EXPECT_EQ(text(speed), "100");
  EXPECT_EQ(text(widget(C::kBRIGHTN)), "80");
  click(C::kOUTPUTBT);
  EXPECT_TRUE(window->timer1().isActive());
  EXPECT_EQ(window->timer1().interval(), 50);
  EXPECT_FALSE(widget(C::kADDBT)->isEnabled());
  runBatch();
  EXPECT_FALSE(window->timer1().isActive());
  EXPECT_TRUE(widget(C::kADDBT)->isEnabled());
  auto* bar = static_cast<QProgressBar*>(widget(C::kPBar1));
  EXPECT_EQ(bar->maximum(), model().progressMax());
  EXPECT_EQ(bar->value(), model().progressPosition());

  const std::vector<std::string> printed = runScript(
      "add spring.led\nadd autumn.led\ntwoports 1 on\nspeed 2x50\nbrightness 0080\nlanguage zh\noutput z71rgb\n");
  EXPECT_EQ(shown(), printed);
  EXPECT_EQ(shown(), std::vector<std::string>{"数据转换完成！"});
  const auto expected = cards(dir, "cli");
  EXPECT_EQ(expected.size(), 2u);
  EXPECT_EQ(cards(dir, "gui"), expected);
}

TEST_F(SameCardsAsTheScript, MultiModeRangesAndZ58) {
  const std::string gui = folder("gui");
  open(gui);
  add(gui + "/spring.led");
  click(C::kChkB2);
  click(C::kBB11);
  click(C::kBB11);
  click(C::kB11);
  QWidget* selector = widget(C::kCB11);
  selector->setFocus();
  QTest::keyClick(selector, Qt::Key_Down);  // mode 2
  click(C::kE11);
  retype(widget(C::kE11), "5");
  click(C::kE22);
  retype(widget(C::kE22), "12");
  click(C::kBOK);
  click(C::kE22);
  retype(widget(C::kE22), "99");  // beyond the 24 frames: refused
  click(C::kBOK);
  click(C::kOUTPUTZ58);
  runBatch();

  const std::vector<std::string> printed =
      runScript("add spring.led\nmultimode on\nmodes 3\nmodes 2\nmode 2 5 12\nmode 2 5 99\noutput z58\n");
  EXPECT_EQ(shown(), printed);
  EXPECT_EQ(shown().size(), 2u);
  const auto expected = cards(dir, "cli");
  EXPECT_EQ(expected.size(), 1u);
  EXPECT_EQ(cards(dir, "gui"), expected);
}

// ---- What cannot be clicked ----

TEST_F(WindowTest, DisabledAndHiddenControlsCannotBeClicked) {
  open();
  for (C id : {C::kDELBT, C::kOUTPUTBT, C::kOUTPUTZ6, C::kRB3, C::kbread, C::kBB11}) click(id);
  click(checkBoxId(1));
  EXPECT_FALSE(model().timerEnabled());
  EXPECT_EQ(port.dialogs, 0);
  EXPECT_EQ(model().modeState().count, 1);
  EXPECT_FALSE(checked(widget(checkBoxId(1))));
  EXPECT_EQ(model().table().twoPortFlag(1), 0);
  EXPECT_TRUE(checked(widget(C::kRB4)));
  for (int r = 1; r <= kCheckBoxCount; ++r) EXPECT_EQ(widget(checkBoxId(r))->isVisible(), r <= 12) << r;

  click(C::kChkB2);  // multi-mode on: Read mode can be clicked now
  click(C::kbread);
  EXPECT_EQ(port.dialogs, 1);
}

// ---- Captions ----

TEST_F(WindowTest, CaptionsSwitchAtOnceInBothLanguages) {
  open();
  add(kExamples + "spring.led");
  QTableWidget* grid = window->grid();
  click(C::kRBT2);
  EXPECT_TRUE(checked(widget(C::kRBT2)));
  EXPECT_FALSE(checked(widget(C::kRBT1)));
  EXPECT_EQ(window->windowTitle(), "LED 动感灯箱专用软件 V3.70(测试版)-202005");
  EXPECT_EQ(text(widget(C::kADDBT)), "添加文件");
  EXPECT_EQ(text(widget(C::kOUTPUTZ6)), "定制 Z6.3 ");
  EXPECT_EQ(text(widget(C::kGB2)), "颜色类型");
  EXPECT_EQ(text(widget(C::kRB4)), "其它颜色");
  EXPECT_EQ(text(widget(C::kAlabel)), "共  24  帧");
  EXPECT_EQ(text(widget(checkBoxId(12))), "2路主控");
  EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), " 端口数 ");
  EXPECT_EQ(grid->verticalHeaderItem(0)->text(), " 文件 1");
  EXPECT_EQ(grid->item(0, 1)->text(), "24");            // numbers stay
  EXPECT_EQ(text(widget(C::kGroupBox1)), "Language");  // never translated

  click(C::kRBT1);
  EXPECT_TRUE(checked(widget(C::kRBT1)));
  EXPECT_EQ(window->windowTitle(), "LED TO VQN V3.70(test)-202005");
  EXPECT_EQ(text(widget(C::kOUTPUTZ94)), "Output Z94 RGB");
  EXPECT_EQ(text(widget(C::kAlabel)), "Total 24 frames");
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), " Frames");
  EXPECT_EQ(grid->verticalHeaderItem(0)->text(), " File 1");
}

TEST_F(WindowTest, StartsInTheSavedLanguage) {
  std::vector<uint8_t> settings = support::readBytes(kExamples + "Gcode.sdc");
  settings[7] = 0x31;
  gui::MainWindow w(port, dir.write("chinese.sdc", settings));
  EXPECT_EQ(w.windowTitle(), "LED 动感灯箱专用软件 V3.70(测试版)-202005");
  EXPECT_TRUE(checked(w.widget(C::kRBT2)));
  EXPECT_EQ(text(w.widget(C::kEXBT)), "退出");
}

// ---- Places ----

TEST_F(WindowTest, CheckBoxesAndGridStandWhereWindowCreationPutsThem) {
  open();
  constexpr int W = 1046, H = 394;  // the grid's size
  for (int k = 1; k <= kCheckBoxCount; ++k) {
    const QRect r = widget(checkBoxId(k))->geometry();
    EXPECT_EQ(r.left(), W * 882 / 872) << k;
    EXPECT_EQ(r.top(), H * 74 / 329 + (k - 1) * (H * 25 / 329)) << k;
  }
  EXPECT_EQ(widget(checkBoxId(3))->geometry().topLeft(), QPoint(1057, 146));
  QTableWidget* grid = window->grid();
  EXPECT_EQ(grid->geometry(), QRect(10, 58, 1046, 394));
  EXPECT_EQ(grid->verticalHeader()->width(), 71);
  EXPECT_EQ(grid->columnCount(), 3);  // columns 4 and 5 are not shown
  EXPECT_EQ(grid->columnWidth(0), 824);
  EXPECT_EQ(grid->columnWidth(2), 68);
  EXPECT_EQ(grid->horizontalHeader()->height(), 29);
  EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(window->frameGeometry().size(), QSize(1182, 725));
}

// ---- Fields ----

TEST_F(WindowTest, FieldsFilterTypingAndPastingAndKeepTheirRangeOnLeaving) {
  open();
  QWidget* speed = widget(C::kSPEEDN);
  click(C::kSPEEDN);
  retype(speed, "4a.5");
  EXPECT_EQ(model().controls()[C::kSPEEDN].text, "45");
  QGuiApplication::clipboard()->setText("9z,9");
  QTest::keyClick(speed, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(speed, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(model().controls()[C::kSPEEDN].text, "99");
  QTest::keyClick(speed, Qt::Key_V, Qt::ControlModifier);  // "9999"
  click(C::kBRIGHTN);
  EXPECT_EQ(text(speed), "100");
  retype(widget(C::kBRIGHTN), "");
  click(C::kADDBT);  // leaving the field first (the dialog is cancelled)
  EXPECT_EQ(text(widget(C::kBRIGHTN)), "100");
}

// ---- The pictures of the README ----

// Renders the window with the examples added, in English and in Chinese.
// With LED2VQN_SCREENSHOTS=<folder> the pictures are written there as
// window-en.png and window-zh.png (scripts/screenshots.sh).
using Pictures = WindowTest;

TEST_F(Pictures, ExamplesInBothLanguages) {
  // A folder of a stable name, so that the paths in the pictures stay the same.
  const std::string shows = QDir::tempPath().toStdString() + "/led2vqn-shows";
  std::filesystem::remove_all(shows);
  std::filesystem::create_directory(shows);
  for (const char* name : {"spring.led", "autumn.led"}) std::filesystem::copy_file(kExamples + name, shows + "/" + name);
  open(shows);
  add(shows + "/spring.led");
  add(shows + "/autumn.led");
  QCoreApplication::processEvents();
  const QSize client = window->size();
  const QImage english = window->grab().toImage();
  click(C::kRBT2);
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
