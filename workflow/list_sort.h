// The file list's sort rule without a list: the sort state (SortColumn,
// PrevSortColumn, each column's Tag and sort mark) as lvwColumnClick moves
// it, and the row comparison lvwCompare. Texts are code page 936.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gt7p {

// A row's identity: it stays with the row when the list is re-sorted.
using RowId = uint64_t;

struct ListRow {
  std::string caption;
  std::vector<std::string> subItems;  // sub-item 0 is the status cell
  int imageIndex = -1;
  RowId id = 0;
};

struct ListColumn {
  std::string caption;  // with the sort mark, when it has one
  int tag = 0;          // sort direction mark: 0 not clicked since made, then -1 or 1
};

// Code page 936 bytes compared as unsigned values with a-z mapped onto A-Z:
// the difference of the first differing bytes, else the difference of the
// lengths (a prefix sorts first).
int CompareListText(const std::string& a, const std::string& b);

// Columns whose caption, without its sort mark, occurs in
// "字节数量*道数*采样点数*超前采样点数" compare as integers.
bool IsNumericCaption(const std::string& captionWithoutMark);

// Rows by column `sortColumn` (0 the caption, c > 0 sub-item c - 1), times
// `tag` when it is not 0. Sub-item results are clamped to -1, 0, 1;
// numeric differences are computed without overflow.
int lvwCompare(const ListRow& row1, const ListRow& row2, int sortColumn, int tag, bool numericColumn);

// The rows' order after a sort by lvwCompare: element i is the row that
// goes to position i. Rows that compare equal keep their order.
std::vector<size_t> SortOrder(const std::vector<ListRow>& rows, int sortColumn, int tag, bool numericColumn);

// Drops a trailing "↑" or "↓" from a caption that contains either mark.
std::string CaptionWithoutMark(const std::string& caption);

// SortColumn and PrevSortColumn (-1 before the first click), and a click on
// a column header.
struct ListSortState {
  int SortColumn = -1;
  int PrevSortColumn = -1;

  // How to sort after a click, and which captions changed.
  struct Click {
    int column = -1;           // -1: the column does not exist, nothing changed
    int tag = 0;               // the clicked column's Tag before the click
    bool numeric = false;
    std::vector<int> changed;  // columns to fit again, in order
  };

  // lvwColumnClick on `columns` but for the sort itself: PrevSortColumn :=
  // SortColumn, SortColumn := column; the clicked Tag 0 becomes -1, else it
  // is negated; the previous column (when it differs and still exists)
  // loses its mark; the clicked one is marked "↑" for Tag 1, "↓" otherwise.
  Click ColumnClick(int column, std::vector<ListColumn>& columns);
};

}  // namespace gt7p
