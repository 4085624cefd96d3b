// The pictures of docs/ that show the window at work, written only by
// `./run screenshots` (LED2VQN_SCREENSHOTS=<folder>, on a virtual X display).
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include <condition_variable>
#include <mutex>

#include "gui/gui_fixture.hpp"
#include "gui/preview_dialog.hpp"
#include "gui/qt_window_port.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using testing::kExamples;
using testing::waitFor;

class Screenshots : public testing::WindowTest {
 protected:
  void SetUp() override {
    const char* out = std::getenv("LED2VQN_SCREENSHOTS");
    if (out == nullptr) GTEST_SKIP() << "pictures only for ./run screenshots";
    target = QString::fromLocal8Bit(out);
    // A folder of a stable name, so that the paths in the pictures stay the same.
    shows = QDir::tempPath().toStdString() + "/led2vqn-shows";
    std::filesystem::remove_all(shows);
    testing::exampleFolder(shows);
  }
  void TearDown() override {
    window.reset();
    if (!shows.empty()) std::filesystem::remove_all(shows);
  }
  void save(const QImage& picture, const char* name) { EXPECT_TRUE(picture.save(target + "/" + name)); }

  QString target;
  std::string shows;
};

TEST_F(Screenshots, ConversionHalfWay) {
  open(shows);
  add(shows + "/spring.led");  // 24 frames: the bar counts tens of frames, 0 .. 2
  add(shows + "/autumn.led");
  std::mutex m;
  std::condition_variable go;
  bool released = false;
  window->setFrameHook([&](int32_t frame) {
    std::unique_lock<std::mutex> lock(m);
    if (frame == 13) go.wait(lock, [&] { return released; });
  });
  click(C::kOutputZ71RgbButton);
  auto* bar = static_cast<QProgressBar*>(widget(C::kProgressBar));
  ASSERT_TRUE(waitFor([&] { return bar->value() == 1 && bar->maximum() == 2; }));
  QTest::qWait(100);
  save(window->grab().toImage(), "window-converting.png");
  {
    std::lock_guard<std::mutex> lock(m);
    released = true;
  }
  go.notify_all();
  runBatch();
}

TEST_F(Screenshots, SixteenRowsScrolled) {
  open(shows);
  for (int k = 1; k <= 16; ++k) {
    const std::string name = shows + "/show" + std::to_string(10 + k) + ".led";
    std::filesystem::copy_file(kExamples + (k % 3 == 0 ? "autumn.led" : "spring.led"), name);
    add(name);
  }
  click(twoPortsBoxId(12));
  QScrollBar* bar = window->grid()->verticalScrollBar();
  bar->setValue(bar->maximum());
  QCoreApplication::processEvents();
  save(window->grab().toImage(), "window-16-rows.png");
}

// The whole screen (run on a 1366 x 768 display): the window fits.
TEST_F(Screenshots, WholeLaptopScreen) {
  open(shows);
  add(shows + "/spring.led");
  window->move(0, 0);
  QTest::qWait(200);
  save(window->screen()->grabWindow(0).toImage(), "screen-1366x768.png");
}

TEST_F(Screenshots, ChineseFileDialog) {
  open(shows);
  click(C::kChineseRadio);
  QFileDialog dialog(window.get());
  gui::configureOpenDialog(dialog, DialogKind::kOpenProgram);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDirectory(QString::fromStdString(shows));
  dialog.setWindowModality(Qt::NonModal);
  dialog.resize(760, 460);
  dialog.show();
  QTest::qWait(300);
  save(dialog.grab().toImage(), "file-dialog-zh.png");
}

TEST_F(Screenshots, PreviewOfARowAndItsCard) {
  open(shows);
  add(shows + "/spring.led");
  click(C::kOutputZ58Button);
  runBatch();
  gui::PreviewDialog* dialog = window->previewRow(1);
  ASSERT_NE(dialog, nullptr);
  dialog->slider()->setValue(11);
  QTest::qWait(200);
  save(dialog->grab().toImage(), "window-preview.png");
  dialog->tabs()->setCurrentIndex(1);
  QTest::qWait(200);
  save(dialog->grab().toImage(), "window-preview-card.png");
}

}  // namespace
}  // namespace led2vqn
