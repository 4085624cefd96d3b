// The project table: the grid of program files one batch converts.
//
// Row 0 holds the column headers, column 0 the row labels (" File 1", ...).
// Rows 1 .. rowCount() - 1 hold one program file each; columns 1 .. 5 are
// the path, frame count, ports, pixel count and frame length as decimal text.
// A blank cell holds a single space. Columns 4 and 5 are never drawn.
//
// The "2 ports" flags belong to grid positions, not to files: moving rows
// never moves a flag.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/card_writer.hpp"

namespace led2vqn {

inline constexpr int kMaxFiles = 16;
inline constexpr int kGridRows = 512;        // rows and columns that hold cells
inline constexpr int kTwoPortFlagCount = 30;
inline constexpr int32_t kTwoPortsOn = 10;   // TwoPortFlag of a checked box
inline const std::string kBlankCell = " ";

class ProjectTable {
 public:
  ProjectTable();

  // The empty state: row count 2, FileCount 0, every cell " ", every flag 0.
  void reset();

  int rowCount() const { return static_cast<int>(rows_.size()) + 1; }  // header row included
  int fileCount() const { return fileCount_; }
  int selectedRow() const { return selected_; }
  // REQUIRES: 1 <= row < rowCount().
  void select(int row);

  // Header texts of row 0 (columns 0 .. 3) and the label prefix of column 0.
  void setLanguageTexts(const std::array<std::string, 4>& header, const std::string& labelPrefix);

  // The text of any cell, rows 0 .. 512, columns 0 .. 512.
  std::string cell(int row, int column) const;
  // Columns 1 .. 5 of row `row`. REQUIRES: 1 <= row < rowCount().
  RowCells rowCells(int row) const;

  // True when column 1 of some row equals `path` exactly.
  bool holdsPath(const std::string& path) const;

  // Enters a file: into the blank row 1 of the empty state, otherwise as a
  // new row directly below the selected one, which is then selected.
  // FileCount goes up by one.
  void placeFile(const RowCells& cells);

  // Removes the selected row (the rows below move up; the selection keeps
  // its number or moves to the new last row), or, with one row left, blanks
  // row 1 and returns to the empty state. Returns true in the second case.
  bool deleteSelected();

  // Frame count of row 1 as an integer; nullopt when the cell is no integer.
  std::optional<int32_t> framesOfFirstRow() const;

  // TwoPortFlag r, r = 0 .. 29 (0 outside).
  int32_t twoPortFlag(int r) const;
  void setTwoPortFlag(int r, int32_t value);

  // The ports written to a card for row r: 2 when TwoPortFlag r is above 1
  // and the row has more than 2 ports, else the row's ports. nullopt when
  // the ports cell is no integer.
  std::optional<int32_t> portsUsed(int row) const;

 private:
  std::vector<RowCells> rows_;  // rows 1 .. rowCount() - 1
  int fileCount_ = 0;
  int selected_ = 1;
  std::array<std::string, 4> header_;
  std::string labelPrefix_;
  std::array<int32_t, kTwoPortFlagCount> twoPortFlags_{};
};

// Column c (1 .. 5) of a row.
const std::string& rowCell(const RowCells& row, int column);

}  // namespace led2vqn
