// A line's geometry file and the tomography table, the latter read back by
// a reader of its own here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "base/cp936.h"
#include "base/error.h"
#include "interpret/interpret.h"
#include "tests/support/files.h"

namespace gt7p {
namespace interpret {
namespace {

std::string MessageOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const Error& e) {
    return Cp936ToUtf8(e.message());
  }
  return "";
}

TEST(LineGeometry, RowsReadBackAndReceiversStandWhereTheySay) {
  const std::vector<LineRow> rows = {{"ZX0001.T7P", 0, 1, 2}, {"ZX0002.T7P", 96.5, 95, -2}};
  const std::vector<LineRow> back = ParseGeometry(GeometryText(rows));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].file, "ZX0002.T7P");
  EXPECT_EQ(back[1].sourceX, 96.5);
  EXPECT_EQ(back[1].ReceiverX(1), 95);
  EXPECT_EQ(back[1].ReceiverX(48), 95 - 2 * 47);
  EXPECT_EQ(back[0].ReceiverX(3), 5);
  test::TempDir dir;
  const auto file = LineFileOf(dir.path(), "测线1");
  EXPECT_EQ(Utf8FromPath(file.filename()), "测线1.line.csv");
  WriteGeometry(file, rows);
  EXPECT_EQ(ReadGeometry(file).size(), 2u);
}

TEST(LineGeometry, BadFilesSayWhatIsWrong) {
  const std::string head = "file,source_x_m,first_receiver_x_m,receiver_spacing_m\n";
  EXPECT_EQ(MessageOf([&] { ParseGeometry(head + "A.T7P,0,1,0\n"); }), "测线几何文件第2行：检波点间距不能为零");
  EXPECT_EQ(MessageOf([&] { ParseGeometry(head + "A.T7P,0,x1,1\n"); }), "测线几何文件第2行：'x1' 不是数值");
  EXPECT_EQ(MessageOf([&] { ParseGeometry(head + "A.T7P,0,1\n"); }), "测线几何文件格式不对（第2行）！");
  const std::vector<LineRow> rows = ParseGeometry(head + "A.T7P,0,1,1\r\nB.T7P,10,1,1\r\n");
  EXPECT_EQ(MessageOf([&] { MatchGeometry(rows, {"dir/A.T7P"}); }), "测线几何文件中的记录未给出：B.T7P");
  EXPECT_EQ(MessageOf([&] { MatchGeometry(rows, {"A.T7P", "B.T7P", "C.T7P"}); }), "测线几何文件中没有记录：C.T7P");
  const std::vector<LineRow> matched = MatchGeometry(rows, {"x/B.T7P", "y/A.T7P"});
  EXPECT_EQ(matched[0].sourceX, 10);
  EXPECT_EQ(matched[1].sourceX, 0);
}

TEST(LineGeometry, TheLineFileOfRecordsIsFoundInTheirFolderAndWrittenOnlyWhole) {
  test::TempDir dir;
  WriteGeometry(LineFileOf(dir.path(), "A"), {{"X1.T7P", 0, 1, 1}, {"X2.T7P", 24, 23, -1}});
  WriteGeometry(LineFileOf(dir.path(), "B"), {{"Y1.T7P", 0, 1, 1}});
  test::WriteFile(dir.path() / "notes.csv", "X9.T7P,0,1,1\n");
  EXPECT_EQ(FindLineFile(dir.path(), {dir.path() / "X2.T7P"}), LineFileOf(dir.path(), "A"));
  EXPECT_EQ(FindLineFile(dir.path(), {"elsewhere/Y1.T7P", "Y2.T7P"}), LineFileOf(dir.path(), "B"));
  EXPECT_EQ(FindLineFile(dir.path(), {"X9.T7P"}), std::nullopt);
  // A line file that can't be read says which and why.
  test::WriteFile(LineFileOf(dir.path(), "C"), "file,source_x_m,first_receiver_x_m,receiver_spacing_m\nZ.T7P,0,1,0\n");
  EXPECT_EQ(MessageOf([&] { FindLineFile(dir.path(), {"X9.T7P"}); }), "C.line.csv：测线几何文件第2行：检波点间距不能为零");
  // Rows of zero spacing or no file are never written.
  const auto bad = LineFileOf(dir.path(), "D");
  EXPECT_EQ(MessageOf([&] { WriteGeometry(bad, {{"A.T7P", 0, 1, 1}, {"B.T7P", 0, 1, 0}}); }),
            "测线几何文件第3行：检波点间距不能为零");
  EXPECT_EQ(MessageOf([&] { CheckGeometry({{" ", 0, 1, 1}}); }), "测线几何文件格式不对（第2行）！");
  EXPECT_FALSE(test::Exists(bad));
}

TEST(LineGeometry, LayerChoicesInAFifthColumnReadBack) {
  std::vector<LineRow> rows = {{"A.T7P", 0, 1, 1, {}}, {"B.T7P", 24, 23, -1, {}}};
  EXPECT_EQ(GeometryText(rows).find("layers"), std::string::npos) << "none chosen: four columns";
  rows[1].layers = {{12, 2}, {3, 1}};
  const std::string text = GeometryText(rows);
  EXPECT_EQ(text,
            "file,source_x_m,first_receiver_x_m,receiver_spacing_m,layers\r\n"
            "A.T7P,0,1,1,\r\n"
            "B.T7P,24,23,-1,3:1 12:2\r\n");
  const std::vector<LineRow> back = ParseGeometry(text);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[0].layers.empty());
  EXPECT_EQ(back[1].layers, (std::map<int32_t, int>{{3, 1}, {12, 2}}));
  EXPECT_EQ(back[1].spacing, -1);
  // Rows of four and of five columns mix; a choice that is none says so.
  const std::string head = "file,source_x_m,first_receiver_x_m,receiver_spacing_m,layers\n";
  EXPECT_EQ(ParseGeometry(head + "A.T7P,0,1,1\nB.T7P,0,1,1, 4:2 \n").at(1).layers.at(4), 2);
  for (const char* bad : {"4:6", "0:1", "4", "x:1", "4:1.5"})
    EXPECT_EQ(MessageOf([&] { ParseGeometry(head + "A.T7P,0,1,1," + bad + "\n"); }),
              std::string("测线几何文件第2行：'") + bad + "' 不是“道号:层”");
}

