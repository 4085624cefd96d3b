#include "project/project_table.hpp"

#include "base/decimal_text.hpp"

namespace led2vqn {
namespace {

RowCells blankRow() { return RowCells{kBlankCell, kBlankCell, kBlankCell, kBlankCell, kBlankCell}; }

}  // namespace

const std::string& rowCell(const RowCells& row, int column) {
  switch (column) {
    case 1: return row.path;
    case 2: return row.frames;
    case 3: return row.ports;
    case 4: return row.pixels;
    default: return row.frameLength;
  }
}

ProjectTable::ProjectTable() { reset(); }

void ProjectTable::reset() {
  rows_.assign(1, blankRow());
  fileCount_ = 0;
  selected_ = 1;
  twoPortFlags_.fill(0);
}

void ProjectTable::select(int row) {
  if (row >= 1 && row < rowCount()) selected_ = row;
}

void ProjectTable::setLanguageTexts(const std::array<std::string, 4>& header, const std::string& labelPrefix) {
  header_ = header;
  labelPrefix_ = labelPrefix;
}

std::string ProjectTable::cell(int row, int column) const {
  if (row == 0) return column >= 0 && column < 4 ? header_[column] : std::string();
  if (row < 0 || row > kGridRows || column < 0 || column > kGridRows) return std::string();
  if (column == 0) return labelPrefix_ + decimal(row);
  if (row < rowCount() && column <= 5) return rowCell(rows_[row - 1], column);
  return kBlankCell;
}

RowCells ProjectTable::rowCells(int row) const {
  if (row < 1 || row >= rowCount()) return blankRow();
  return rows_[row - 1];
}

bool ProjectTable::holdsPath(const std::string& path) const {
  for (const RowCells& r : rows_) {
    if (r.path == path) return true;
  }
  return false;
}

void ProjectTable::placeFile(const RowCells& cells) {
  if (rowCount() < 3 && fileCount_ == 0) {
    rows_[selected_ - 1] = cells;
  } else {
    rows_.insert(rows_.begin() + selected_, cells);
    ++selected_;
  }
  ++fileCount_;
}

bool ProjectTable::deleteSelected() {
  if (rowCount() > 2) {
    rows_.erase(rows_.begin() + (selected_ - 1));
    --fileCount_;
    if (selected_ >= rowCount()) selected_ = rowCount() - 1;
    return false;
  }
  fileCount_ = 0;
  selected_ = 1;
  rows_[0] = blankRow();
  return true;
}

std::optional<int32_t> ProjectTable::framesOfFirstRow() const { return parseInteger(rows_[0].frames); }

int32_t ProjectTable::twoPortFlag(int r) const {
  return r >= 0 && r < kTwoPortFlagCount ? twoPortFlags_[r] : 0;
}

void ProjectTable::setTwoPortFlag(int r, int32_t value) {
  if (r >= 0 && r < kTwoPortFlagCount) twoPortFlags_[r] = value;
}

std::optional<int32_t> ProjectTable::portsUsed(int row) const {
  const std::optional<int32_t> ports = parseInteger(rowCells(row).ports);
  if (!ports) return std::nullopt;
  return twoPortFlag(row) > 1 && *ports > 2 ? 2 : *ports;
}

}  // namespace led2vqn
