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

using QtPort = support::TempDirTest;

TEST_F(QtPort, OpenDialogsFilterTheirKindAndTheModeFileNeedNotExist) {
  testing::qtApplication();
  QFileDialog program, mode;
  configureOpenDialog(program, DialogKind::kOpenProgram);
  EXPECT_EQ(program.nameFilters(), QStringList{"*.led (*.led)"});
  EXPECT_EQ(program.fileMode(), QFileDialog::ExistingFile);
  configureOpenDialog(mode, DialogKind::kOpenMode);
  EXPECT_EQ(mode.nameFilters(), QStringList{"*.vqn (*.vqn)"});
  EXPECT_EQ(mode.fileMode(), QFileDialog::AnyFile);

  QtWindowPort port;
  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    dialog.setDirectory(QString::fromStdString(dir.path()));
    dialog.selectFile("new");
    static_cast<QDialog&>(dialog).accept();  // the OK button
  });
  EXPECT_EQ(port.openDialog(DialogKind::kOpenMode), dir.file("new.vqn"));  // the default extension
  whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(port.openDialog(DialogKind::kOpenProgram), std::nullopt);
}

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

}  // namespace
}  // namespace led2vqn::gui
