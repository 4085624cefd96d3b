#include "gui/qt_window_port.hpp"

#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "gui/gui_fixture.hpp"

namespace led2vqn::gui {
namespace {

// Runs `answer` on the modal dialog once it is shown.
template <class Dialog, class Answer>
void whenShown(Answer answer) {
  QTimer::singleShot(0, [answer] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    answer(*dialog);
  });
}

TEST(OpenDialogs, FilterAndDefaultExtensionFollowTheDialog) {
  testing::qtApplication();
  QFileDialog program;
  configureOpenDialog(program, DialogKind::kOpenProgram);
  EXPECT_EQ(program.nameFilters(), QStringList{"*.led (*.led)"});
  EXPECT_EQ(program.defaultSuffix(), "led");
  EXPECT_EQ(program.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(program.acceptMode(), QFileDialog::AcceptOpen);

  QFileDialog mode;
  configureOpenDialog(mode, DialogKind::kOpenMode);
  EXPECT_EQ(mode.nameFilters(), QStringList{"*.vqn (*.vqn)"});
  EXPECT_EQ(mode.defaultSuffix(), "vqn");
  EXPECT_EQ(mode.fileMode(), QFileDialog::AnyFile);  // the mode file need not exist
}

using QtPort = support::TempDirTest;

TEST_F(QtPort, MessageBoxIsModalAndCarriesTheText) {
  testing::qtApplication();
  QWidget window;
  window.setWindowTitle("title");
  QtWindowPort port;
  port.setWindow(&window);
  QString shown;
  whenShown<QMessageBox>([&](QMessageBox& box) {
    shown = box.text();
    EXPECT_TRUE(box.isModal());
    EXPECT_EQ(box.windowTitle(), "title");
    box.accept();
  });
  port.showMessage("数据转换完成！");
  EXPECT_EQ(shown, "数据转换完成！");
}

TEST_F(QtPort, ModeDialogAnswersAPathThatNeedNotExistWithItsExtension) {
  testing::qtApplication();
  QtWindowPort port;
  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    dialog.setDirectory(QString::fromStdString(dir.path()));
    dialog.selectFile("new");
    static_cast<QDialog&>(dialog).accept();  // the OK button
  });
  EXPECT_EQ(port.openDialog(DialogKind::kOpenMode), dir.file("new.vqn"));
  whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(port.openDialog(DialogKind::kOpenProgram), std::nullopt);
}

}  // namespace
}  // namespace led2vqn::gui
