#pragma once
// A toolkit-free table: rows of cell texts and a count of fixed (header) rows.
// Model code fills it; the windows copy it into their table widgets.
#include <string>
#include <vector>

class TextGrid {
public:
  // Rows[row][col]; every row has ColCount cells.
  std::vector<std::vector<std::string>> Rows;
  int ColCount = 0;
  int FixedRows = 0;

  int RowCount() const { return static_cast<int>(Rows.size()); }

  // Sets the size, keeping the texts of the cells that stay and emptying new
  // ones. Negative sizes count as 0.
  void Resize(int rowCount, int colCount);

  // Empty text for a cell outside the grid.
  const std::string &Cell(int row, int col) const;
  // Ignored for a cell outside the grid.
  void SetCell(int row, int col, std::string text);

  // Empties all cells, keeping the size.
  void ClearCells();
};
