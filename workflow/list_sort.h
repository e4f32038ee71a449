// Row order of the file list: the comparison behind a click on a column
// header. No Qt here, so the rule is testable on its own.
#pragma once

#include <string>
#include <vector>

namespace gt7p {

// Code page 936 bytes compared as unsigned values with a-z mapped onto A-Z:
// the difference of the first differing bytes, else the difference of the
// lengths (a prefix sorts first).
int CompareListText(const std::string& a, const std::string& b);

// Columns whose caption, without its sort mark, occurs in
// "字节数量*道数*采样点数*超前采样点数" compare as integers.
bool IsNumericCaption(const std::string& captionWithoutMark);

struct ListRow {
  std::string caption;
  std::vector<std::string> subItems;  // sub-item 0 is the status cell
  int imageIndex = -1;
};

// lvwCompare: rows by column `sortColumn` (0 the caption, c > 0 sub-item
// c - 1), times `tag` when it is not 0. Sub-item results are clamped to
// -1, 0, 1; numeric differences are computed without overflow.
int CompareListRows(const ListRow& a, const ListRow& b, int sortColumn, int tag, bool numericColumn);

// Drops a trailing "↑" or "↓" from a caption that contains either mark.
std::string CaptionWithoutMark(const std::string& caption);

}  // namespace gt7p
