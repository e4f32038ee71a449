// The sort rule of the file list without a list: lvwCompare and what a
// click on a column header does to the sort state.
#include <gtest/gtest.h>

#include <climits>

#include "tests/support/files.h"
#include "workflow/list_sort.h"

namespace gt7p {
namespace {

using test::G;

ListRow Row(const std::string& caption, std::vector<std::string> sub) { return ListRow{caption, std::move(sub), 5, 0}; }

std::vector<std::string> SortedBy(const std::vector<ListRow>& rows, int column, int tag, bool numeric) {
  std::vector<std::string> cells;
  for (size_t r : SortOrder(rows, column, tag, numeric))
    cells.push_back(column == 0 ? rows[r].caption : rows[r].subItems[static_cast<size_t>(column - 1)]);
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
  // Equal rows keep their order.
  EXPECT_EQ(SortedBy({Row("b", {}), Row("B", {}), Row("a", {})}, 0, 0, false),
            (std::vector<std::string>{"a", "b", "B"}));
}

TEST(ListRows, ClampingTagsAndMissingSubItems) {
  ListRow a = Row("a", {" ", "xyz"}), b = Row("B", {" ", "abc"});
  EXPECT_EQ(lvwCompare(a, b, 2, 0, false), 1);  // clamped
  EXPECT_EQ(lvwCompare(a, b, 2, -1, false), -1);
  EXPECT_EQ(lvwCompare(a, b, 0, 0, false), 'A' - 'B');  // the caption is not clamped
  EXPECT_EQ(lvwCompare(a, b, 0, -1, false), 'B' - 'A');
  ListRow shorter = Row("c", {" "});
  EXPECT_EQ(lvwCompare(shorter, a, 2, 0, false), -1);  // fewer sub-items
  EXPECT_EQ(lvwCompare(shorter, a, 2, 1, true), -1);
}

TEST(ListCaptions, SortMarksAndNumericNames) {
  EXPECT_EQ(CaptionWithoutMark(G("字节数量↓")), G("字节数量"));
  EXPECT_EQ(CaptionWithoutMark(G("道数")), G("道数"));
  EXPECT_EQ(CaptionWithoutMark(G("a↑b")), G("a↑"));  // drops the last character, whatever it is
  for (const char* name : {"字节数量", "道数", "采样点数", "超前采样点数"}) EXPECT_TRUE(IsNumericCaption(G(name))) << name;
  for (const char* name : {"探测时间", "　状态　", "原始文件名称", ""}) EXPECT_FALSE(IsNumericCaption(G(name))) << name;
}

std::vector<ListColumn> Columns(std::initializer_list<const char*> captions) {
  std::vector<ListColumn> columns;
  for (const char* c : captions) columns.push_back(ListColumn{G(c), 0});
  return columns;
}

std::vector<std::string> Captions(const std::vector<ListColumn>& columns) {
  std::vector<std::string> captions;
  for (const ListColumn& c : columns) captions.push_back(c.caption);
  return captions;
}

TEST(ColumnClick, DirectionsMarksAndState) {
  ListSortState state;
  std::vector<ListColumn> columns = Columns({"原始文件名称", "　状态　", "字节数量", "探测时间"});
  struct Step {
    int column;
    int sortTag;     // the Tag the rows are sorted with
    bool numeric;
    std::vector<int> changed;
    std::vector<const char*> captions;
  };
  const Step steps[] = {
      {2, 0, true, {2}, {"原始文件名称", "　状态　", "字节数量↓", "探测时间"}},
      {2, -1, true, {2}, {"原始文件名称", "　状态　", "字节数量↑", "探测时间"}},
      {3, 0, false, {2, 3}, {"原始文件名称", "　状态　", "字节数量", "探测时间↓"}},
      // The column goes on from where it stood: Tag 1, ascending again.
      {2, 1, true, {3, 2}, {"原始文件名称", "　状态　", "字节数量↓", "探测时间"}},
  };
  int previous = -1;
  for (const Step& step : steps) {
    const ListSortState::Click click = state.ColumnClick(step.column, columns);
    EXPECT_EQ(click.column, step.column);
    EXPECT_EQ(click.tag, step.sortTag) << step.column;
    EXPECT_EQ(click.numeric, step.numeric);
    EXPECT_EQ(click.changed, step.changed);
    std::vector<std::string> want;
    for (const char* c : step.captions) want.push_back(G(c));
    EXPECT_EQ(Captions(columns), want);
    EXPECT_EQ(state.SortColumn, step.column);
    EXPECT_EQ(state.PrevSortColumn, previous);
    previous = step.column;
  }
}

TEST(ColumnClick, NewListingAndColumnsThatAreGone) {
  ListSortState state;
  std::vector<ListColumn> columns = Columns({"原始文件名称", "　状态　", "字节数量", "探测时间"});
  state.ColumnClick(3, columns);
  // A listing with fewer columns: fresh Tags, the state stays; the old
  // previous column no longer exists and is passed over.
  columns = Columns({"原始文件名称", "　状态　"});
  const ListSortState::Click click = state.ColumnClick(0, columns);
  EXPECT_EQ(click.tag, 0);  // ascending, whatever the column was before
  EXPECT_EQ(click.changed, std::vector<int>{0});
  EXPECT_EQ(state.PrevSortColumn, 3);
  EXPECT_EQ(Captions(columns), (std::vector<std::string>{G("原始文件名称↓"), G("　状态　")}));
  EXPECT_EQ(state.ColumnClick(2, columns).column, -1);  // no such column: nothing changes
  EXPECT_EQ(state.SortColumn, 0);
}

}  // namespace
}  // namespace gt7p
