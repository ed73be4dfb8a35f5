#include "core/text_grid.h"

#include <algorithm>

void TextGrid::Resize(int rowCount, int colCount) {
  rowCount = std::max(rowCount, 0);
  colCount = std::max(colCount, 0);
  Rows.resize(static_cast<std::size_t>(rowCount));
  for (auto &row : Rows)
    row.resize(static_cast<std::size_t>(colCount));
  ColCount = colCount;
  FixedRows = std::min(FixedRows, rowCount);
}

const std::string &TextGrid::Cell(int row, int col) const {
  static const std::string empty;
  if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount)
    return empty;
  return Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TextGrid::SetCell(int row, int col, std::string text) {
  if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount)
    return;
  Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = std::move(text);
}

void TextGrid::ClearCells() {
  for (auto &row : Rows)
    for (auto &cell : row)
      cell.clear();
}
