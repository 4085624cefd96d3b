// The window among desktop programs: boxes that follow the grid's scrolling,
// files dropped on it, and a size that fits the screen.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QUrl>

#include "gui/gui_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using testing::kExamples;
using testing::WindowTest;

using DesktopTest = WindowTest;

TEST_F(DesktopTest, TwoPortsBoxesStayBesideTheirRowsWhenTheGridScrolls) {
  open();
  for (int k = 1; k <= 16; ++k) {
    const std::string name = dir.file("f" + std::to_string(100 + k) + ".led");
    std::filesystem::copy_file(kExamples + "spring.led", name);  // 4 ports: every box 1 .. 12 can be ticked
    add(name);
  }
  QTableWidget* grid = window->grid();
  ASSERT_EQ(grid->rowCount(), 16);
  grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
  QCoreApplication::processEvents();
  ASSERT_GT(grid->verticalHeader()->offset(), 0);
  int shown = 0;
  for (int r = 1; r <= kTwoPortsBoxCount; ++r) {
    QWidget* box = widget(twoPortsBoxId(r));
    if (!box->isVisible()) continue;
    ++shown;
    const QPoint middle = grid->viewport()->mapFrom(window.get(), box->geometry().center());
    EXPECT_EQ(grid->rowAt(middle.y()), r - 1) << "box " << r;
  }
  EXPECT_GT(shown, 0);
  EXPECT_FALSE(widget(twoPortsBoxId(1))->isVisible());  // row 1 scrolled out of sight
  for (int r = 13; r <= 16; ++r) EXPECT_FALSE(widget(twoPortsBoxId(r))->isVisible()) << r;
  click(twoPortsBoxId(12));
  EXPECT_EQ(model().table().twoPortFlag(12), kTwoPortsOn);
}

TEST_F(DesktopTest, DroppedFilesAreAddedInOrderAndFoldersAreIgnored) {
  open();
  const std::string a = dir.file("b.led"), b = dir.file("a.led");
  std::filesystem::copy_file(kExamples + "spring.led", a);
  std::filesystem::copy_file(kExamples + "autumn.led", b);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(dir.path())),
                QUrl(QStringLiteral("https://example.org/c.led")), QUrl::fromLocalFile(QString::fromStdString(b))});
  QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(window.get())->event(&drop);  // as the drag manager hands it over
  ASSERT_EQ(model().table().rowCount(), 3);
  EXPECT_EQ(model().table().cell(1, 1), a);
  EXPECT_EQ(model().table().cell(2, 1), b);
  EXPECT_TRUE(port.messages.empty());
}

// Run on the screens of ctest's gui stages: the outer window, in device
// pixels, fits the available screen less a panel and a title bar; only the
// grid gives up height, the controls below it move up by as much.
TEST_F(DesktopTest, WindowFitsTheScreenWithTheGridGivingUpHeight) {
  open();
  const QScreen* screen = window->screen();
  const double ratio = screen->devicePixelRatio();
  const QSize outer = window->frameGeometry().size() * ratio;
  const QSize room = screen->availableGeometry().size() * ratio - QSize(0, 48 + 32);
  EXPECT_LE(outer.width(), room.width());
  EXPECT_LE(outer.height(), room.height());
  const int up = window->heightGivenUp();
  EXPECT_EQ(window->grid()->height(), model().controls()[C::kFileGrid].rect.height - up);
  EXPECT_EQ(widget(C::kAddButton)->y(), model().controls()[C::kAddButton].rect.top);
  EXPECT_EQ(widget(C::kOutputZ6Button)->y(), model().controls()[C::kOutputZ6Button].rect.top - up);
  EXPECT_EQ(widget(C::kModeGroup)->y(), model().controls()[C::kModeGroup].rect.top - up);
}

TEST_F(DesktopTest, QtsOwnButtonsSpeakChineseWithTheWindow) {
  open();
  click(C::kChineseRadio);
  QDialogButtonBox chinese(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  click(C::kEnglishRadio);
  QDialogButtonBox english(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(english.button(QDialogButtonBox::Cancel)->text(), "Cancel");
  EXPECT_EQ(chinese.button(QDialogButtonBox::Cancel)->text(), "取消");
}

}  // namespace
}  // namespace led2vqn
