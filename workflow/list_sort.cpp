#include "workflow/list_sort.h"

#include <algorithm>
#include <numeric>

#include "base/cp936.h"
#include "base/text.h"

namespace gt7p {

int CompareListText(const std::string& a, const std::string& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    // Every byte is folded, trail bytes too.
    const int x = static_cast<unsigned char>(UpperAscii(a[i])), y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x - y;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool IsNumericCaption(const std::string& captionWithoutMark) {
  static const std::string numeric = Utf8ToCp936("字节数量*道数*采样点数*超前采样点数");
  return !captionWithoutMark.empty() && numeric.find(captionWithoutMark) != std::string::npos;
}

int lvwCompare(const ListRow& row1, const ListRow& row2, int sortColumn, int tag, bool numericColumn) {
  int result;
  if (sortColumn == 0) {
    result = CompareListText(row1.caption, row2.caption);
  } else {
    const size_t k = static_cast<size_t>(sortColumn - 1);
    int64_t r = static_cast<int64_t>(row1.subItems.size()) - static_cast<int64_t>(row2.subItems.size());
    if (k < row1.subItems.size() && k < row2.subItems.size()) {
      if (numericColumn)
        r = static_cast<int64_t>(StrToIntDef(row1.subItems[k], 0)) - StrToIntDef(row2.subItems[k], 0);
      else
        r = CompareListText(row1.subItems[k], row2.subItems[k]);
    }
    result = r > 0 ? 1 : (r < 0 ? -1 : 0);
  }
  return tag != 0 ? result * tag : result;
}

std::vector<size_t> SortOrder(const std::vector<ListRow>& rows, int sortColumn, int tag, bool numericColumn) {
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return lvwCompare(rows[a], rows[b], sortColumn, tag, numericColumn) < 0;
  });
  return order;
}

std::string CaptionWithoutMark(const std::string& caption) {
  static const std::string up = Utf8ToCp936("↑"), down = Utf8ToCp936("↓");
  if (caption.find(up) == std::string::npos && caption.find(down) == std::string::npos) return caption;
  // Drop the last character, which may be one byte or a double-byte pair.
  size_t last = 0;
  for (size_t i = 0; i < caption.size(); i += CharLength(caption, i)) last = i;
  return caption.substr(0, last);
}

ListSortState::Click ListSortState::ColumnClick(int column, std::vector<ListColumn>& columns) {
  static const std::string up = Utf8ToCp936("↑"), down = Utf8ToCp936("↓");
  Click click;
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return click;
  PrevSortColumn = SortColumn;
  SortColumn = column;
  ListColumn& clicked = columns[static_cast<size_t>(column)];
  click.column = column;
  click.tag = clicked.tag;
  click.numeric = IsNumericCaption(CaptionWithoutMark(clicked.caption));
  clicked.tag = clicked.tag == 0 ? -1 : -clicked.tag;
  if (PrevSortColumn != SortColumn && PrevSortColumn >= 0 && static_cast<size_t>(PrevSortColumn) < columns.size()) {
    ListColumn& previous = columns[static_cast<size_t>(PrevSortColumn)];
    previous.caption = CaptionWithoutMark(previous.caption);
    click.changed.push_back(PrevSortColumn);
  }
  clicked.caption = CaptionWithoutMark(clicked.caption) + (clicked.tag == 1 ? up : down);
  click.changed.push_back(column);
  return click;
}

}  // namespace gt7p
