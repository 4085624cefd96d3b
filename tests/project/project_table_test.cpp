#include "project/project_table.hpp"

#include <gtest/gtest.h>

#include "project/readme.hpp"

namespace led2vqn {
namespace {

TEST(ProjectTable, DeletingAMiddleRowMovesTheRowsBelowUpAndRelabelsThem) {
  ProjectTable table;
  table.setLanguageTexts({" Files ", " File path", " Frames", " Ports"}, " File ");
  for (const char* n : {"A", "B", "C", "D"}) table.placeFile(RowCells{std::string("/f/") + n, "10", "1", "100", "1024"});
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

TEST(Readme, PathsKeepOnlyWhatGbkHolds) {
  EXPECT_EQ(toGbk("a\xF0\x9F\x98\x80" "b\xD6\xD0x"), "a?b??x");  // no GBK character, no UTF-8
  // The edges of UTF-8: U+07FF and U+10FFFF are one character each; C1 and F5 never lead one.
  EXPECT_EQ(toGbk("\xDF\xBF|\xF4\x8F\xBF\xBF|\xC1\xBF|\xF5\x80|\xE4\xB8\xAD"), "?|?|??|??|\xD6\xD0");
}

}  // namespace
}  // namespace led2vqn
