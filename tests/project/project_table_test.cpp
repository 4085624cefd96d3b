#include "project/project_table.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

RowCells file(const std::string& name, const std::string& ports = "1") {
  return RowCells{"/f/" + name, "10", ports, "100", "1024"};
}

class ProjectTableTest : public ::testing::Test {
 protected:
  ProjectTableTest() { table.setLanguageTexts({" Files ", " File path", " Frames", " Ports"}, " File "); }

  // Files A, B, C in rows 1, 2, 3 (each added below the last).
  void threeFiles() {
    for (const char* n : {"A", "B", "C"}) table.placeFile(file(n));
  }

  ProjectTable table;
};

TEST_F(ProjectTableTest, StartsEmptyWithOneBlankRow) {
  EXPECT_EQ(table.rowCount(), 2);
  EXPECT_EQ(table.fileCount(), 0);
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(table.cell(1, c), " ");
  EXPECT_EQ(table.cell(512, 512), " ");
  EXPECT_EQ(table.cell(0, 2), " Frames");
}

TEST_F(ProjectTableTest, FirstFileFillsRowOneThenFilesGoBelowTheSelection) {
  table.placeFile(file("A"));
  EXPECT_EQ(table.rowCount(), 2);
  EXPECT_EQ(table.cell(1, 1), "/f/A");
  table.placeFile(file("B"));
  table.placeFile(file("C"));
  table.select(1);
  table.placeFile(file("D"));
  EXPECT_EQ(table.rowCount(), 5);
  EXPECT_EQ(table.fileCount(), 4);
  EXPECT_EQ(table.selectedRow(), 2);
  EXPECT_EQ(table.cell(2, 1), "/f/D");
  EXPECT_EQ(table.cell(3, 1), "/f/B");
  EXPECT_EQ(table.cell(4, 1), "/f/C");
}

TEST_F(ProjectTableTest, DeletingAMiddleRowMovesTheRowsBelowUpAndRelabelsThem) {
  threeFiles();
  table.select(2);
  EXPECT_FALSE(table.deleteSelected());
  EXPECT_EQ(table.rowCount(), 3);
  EXPECT_EQ(table.cell(2, 1), "/f/C");
  EXPECT_EQ(table.cell(2, 0), " File 2");
  EXPECT_EQ(table.selectedRow(), 2);
  EXPECT_EQ(table.cell(3, 1), " ");  // beyond the row count
  EXPECT_EQ(table.cell(300, 0), " File 300");
}

TEST_F(ProjectTableTest, DeletingTheLastRowSelectsTheNewLastRow) {
  threeFiles();
  table.select(3);
  table.deleteSelected();
  EXPECT_EQ(table.selectedRow(), 2);
}

TEST_F(ProjectTableTest, PortsUsedIsTwoOnlyForWiderFilesWithTheFlag) {
  table.placeFile(file("A", "2"));
  table.placeFile(file("B", "3"));
  table.setTwoPortFlag(1, kTwoPortsOn);
  table.setTwoPortFlag(2, kTwoPortsOn);
  EXPECT_EQ(table.portsUsed(1), 2);
  EXPECT_EQ(table.portsUsed(2), 2);
  table.setTwoPortFlag(2, 1);  // a flag of 1 is not "above 1"
  EXPECT_EQ(table.portsUsed(2), 3);
}

}  // namespace
}  // namespace led2vqn
