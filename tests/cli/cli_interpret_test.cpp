// gt7p-cli interpret and picks --format sgt on the simulator's refraction
// line: shots at 0, 23 and 46 m over a boundary 4 m deep at x = 0 dipping
// 8 degrees toward +x (v1 600 m/s, v2 2400 m/s), receivers every 2 m from 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <sstream>

#include "tests/cli/cli_test.h"
#include "tests/support/files.h"

namespace {
namespace fs = std::filesystem;
using gt7p::test::CliResult;
using gt7p::test::CliTest;

using gt7p::test::BoundaryDepth;

// The numbers after "KEY": in a JSON text, in order.
std::vector<double> Numbers(const std::string& json, const std::string& key) {
  std::vector<double> values;
  const std::regex number("\"" + key + "\": \\[?(-?[0-9.]+)");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), number); it != std::sregex_iterator(); ++it)
    values.push_back(std::stod((*it)[1]));
  return values;
}

// (x, first depth) of every shot and receiver object with a depth.
std::vector<std::pair<double, double>> Depths(const std::string& json) {
  std::vector<std::pair<double, double>> values;
  const std::regex pair("\"x_m\": (-?[0-9.]+), \"depths_m\": \\[(-?[0-9.]+)");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), pair); it != std::sregex_iterator(); ++it)
    values.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
  return values;
}

class InterpretTest : public CliTest {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 3; ++i)
      ASSERT_EQ(Run("sample --index " + std::to_string(6 + i) + " ZX000" + std::to_string(i) + ".T7P").status, 0);
    Geometry("L.line.csv", {"ZX0001.T7P,0,0,2", "ZX0002.T7P,23,0,2", "ZX0003.T7P,46,0,2"});
  }
  void Geometry(const std::string& name, const std::vector<std::string>& rows) {
    std::string text = "file,source_x_m,first_receiver_x_m,receiver_spacing_m\r\n";
    for (const std::string& row : rows) text += row + "\r\n";
    gt7p::test::WriteFile(dir_ / name, text);
  }
  void ExpectFailure(const std::string& args, const std::string& message) {
    const CliResult r = Run(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(r.err.substr(0, message.size()), message) << args << ": " << r.err;
  }
};

TEST_F(InterpretTest, OneRecordGivesFlatLayersInJsonAndInText) {
  const CliResult r = Run("interpret --json ZX0001.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<double> v = Numbers(r.out, "velocity_m_s");
  ASSERT_EQ(v.size(), 2u);
  EXPECT_NEAR(v[0], 600, 6);
  EXPECT_NE(r.out.find("\"picks_source\": \"instrument\""), std::string::npos);
  EXPECT_NE(r.out.find("\"rms_ms\": "), std::string::npos);
  EXPECT_EQ(r.out.find("\"receivers\""), std::string::npos);  // one shot
  const CliResult text = Run("interpret ZX0001.T7P");
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("解析结果：2 层"), std::string::npos);
  EXPECT_NE(text.out.find("仪器解析点"), std::string::npos);
}

// The viewer's layer choices count here too: a lone record's beside it, a
// line's in its file. Three far points (head waves at about 1570 m/s) put
// on the direct wave's layer drag its 600 m/s up.
TEST_F(InterpretTest, TheOperatorsLayerChoicesBesideTheRecordOrInTheLineFile) {
  const auto firstVelocity = [&](const std::string& args) {
    const CliResult r = Run("interpret --json " + args);
    EXPECT_EQ(r.status, 0) << args << ": " << r.err;
    const std::vector<double> v = Numbers(r.out, "velocity_m_s");
    return v.empty() ? 0.0 : v[0];
  };
  EXPECT_NEAR(firstVelocity("ZX0001.T7P"), 600, 6);
  gt7p::test::WriteFile(dir_ / "ZX0001.layers.csv", "channel,layer\r\n20,1\r\n21,1\r\n22,1\r\n");
  EXPECT_GT(firstVelocity("ZX0001.T7P"), 900);
  EXPECT_NEAR(firstVelocity("--picks instrument ZX0001.T7P"), firstVelocity("ZX0001.T7P"), 1e-9);

  // A line takes its own file's choices, not those beside its records.
  gt7p::test::WriteFile(dir_ / "ZX0001.layers.csv", "channel,layer\r\n20,9\r\n");
  ExpectFailure("interpret ZX0001.T7P", "ZX0001.layers.csv：分层文件格式不对（第2行）！");
  const std::string line = "--geometry P.line.csv ZX0001.T7P ZX0003.T7P";
  Geometry("P.line.csv", {"ZX0001.T7P,0,0,2", "ZX0003.T7P,46,0,2"});
  const double plain = firstVelocity(line);
  EXPECT_NEAR(plain, 600, 6);
  gt7p::test::WriteFile(dir_ / "P.line.csv",
                        "file,source_x_m,first_receiver_x_m,receiver_spacing_m,layers\r\n"
                        "ZX0001.T7P,0,0,2,20:1 21:1 22:1\r\nZX0003.T7P,46,0,2,\r\n");
  EXPECT_GT(firstVelocity(line), plain + 50);
}