// A reversed pair over one flat boundary at depth h, times from the
// textbook (direct x / v1, head wave x / v2 + 2 h cos(theta) / v1): the
// section is at h from shot to shot.
TEST(DepthSection, AReversedPairOverAFlatBoundaryGivesItsDepthAlongTheSpread) {
  constexpr double v1 = 500, v2 = 2000, h = 3, length = 24;
  auto arrival = [&](double offset) {
    return std::min(offset / v1, offset / v2 + 2 * h * std::sqrt(1 - v1 * v1 / (v2 * v2)) / v1) * 1000;
  };
  std::vector<Shot> shots(2);
  for (size_t i = 0; i < 2; ++i) {
    shots[i].file = i ? "B.T7P" : "A.T7P";
    shots[i].sourceX = i ? length : 0;
    shots[i].sampleMs = 0.01;
    for (int c = 1; c < length; ++c) shots[i].breaks.push_back({c, double(c), 0, arrival(std::fabs(c - shots[i].sourceX))});
  }
  SurveyOptions options;
  options.layers = 2;
  const Survey s = Interpret(shots, options);
  const std::vector<std::vector<SectionPoint>> section = DepthSection(s);
  ASSERT_EQ(section.size(), 1u);
  ASSERT_GE(section[0].size(), 10u);
  EXPECT_DOUBLE_EQ(section[0].front().x, 0);
  EXPECT_DOUBLE_EQ(section[0].back().x, length);
  for (size_t i = 0; i < section[0].size(); ++i) {
    EXPECT_NEAR(section[0][i].depthM, h, 0.01) << section[0][i].x;
    if (i) {
      EXPECT_LT(section[0][i - 1].x, section[0][i].x);
    }
  }
}

// The tomography table as a reader of that format takes it: a count and
// "#x y" rows, then a count and "#s g t" rows; '#' starts a comment.
struct Table {
  std::vector<std::pair<double, double>> points;
  struct Row {
    size_t s, g;
    double t;
  };
  std::vector<Row> rows;
};

Table ReadTable(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  auto next = [&]() {
    while (std::getline(in, line)) {
      line = line.substr(0, line.find('#'));
      if (line.find_first_not_of(" \t\r") != std::string::npos) return true;
    }
    return false;
  };
  Table table;
  EXPECT_TRUE(next());
  const size_t points = std::stoul(line);
  for (size_t i = 0; i < points && next(); ++i) {
    std::istringstream row(line);
    double x = 0, y = 0;
    row >> x >> y;
    table.points.push_back({x, y});
  }
  EXPECT_TRUE(next());
  const size_t count = std::stoul(line);
  for (size_t i = 0; i < count && next(); ++i) {
    std::istringstream row(line);
    Table::Row r{};
    row >> r.s >> r.g >> r.t;
    table.rows.push_back(r);
  }
  EXPECT_FALSE(next());
  EXPECT_EQ(table.points.size(), points);
  EXPECT_EQ(table.rows.size(), count);
  return table;
}

TEST(Tomography, TableReadsBackWithEachPositionOnce) {
  Shot a, b;
  a.file = "A.T7P";
  a.sourceX = 0;  // on receiver 1
  b.file = "B.T7P";
  b.sourceX = 10.5;  // between receivers: takes the nearest's elevation
  for (int ch = 1; ch <= 6; ++ch) {
    const double x = 2.0 * (ch - 1);
    a.breaks.push_back({ch, x, static_cast<double>(ch), x / 0.5});
    b.breaks.push_back({ch, x, static_cast<double>(ch), std::fabs(x - 10.5) / 0.5 + 0.125});
  }
  const Table t = ReadTable(TomographyText({a, b}));
  ASSERT_EQ(t.points.size(), 7u);  // six receivers and one source off them
  std::set<double> xs;
  for (const auto& p : t.points) xs.insert(p.first);
  EXPECT_EQ(xs.size(), 7u);
  ASSERT_EQ(t.rows.size(), 11u);  // A's first break on its own receiver left out
  for (const Table::Row& r : t.rows) {
    ASSERT_GE(r.s, 1u);
    ASSERT_LE(r.s, 7u);
    ASSERT_GE(r.g, 1u);
    ASSERT_LE(r.g, 7u);
    const double s = t.points[r.s - 1].first, g = t.points[r.g - 1].first;
    EXPECT_TRUE(s == 0 || s == 10.5);
    const double want = s == 0 ? g / 0.5 / 1000 : (std::fabs(g - 10.5) / 0.5 + 0.125) / 1000;
    EXPECT_NEAR(r.t, want, 1e-12);
    EXPECT_EQ(t.points[r.g - 1].second, g / 2 + 1);  // the receiver's elevation
  }
  for (const auto& p : t.points) {
    if (p.first == 10.5) {
      EXPECT_EQ(p.second, 6);  // nearest receiver: x = 10, channel 6
    }
  }
}

}  // namespace
}  // namespace interpret
}  // namespace gt7p
