// The preview of a row: a player over the program's frames and, once a batch
// wrote the row's card, the card with its verdict; previewing changes no byte.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>

#include <fstream>

#include "cli/cli_runner.hpp"
#include "gui/gui_fixture.hpp"
#include "gui/preview_dialog.hpp"

namespace led2vqn {
namespace {

using C = ControlId;
using testing::cards;
using testing::exampleFolder;
using testing::waitFor;
using PreviewTest = testing::WindowTest;

TEST_F(PreviewTest, PreviewShowsProgramAndCardAndConvertingAfterItGivesTheSameBytes) {
  const std::string gui = exampleFolder(dir.file("gui"));
  open(gui);
  add(gui + "/spring.led");
  add(gui + "/autumn.led");
  EXPECT_EQ(window->previewRow(3), nullptr);  // no such row

  gui::PreviewDialog* before = window->previewRow(1);
  ASSERT_NE(before, nullptr);
  EXPECT_EQ(before->tabs()->count(), 1);  // no card yet
  EXPECT_EQ(before->slider()->maximum(), 23);
  before->slider()->setValue(5);
  EXPECT_EQ(before->frameLabel()->text(), "Frame 6 of 24");
  before->playButton()->click();
  EXPECT_TRUE(waitFor([&] { return before->slider()->value() != 5; }));
  before->close();

  click(C::kOutputZ58Button);
  runBatch();
  QTableWidget* grid = window->grid();
  const QPoint row2 = grid->visualItemRect(grid->item(1, 1)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, row2);  // a double click begins with a click
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, row2);
  const auto opened = window->findChildren<gui::PreviewDialog*>();
  ASSERT_EQ(opened.size(), 1);
  ASSERT_EQ(opened.front()->tabs()->count(), 2);
  EXPECT_TRUE(opened.front()->verdict()->text().contains("match")) << opened.front()->verdict()->text().toStdString();
  EXPECT_TRUE(opened.front()->windowTitle().contains("autumn.led"));
  click(C::kOutputZ71RgbButton);
  runBatch();

  const std::string cli = exampleFolder(dir.file("cli"));
  std::ofstream(cli + "/actions.txt") << "add spring.led\nadd autumn.led\noutput z58\noutput z71rgb\n";
  const testing::CliResult r = testing::runCli(cli, "run actions.txt --settings Gcode.sdc");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(cards(gui).size(), 4u);
  EXPECT_EQ(cards(gui), cards(cli));
}

}  // namespace
}  // namespace led2vqn