TEST_F(InterpretTest, ReversedPairAndLineGiveDipAndDepths) {
  Geometry("P.line.csv", {"ZX0001.T7P,0,0,2", "ZX0003.T7P,46,0,2"});
  for (const std::string& args : {std::string("--geometry P.line.csv ZX0001.T7P ZX0003.T7P"),
                                  std::string("--geometry L.line.csv ZX0001.T7P ZX0002.T7P ZX0003.T7P")}) {
    const CliResult r = Run("interpret --json " + args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<double> v = Numbers(r.out, "velocity_m_s"), dip = Numbers(r.out, "dip_deg");
    ASSERT_EQ(v.size(), 2u);
    EXPECT_NEAR(v[1], 2400, 24) << args;
    ASSERT_EQ(dip.size(), 1u);
    EXPECT_NEAR(dip[0], 8, 0.5) << args;
    const auto depths = Depths(r.out);
    for (const auto& [x, depth] : depths) EXPECT_NEAR(depth, BoundaryDepth(x), 0.01 * BoundaryDepth(x)) << args << " at " << x;
    EXPECT_GT(depths.size(), 6u);  // the shots and the receivers both head waves reach
  }
}

TEST_F(InterpretTest, PicksComeFromTheOperatorsTableFirstOrAsChosen) {
  std::string table = "file,channel,distance_m,layer,sample,time_ms\r\n";
  // Channel n at 2 (n - 1) m: direct wave 1/0.6 ms per m (50 us samples).
  for (int ch = 2; ch <= 6; ++ch)
    table += "ZX0001.T7P," + std::to_string(ch) + ",0,t0," + std::to_string(1 + static_cast<int>(std::lround(2 * (ch - 1) / 0.6 / 0.05))) + ",0\r\n";
  gt7p::test::WriteFile(dir_ / "ZX0001.picks.csv", table);
  const CliResult r = Run("interpret --json ZX0001.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"picks_source\": \"operator\""), std::string::npos);
  const CliResult automatic = Run("interpret --json --picks auto ZX0003.T7P");
  ASSERT_EQ(automatic.status, 0) << automatic.err;
  EXPECT_NE(automatic.out.find("\"picks_source\": \"auto\""), std::string::npos);
  EXPECT_NEAR(Numbers(automatic.out, "velocity_m_s")[0], 600, 30);
}

TEST_F(InterpretTest, BadInputsSayWhyAndPrintNothing) {
  ExpectFailure("interpret ZX0001.T7P ZX0003.T7P", "需要测线几何文件");
  ASSERT_EQ(Run("sample --index 4 HD.T7P").status, 0);  // single-point thickness survey: its own method now
  EXPECT_NE(Run("interpret --json HD.T7P").out.find("\"method\": \"thickness\""), std::string::npos);
  EXPECT_EQ(Run("interpret --method refraction HD.T7P").err.find("该探测方法"), std::string::npos);
  ExpectFailure("interpret --geometry L.line.csv ZX0001.T7P ZX0003.T7P", "测线几何文件中的记录未给出：ZX0002.T7P");
  Geometry("short.line.csv", {"ZX0001.T7P,0,0,2"});
  ExpectFailure("interpret --geometry short.line.csv ZX0001.T7P ZX0003.T7P", "测线几何文件中没有记录：ZX0003.T7P");
  Geometry("zero.line.csv", {"ZX0001.T7P,0,0,0", "ZX0003.T7P,46,0,2"});
  ExpectFailure("interpret --geometry zero.line.csv ZX0001.T7P ZX0003.T7P", "测线几何文件第2行：检波点间距不能为零");
  Geometry("text.line.csv", {"ZX0001.T7P,0,0,2", "ZX0003.T7P,east,0,2"});
  ExpectFailure("interpret --geometry text.line.csv ZX0001.T7P ZX0003.T7P", "测线几何文件第3行：'east' 不是数值");
  ASSERT_EQ(Run("sample --index 7 --channels 5 FIVE.T7P").status, 0);
  ExpectFailure("interpret --layers 3 FIVE.T7P", "--layers 3：");
  ASSERT_EQ(Run("sample --index 7 --channels 2 TWO.T7P").status, 0);
  ExpectFailure("interpret TWO.T7P", "TWO.T7P：初至少于 3 个");
  EXPECT_EQ(Run("interpret --layers 6 ZX0001.T7P").status, 2);
  EXPECT_EQ(Run("interpret --picks best ZX0001.T7P").status, 2);
}

