// The batch converting rows on its own thread: the window stays live, a
// person's actions wait for the row's end, Cancel stops between frames.
#include <QAbstractButton>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "cli/cli_runner.hpp"
#include "gui/gui_fixture.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using testing::cards;
using testing::exampleFolder;
using testing::waitFor;

// Holds the first card's conversion before frame `at` until released.
class FramePause {
 public:
  explicit FramePause(int32_t at) : at_(at) {}
  std::function<void(int32_t)> hook() {
    return [this](int32_t frame) {
      std::unique_lock<std::mutex> lock(m_);
      if (frame != at_ || reached_) return;
      reached_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_; });
    };
  }
  bool reached() {
    std::lock_guard<std::mutex> lock(m_);
    return reached_;
  }
  void release() {
    std::lock_guard<std::mutex> lock(m_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable changed_;
  int32_t at_;
  bool reached_ = false;
  bool released_ = false;
};

class BatchThreadTest : public testing::WindowTest {
 protected:
  // Opens the window on a folder with the examples, adds them, clicks an output
  // button and waits until the first card is held before frame 3.
  void startPaused(const std::vector<std::string>& files, C output) {
    folder = exampleFolder(dir.file("gui"));
    open(folder);
    for (const std::string& f : files) add(folder + "/" + f);
    window->setFrameHook(pause.hook());
    click(output);
    ASSERT_TRUE(waitFor([this] { return pause.reached(); }));
  }

  FramePause pause{3};
  std::string folder;
};

TEST_F(BatchThreadTest, WindowKeepsRunningItsEventLoopWhileARowConverts) {
  startPaused({"spring.led", "autumn.led"}, C::kOutputZ58Button);
  int ticks = 0;
  QTimer counter;
  QObject::connect(&counter, &QTimer::timeout, [&] { ++ticks; });
  counter.start(1);
  EXPECT_TRUE(waitFor([&] { return ticks >= 20; }));
  EXPECT_TRUE(window->converting());
  EXPECT_EQ(window->grid()->currentRow(), 0);  // the row being converted is highlighted
  EXPECT_TRUE(window->cancelButton()->isVisible());
  EXPECT_FALSE(widget(C::kAddButton)->isEnabled());
  pause.release();
  runBatch();
  EXPECT_FALSE(window->cancelButton()->isVisible());
  EXPECT_EQ(cards(folder).size(), 2u);
}

TEST_F(BatchThreadTest, LanguageClickDuringARowIsHandedToTheModelAfterIt) {
  startPaused({"autumn.led", "spring.led"}, C::kOutputZ58Button);
  click(C::kChineseRadio);
  QCoreApplication::processEvents();
  EXPECT_EQ(window->windowTitle(), "LED TO VQN V3.70(test)-202005");  // not yet: the row still converts
  pause.release();
  runBatch();
  EXPECT_EQ(window->windowTitle(), "LED 动感灯箱专用软件 V3.70(测试版)-202005");
  ASSERT_EQ(port.messages, std::vector<std::string>{"数据转换完成！"});

  const std::string cli = exampleFolder(dir.file("cli"));
  std::ofstream(cli + "/actions.txt") << "add autumn.led\nadd spring.led\nlanguage zh\noutput z58\n";
  const testing::CliResult r = testing::runCli(cli, "run actions.txt --settings Gcode.sdc");
  EXPECT_EQ(r.out, "数据转换完成！\n") << r.err;
  EXPECT_EQ(cards(folder), cards(cli));
}

TEST_F(BatchThreadTest, CancelBetweenFramesKeepsTheOldCardAndWritesNothing) {
  folder = exampleFolder(dir.file("gui"));
  open(folder);
  add(folder + "/spring.led");
  click(C::kOutputZ94Button);
  runBatch();
  const auto before = cards(folder);
  ASSERT_EQ(before.size(), 1u);
  std::filesystem::remove(folder + "/Readme.txt");
  port.messages.clear();

  window->setFrameHook(pause.hook());
  click(C::kOutputZ94Button);
  ASSERT_TRUE(waitFor([this] { return pause.reached(); }));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  pause.release();
  runBatch();
  EXPECT_EQ(cards(folder), before);
  std::vector<std::string> names, kept{"Gcode.sdc", "autumn.led", "spring.led", before.begin()->first};
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names, kept);  // no temporary file, no readme
  EXPECT_EQ(port.messages, std::vector<std::string>{"Conversion cancelled! No Readme.txt was written."});
  EXPECT_TRUE(widget(C::kAddButton)->isEnabled());
  EXPECT_FALSE(window->cancelButton()->isVisible());
}

}  // namespace
}  // namespace led2vqn
