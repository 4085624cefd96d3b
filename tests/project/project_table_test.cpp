#include "project/project_table.hpp"

#include <gtest/gtest.h>

namespace led2vqn {
namespace {

RowCells file(const std::string& name, const std::string& ports = "1") {
  return RowCells{"/f/" + name, "10", ports, "100", "1024"};
}

TEST(ProjectTable, DeletingAMiddleRowMovesTheRowsBelowUpAndRelabelsThem) {
  ProjectTable table;
  table.setLanguageTexts({" Files ", " File path", " Frames", " Ports"}, " File ");
  for (const char* n : {"A", "B", "C", "D"}) table.placeFile(file(n));
  table.select(2);
  EXPECT_FALSE(table.deleteSelected());
  EXPECT_EQ(table.rowCount(), 4);
  EXPECT_EQ(table.cell(2, 1), "/f/C");
  EXPECT_EQ(table.cell(2, 0), " File 2");
  EXPECT_EQ(table.cell(4, 1), " ");  // beyond the row count
  EXPECT_EQ(table.cell(300, 0), " File 300");
  EXPECT_EQ(table.selectedRow(), 2);
  table.select(3);
  table.deleteSelected();  // the last row: the new last row is selected
  EXPECT_EQ(table.selectedRow(), 2);
}

TEST(ProjectTable, PortsUsedIsTwoOnlyForWiderFilesWithTheFlagAboveOne) {
  ProjectTable table;
  table.placeFile(file("A", "2"));
  table.placeFile(file("B", "3"));
  table.setTwoPortFlag(1, kTwoPortsOn);
  table.setTwoPortFlag(2, 1);
  EXPECT_EQ(table.portsUsed(1), 2);
  EXPECT_EQ(table.portsUsed(2), 3);
  table.setTwoPortFlag(2, kTwoPortsOn);
  EXPECT_EQ(table.portsUsed(2), 2);
}

}  // namespace
}  // namespace led2vqn
