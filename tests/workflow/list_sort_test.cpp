#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "base/cp936.h"
#include "workflow/list_sort.h"

namespace gt7p {
namespace {

std::string G(const char* utf8) { return Utf8ToCp936(utf8); }

ListRow Row(const std::string& caption, std::vector<std::string> sub) { return ListRow{caption, std::move(sub), 5}; }

std::vector<std::string> SortedBy(std::vector<ListRow> rows, int column, int tag, bool numeric) {
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const ListRow& a, const ListRow& b) { return CompareListRows(a, b, column, tag, numeric) < 0; });
  std::vector<std::string> cells;
  for (const ListRow& r : rows) cells.push_back(column == 0 ? r.caption : r.subItems[static_cast<size_t>(column - 1)]);
  return cells;
}

TEST(ListText, BytesWithLettersFolded) {
  EXPECT_EQ(CompareListText("abc.x", "ABC.X"), 0);
  EXPECT_LT(CompareListText("AB", "ABC"), 0);           // a prefix sorts first
  EXPECT_EQ(CompareListText("ABC", "AB"), 1);           // by the length difference
  EXPECT_EQ(CompareListText("a", "c"), 'A' - 'C');      // the byte difference
  EXPECT_GT(CompareListText("_", "a"), 0);              // "_" sorts after the folded "A"
  EXPECT_LT(CompareListText(G("煤"), G("岩")), 0);      // code page 936 byte order
  EXPECT_GT(CompareListText("\xB0\xA1", "\x7A"), 0);    // bytes compare unsigned
}

TEST(ListRows, NumericAndTextColumns) {
  std::vector<ListRow> rows = {Row("A", {" ", "900"}), Row("B", {" ", "1000"}), Row("C", {" ", "80"})};
  EXPECT_EQ(SortedBy(rows, 2, 0, true), (std::vector<std::string>{"80", "900", "1000"}));
  EXPECT_EQ(SortedBy(rows, 2, -1, true), (std::vector<std::string>{"1000", "900", "80"}));
  EXPECT_EQ(SortedBy(rows, 2, 0, false), (std::vector<std::string>{"1000", "80", "900"}));
  // A cell that is no integer counts as 0; extreme values do not overflow.
  std::vector<ListRow> odd = {Row("A", {" ", "2147483647"}), Row("B", {" ", "x"}), Row("C", {" ", "-2147483648"})};
  EXPECT_EQ(SortedBy(odd, 2, 0, true), (std::vector<std::string>{"-2147483648", "x", "2147483647"}));
}

TEST(ListRows, ClampingTagsAndMissingSubItems) {
  ListRow a = Row("a", {" ", "xyz"}), b = Row("B", {" ", "abc"});
  EXPECT_EQ(CompareListRows(a, b, 2, 0, false), 1);  // clamped
  EXPECT_EQ(CompareListRows(a, b, 2, -1, false), -1);
  EXPECT_EQ(CompareListRows(a, b, 0, 0, false), 'A' - 'B');  // the caption is not clamped
  EXPECT_EQ(CompareListRows(a, b, 0, -1, false), 'B' - 'A');
  ListRow shorter = Row("c", {" "});
  EXPECT_EQ(CompareListRows(shorter, a, 2, 0, false), -1);   // fewer sub-items
  EXPECT_EQ(CompareListRows(shorter, a, 2, 1, true), -1);
}

TEST(ListCaptions, SortMarksAndNumericNames) {
  EXPECT_EQ(CaptionWithoutMark(G("字节数量↓")), G("字节数量"));
  EXPECT_EQ(CaptionWithoutMark(G("道数↑")), G("道数"));
  EXPECT_EQ(CaptionWithoutMark(G("道数")), G("道数"));
  EXPECT_EQ(CaptionWithoutMark(G("a↑b")), G("a↑"));  // drops the last character, whatever it is
  for (const char* name : {"字节数量", "道数", "采样点数", "超前采样点数"}) EXPECT_TRUE(IsNumericCaption(G(name))) << name;
  for (const char* name : {"探测时间", "　状态　", "原始文件名称", ""}) EXPECT_FALSE(IsNumericCaption(G(name))) << name;
}

}  // namespace
}  // namespace gt7p
