// The window's list as the tests read it: a row or cell that is missing (a
// directory entry dropped, a status never written) fails the test instead
// of crashing it, and reads as "<no row R>" or "<no cell R,C>".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/file_list.h"

namespace gt7p {
namespace test {

// Column 0 is the caption, column c > 0 sub-item c - 1 (1 the status).
inline std::string Cell(const FileListModel& m, int row, int column) {
  if (row < 0 || row >= m.RowCount()) {
    ADD_FAILURE() << "no row " << row << " in a list of " << m.RowCount();
    return "<no row " + std::to_string(row) + ">";
  }
  const ListRow& r = m.Row(row);
  if (column == 0) return r.caption;
  if (column < 0 || static_cast<size_t>(column - 1) >= r.subItems.size()) {
    ADD_FAILURE() << "no column " << column << " in row " << row << " of " << r.subItems.size() + 1 << " cells";
    return "<no cell " + std::to_string(row) + "," + std::to_string(column) + ">";
  }
  return r.subItems[static_cast<size_t>(column - 1)];
}

// Every row's cell of one column, in list order.
inline std::vector<std::string> ColumnCells(const FileListModel& m, int column) {
  std::vector<std::string> cells;
  for (int r = 0; r < m.RowCount(); ++r) cells.push_back(Cell(m, r, column));
  return cells;
}

}  // namespace test
}  // namespace gt7p