// The CSV's rows hold the JSON's numbers as written: each shot's and
// receiver's position and first depth, the layers' velocities.
TEST_F(InterpretTest, CsvHoldsTheJsonsNumbers) {
  const std::string files = "--geometry L.line.csv ZX0001.T7P ZX0002.T7P ZX0003.T7P";
  const CliResult r = Run("interpret --json --csv line.csv " + files);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string csv = gt7p::test::Slurp(dir_ / "line.csv");
  ASSERT_EQ(csv.substr(0, 12), "kind,number,");
  std::vector<std::vector<std::string>> rows;
  size_t crlf = 0;
  for (size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2, ++crlf) {
    std::vector<std::string> fields;
    std::stringstream line(csv.substr(at, end - at));
    for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
    if (!csv.compare(end - 1, 1, ",")) fields.emplace_back();
    rows.push_back(fields);
  }
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(crlf));  // CR LF only
  ASSERT_GT(rows.size(), 1u);
  const std::vector<std::string>& head = rows[0];
  auto column = [&](const std::string& name) { return std::find(head.begin(), head.end(), name) - head.begin(); };
  ASSERT_LT(column("depth_1_m"), static_cast<long>(head.size()));
  // The JSON's objects of shots and receivers, in order, against the rows.
  const std::regex object("\"x_m\": (-?[0-9.]+), \"depths_m\": \\[(-?[0-9.]+|null)");
  std::vector<std::pair<std::string, std::string>> json;
  for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), object); it != std::sregex_iterator(); ++it)
    json.push_back({(*it)[1], (*it)[2] == "null" ? "" : std::string((*it)[2])});
  std::vector<std::pair<std::string, std::string>> table;
  std::vector<std::string> velocities;
  for (size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), head.size()) << i;
    if (rows[i][0] == "layer") velocities.push_back(rows[i][column("velocity_m_s")]);
    else table.push_back({rows[i][column("x_m")], rows[i][column("depth_1_m")]});
  }
  EXPECT_EQ(table, json);
  EXPECT_EQ(table.size(), 3u + 24);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\"velocity_m_s\": ([0-9.]+)\\}, \\{\"velocity_m_s\": ([0-9.]+)")));
  EXPECT_EQ(velocities, (std::vector<std::string>{m[1], m[2]}));
  // A failure leaves no table, and an older one stays as it was.
  const size_t before = FileCount();
  EXPECT_EQ(Run("interpret --csv line.csv ZX0001.T7P ZX0003.T7P").status, 1);
  EXPECT_EQ(Run("interpret --csv none.csv ZX0001.T7P ZX0003.T7P").status, 1);
  EXPECT_EQ(FileCount(), before);
  EXPECT_EQ(gt7p::test::Slurp(dir_ / "line.csv"), csv);
  EXPECT_EQ(Run("interpret --csv ZX0001.T7P ZX0001.T7P").status, 2);  // never over its input
}

TEST_F(InterpretTest, TomographyTableReadsBack) {
  const CliResult r = Run("picks --format sgt --geometry L.line.csv -o line.sgt ZX0001.T7P ZX0002.T7P ZX0003.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  // A reader of the format: a count, the "x y" rows, a count, the "s g t"
  // rows; "#" starts a comment.
  std::istringstream in(gt7p::test::Slurp(dir_ / "line.sgt"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \r") != std::string::npos) lines.push_back(line);
  }
  ASSERT_FALSE(lines.empty());
  const size_t points = std::stoul(lines[0]);
  ASSERT_EQ(points, 25u);  // 24 receivers and the middle shot between two of them
  std::vector<double> xs;
  for (size_t i = 1; i <= points; ++i) {
    std::istringstream row(lines[i]);
    double x = -1, y = -1;
    row >> x >> y;
    xs.push_back(x);
    EXPECT_TRUE(y == 0 || y == 1 || y == 2) << lines[i];  // "相对高程" of the simulator's receivers
  }
  const size_t count = std::stoul(lines[points + 1]);
  EXPECT_EQ(count, 3u * 24 - 2);  // the end shots stand on a receiver each
  ASSERT_EQ(lines.size(), points + 2 + count);
  for (size_t i = points + 2; i < lines.size(); ++i) {
    std::istringstream row(lines[i]);
    size_t s = 0, g = 0;
    double t = -1;
    row >> s >> g >> t;
    ASSERT_TRUE(s >= 1 && s <= points && g >= 1 && g <= points) << lines[i];
    const double source = xs[s - 1], receiver = xs[g - 1];
    EXPECT_TRUE(source == 0 || source == 23 || source == 46);
    EXPECT_NE(source, receiver);
    EXPECT_GE(t, std::fabs(receiver - source) / 2400 * 0.99);  // no faster than the refractor
    EXPECT_LE(t, std::fabs(receiver - source) / 600 + 0.0005);  // no slower than the direct wave
  }
}

}  // namespace
