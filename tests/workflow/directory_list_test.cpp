// The directory's rows and columns without a link: the fields each shown
// column line gives, and where the window puts its status column, also in
// a list cut short by a line beyond the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "workflow/directory_list.h"

namespace gt7p {
namespace {

using test::G;

// The headers of the first `count` demo records.
std::vector<std::string> Headers(size_t count) {
  std::vector<std::string> headers;
  for (const sim::SurveyFile& file : sim::DemoSurveyFiles())
    if (headers.size() < count) headers.push_back(sim::MakeFileReply(file).substr(4, kHeaderRecordChars));
  return headers;
}

// Lines with the fields at these 0-based positions shown, `lines` long.
std::vector<bool> Shown(std::initializer_list<size_t> positions, size_t lines = 54) {
  std::vector<bool> shown(lines);
  for (size_t p : positions) shown.at(p) = true;
  return shown;
}

std::vector<std::string> Window(const DirectoryList& list) {
  std::vector<std::string> all = ListColumns(list);
  for (size_t r = 0; r < list.rows.size(); ++r)
    for (const std::string& cell : ListCells(list, r)) all.push_back(cell);
  return all;
}

TEST(DirectoryList, FieldsByLinePositionAndTheStatusColumnSecond) {
  const DirectoryList list = MakeDirectoryList(Headers(2), Shown({0, 2, 4}));
  EXPECT_TRUE(list.complete);
  EXPECT_EQ(list.captions, (std::vector<std::string>{G("原始文件名称"), G("字节数量"), G("探测时间")}));
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0][0], "ZS0001  .DAT");
  EXPECT_EQ(list.rows[0][2], G("2024年03月15日09:30:12"));
  EXPECT_EQ(ListColumns(list), (std::vector<std::string>{G("原始文件名称"), G("　状态　"), G("字节数量"), G("探测时间")}));
  EXPECT_EQ(ListCells(list, 1),
            (std::vector<std::string>{list.rows[1][0], " ", list.rows[1][1], list.rows[1][2]}));

  // One field: the status column after it.
  const DirectoryList one = MakeDirectoryList(Headers(1), Shown({2}));
  EXPECT_EQ(Window(one), (std::vector<std::string>{G("字节数量"), G("　状态　"), one.rows[0][0], " "}));
}

// Without a header the captions are still known (gt7p-cli prints them),
// but the window's columns come only with a row; without a shown field
// there are no rows at all.
TEST(DirectoryList, NoHeaderOrNoShownField) {
  const DirectoryList empty = MakeDirectoryList({}, Shown({0, 5}));
  EXPECT_EQ(empty.captions.size(), 2u);
  EXPECT_TRUE(empty.rows.empty());
  EXPECT_TRUE(ListColumns(empty).empty());

  const DirectoryList none = MakeDirectoryList(Headers(3), Shown({}));
  EXPECT_TRUE(none.complete);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_TRUE(ListColumns(none).empty());
}

// A shown line beyond the table: the list as a row-by-row fill had it when
// it met the line, the first header's fields before it; the status column
// only where it had come by then (with the second field).
TEST(DirectoryList, LineBeyondTheTableCutsTheListShort) {
  const size_t lines = HeaderGroupZeroFields().size() + 1;
  const DirectoryList two = MakeDirectoryList(Headers(3), Shown({0, 2, lines - 1}, lines));
  EXPECT_FALSE(two.complete);
  ASSERT_EQ(two.rows.size(), 1u);
  EXPECT_EQ(Window(two), (std::vector<std::string>{G("原始文件名称"), G("　状态　"), G("字节数量"), "ZS0001  .DAT", " ",
                                                   two.rows[0][1]}));

  const DirectoryList one = MakeDirectoryList(Headers(3), Shown({0, lines - 1}, lines));
  EXPECT_FALSE(one.complete);
  EXPECT_EQ(Window(one), (std::vector<std::string>{G("原始文件名称"), "ZS0001  .DAT"}));

  const DirectoryList none = MakeDirectoryList(Headers(3), Shown({lines - 1}, lines));
  EXPECT_FALSE(none.complete);
  EXPECT_TRUE(Window(none).empty());

  // No header meets it: no failure.
  EXPECT_TRUE(MakeDirectoryList({}, Shown({0, lines - 1}, lines)).complete);
}

}  // namespace
}  // namespace gt7p
