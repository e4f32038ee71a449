// gt7p-cli report read back as a client would: the PDF's text by
// pdftotext -layout (its page count, the page numbers, the title block,
// every number of interpret --json), its fonts by pdffonts, its pages drawn
// by pdftoppm. The records are the simulator's refraction line (shots at 0,
// 23 and 46 m over a boundary 4 m deep at x = 0 dipping 8 degrees, v1 600
// m/s, v2 2400 m/s, receivers every 2 m from 0) and its thickness record.
// Where poppler's tools are missing the tests that need them are skipped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "tests/cli/cli_test.h"
#include "tests/support/files.h"
#include "tests/support/method_records.h"

namespace {
namespace fs = std::filesystem;
using gt7p::test::CliResult;
using gt7p::test::CliTest;

using gt7p::test::BoundaryDepth;

// Every number of a JSON text, as written.
std::vector<std::string> JsonNumbers(const std::string& json) {
  std::vector<std::string> numbers;
  const std::regex number(R"((?:: |\[|, )(-?[0-9]+(?:\.[0-9]+)?)(?=[,\]\}\n]))");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), number); it != std::sregex_iterator(); ++it)
    numbers.push_back((*it)[1]);
  return numbers;
}

std::set<std::string> Words(const std::string& text) {
  std::set<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.insert(word);
  return words;
}

class ReportTest : public CliTest {
 protected:
  void SetUp() override {
    // The settings store in the test's folder (QSettings' user scope on Linux).
    setenv("XDG_CONFIG_HOME", (dir_ / "settings").string().c_str(), 1);
    for (int i = 1; i <= 3; ++i)
      ASSERT_EQ(Run("sample --index " + std::to_string(6 + i) + " ZX000" + std::to_string(i) + ".T7P").status, 0);
    gt7p::test::WriteFile(dir_ / "L.line.csv",
                          "file,source_x_m,first_receiver_x_m,receiver_spacing_m\r\n"
                          "ZX0001.T7P,0,0,2\r\nZX0002.T7P,23,0,2\r\nZX0003.T7P,46,0,2\r\n");
  }
  bool Have(const std::string& tool) { return Tool(tool, "-v").status == 0; }
  CliResult Tool(const std::string& tool, const std::string& args) { return gt7p::test::RunCliIn(dir_, tool, args); }
  // The report's text, its pages split at form feeds.
  std::vector<std::string> Pages(const std::string& pdf) {
    const CliResult r = Tool("pdftotext", "-layout " + pdf + " -");
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> pages;
    std::string text = r.out;
    for (size_t at; (at = text.find('\f')) != std::string::npos; text.erase(0, at + 1)) pages.push_back(text.substr(0, at));
    return pages;
  }
};

TEST_F(ReportTest, LineReportHoldsTheTitleBlockAndEveryNumberOfTheJson) {
  if (!Have("pdftotext")) GTEST_SKIP() << "pdftotext is missing";
  const std::string files = "--geometry L.line.csv ZX0001.T7P ZX0002.T7P ZX0003.T7P";
  const CliResult r = Run("report --client 华东勘察院 --project 三采区巷道 --operator 李工 -o line.pdf " + files);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const std::vector<std::string> pages = Pages("line.pdf");
  ASSERT_GE(pages.size(), 4u);  // the title and the line, then each record
  if (Have("pdfinfo")) {
    std::smatch count;
    const std::string info = Tool("pdfinfo", "line.pdf").out;
    ASSERT_TRUE(std::regex_search(info, count, std::regex("Pages: +([0-9]+)"))) << info;
    EXPECT_EQ(std::stoul(count[1]), pages.size());
    EXPECT_NE(info.find("595 x 842 pts (A4)"), std::string::npos) << info;
  }
  std::string all;
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_NE(pages[i].find("第 " + std::to_string(i + 1) + " 页，共 " + std::to_string(pages.size()) + " 页"),
              std::string::npos)
        << "page " << i + 1;
    all += pages[i];
  }
  // The title block: the options' texts, the header fields, the program.
  const std::string& first = pages[0];
  for (const char* text : {"折射探测报告", "华东勘察院", "三采区巷道", "李工", "淮南谢桥矿三采区", "2024年09月03日10:15:00",
                           "ZX0001.T7P、ZX0002.T7P、ZX0003.T7P", "gt7p "})
    EXPECT_NE(first.find(text), std::string::npos) << text;
  const std::string info = Run("info ZX0001.T7P").out;
  std::smatch line;
  ASSERT_TRUE(std::regex_search(info, line, std::regex("测线编号\t([0-9]+)")));
  EXPECT_TRUE(std::regex_search(first, std::regex("测线编号 +" + std::string(line[1]) + "、")));
  // Every number interpret --json gives is in the report as written there.
  const CliResult json = Run("interpret --json " + files);
  ASSERT_EQ(json.status, 0);
  const std::set<std::string> words = Words(all);
  const std::vector<std::string> numbers = JsonNumbers(json.out);
  ASSERT_GT(numbers.size(), 40u);
  for (const std::string& number : numbers) EXPECT_TRUE(words.count(number)) << number;
  // The depths themselves lie on the model's boundary.
  const std::regex depth("\"x_m\": (-?[0-9.]+), \"depths_m\": \\[([0-9.]+)\\]");
  int depths = 0;
  for (auto it = std::sregex_iterator(json.out.begin(), json.out.end(), depth); it != std::sregex_iterator(); ++it, ++depths)
    EXPECT_NEAR(std::stod((*it)[2]), BoundaryDepth(std::stod((*it)[1])), 0.01 * BoundaryDepth(std::stod((*it)[1])));
  EXPECT_GT(depths, 6);
  for (const char* part : {"时距曲线", "深度剖面", "测线几何", "记录头", "方法说明", "界面为平面", "地面平坦"})
    EXPECT_NE(all.find(part), std::string::npos) << part;

  // The texts are remembered: a report without them has the last ones.
  ASSERT_EQ(Run("report --operator 王工 -o again.pdf ZX0001.T7P").status, 0);
  const std::string again = Pages("again.pdf").at(0);
  for (const char* text : {"华东勘察院", "三采区巷道", "王工", "水平层"}) EXPECT_NE(again.find(text), std::string::npos) << text;
  EXPECT_EQ(again.find("李工"), std::string::npos);

  // Fonts embedded; the pages draw.
  if (Have("pdffonts")) {
    const CliResult fonts = Tool("pdffonts", "line.pdf");
    std::istringstream rows(fonts.out);
    int count = 0;
    for (std::string row; std::getline(rows, row);)
      if (row.find("TrueType") != std::string::npos || row.find("Type") != std::string::npos) {
        if (row.rfind("name", 0) == 0) continue;
        ++count;
        EXPECT_TRUE(std::regex_search(row, std::regex(" yes +(yes|no) +(yes|no) +[0-9]+ +[0-9]+\\s*$"))) << row;
      }
    EXPECT_GT(count, 0) << fonts.out;
  }
  if (Have("pdftoppm")) {
    ASSERT_EQ(Tool("pdftoppm", "-png -r 20 line.pdf page").status, 0);
    for (size_t i = 1; i <= pages.size(); ++i) {
      const fs::path png = dir_ / ("page-" + std::to_string(i) + ".png");
      EXPECT_GT(fs::exists(png) ? fs::file_size(png) : 0, 1000u) << png;
    }
  }
}

TEST_F(ReportTest, ThicknessReportHoldsTheJsonsNumbers) {
  if (!Have("pdftotext")) GTEST_SKIP() << "pdftotext is missing";
  ASSERT_EQ(Run("sample --index 4 HD.T7P").status, 0);
  const CliResult json = Run("interpret --json HD.T7P");
  ASSERT_EQ(json.status, 0) << json.err;
  ASSERT_EQ(Run("report -o hd.pdf HD.T7P").status, 0);
  std::string all;
  for (const std::string& page : Pages("hd.pdf")) all += page;
  const std::set<std::string> words = Words(all);
  for (const char* key : {"peak_hz", "velocity_m_s", "thickness_m", "ratio_e", "threshold_av", "peak_to_median"}) {
    std::smatch m;
    ASSERT_TRUE(std::regex_search(json.out, m, std::regex(std::string("\"") + key + "\": ([0-9.]+)"))) << key;
    EXPECT_TRUE(words.count(m[1])) << key << " " << m[1];
  }
  EXPECT_NE(all.find("单点测厚报告"), std::string::npos);
  EXPECT_NE(all.find("已知速度V0"), std::string::npos);  // the method's limit
  // The spectrum's figure marks the peak with its frequency to 0.1 Hz (the
  // table gives it to 0.01 Hz).
  std::smatch peak;
  ASSERT_TRUE(std::regex_search(json.out, peak, std::regex("\"peak_hz\": ([0-9.]+)")));
  char marked[32];
  std::snprintf(marked, sizeof marked, "%.1f", std::stod(peak[1]));
  EXPECT_NE(all.find("振幅谱之和"), std::string::npos);
  EXPECT_NE(all.find(std::string("峰值 ") + marked + " Hz"), std::string::npos) << marked << "\n" << all;
}

// The report of a reflection record as a client reads it (pdftotext): the
// velocity, T0 and depth that interpret --json gives, as written there.
TEST_F(ReportTest, ReflectionReportHoldsTheJsonsVelocityT0AndDepth) {
  if (!Have("pdftotext")) GTEST_SKIP() << "pdftotext is missing";
  // v = 1800 m/s, reflector 15 m down: T0 = 16.67 ms; receivers every 1.5 m.
  const double v = 1800, depth = 15, dtUs = 20;
  gt7p::test::WriteFile(dir_ / "FR.T7P", gt7p::test::MethodRecordBytes("FR.T7P", 41, 12, 2048, dtUs, 1.5, {{"已知速度V0", 0}},
                                                                     gt7p::test::Ringing(300, dtUs)));
  std::string picks = "file,channel,distance_m,layer,sample,time_ms\r\n";
  for (int c = 1; c <= 12; ++c) {
    const double x = 1.5 * c, tMs = 1000 * std::sqrt(4 * depth * depth + x * x) / v;
    const int sample = static_cast<int>(std::lround(tMs * 1000 / dtUs)) + 1;
    char row[160];
    std::snprintf(row, sizeof row, "FR.T7P,%d,%g,refl,%d,%.6f\r\n", c, x, sample, (sample - 1) * dtUs / 1000);
    picks += row;
  }
  gt7p::test::WriteFile(dir_ / "FR.picks.csv", picks);
  const CliResult json = Run("interpret --json FR.T7P");
  ASSERT_EQ(json.status, 0) << json.err;
  const CliResult report = Run("report -o fr.pdf FR.T7P");
  ASSERT_EQ(report.status, 0) << report.err;
  const CliResult pdf = gt7p::test::RunCliIn(dir_, "pdftotext", "-layout fr.pdf -");
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  for (const char* key : {"velocity_m_s", "zero_offset_ms", "depth_m"}) {
    std::smatch m;
    ASSERT_TRUE(std::regex_search(json.out, m, std::regex(std::string("\"") + key + "\": ([0-9.]+)"))) << key;
    const std::string number = std::regex_replace(m[1].str(), std::regex("\\."), "\\.");
    EXPECT_TRUE(std::regex_search(pdf.out, std::regex("(^|[^0-9.])" + number + "($|[^0-9])")))
        << key << " " << m[1] << "\n" << pdf.out;
  }
  // And they are the model's.
  EXPECT_NEAR(gt7p::test::JsonNumber(json.out, "velocity_m_s"), v, 0.01 * v);
  EXPECT_NEAR(gt7p::test::JsonNumber(json.out, "zero_offset_ms"), 2000 * depth / v, 0.01 * 2000 * depth / v);
  EXPECT_NEAR(gt7p::test::JsonNumber(json.out, "depth_m"), depth, 0.01 * depth);
}

// A failure says what interpret says, exits 1 and leaves no PDF (an older
// one as it was).
TEST_F(ReportTest, FailuresSayWhatInterpretSaysAndLeaveNoFile) {
  ASSERT_EQ(Run("sample --index 7 --channels 2 TWO.T7P").status, 0);
  gt7p::test::WriteFile(dir_ / "old.pdf", "an older report");
  const size_t before = FileCount();
  for (const std::string& args : {std::string("ZX0001.T7P ZX0003.T7P"), std::string("TWO.T7P"),
                                  std::string("--geometry L.line.csv ZX0001.T7P ZX0003.T7P")}) {
    const CliResult interpret = Run("interpret " + args);
    ASSERT_EQ(interpret.status, 1) << args;
    for (const std::string& out : {std::string("new.pdf"), std::string("old.pdf")}) {
      const CliResult r = Run("report -o " + out + " " + args);
      EXPECT_EQ(r.status, 1) << args;
      EXPECT_EQ(r.err, interpret.err) << args;
      EXPECT_EQ(r.out, "");
    }
  }
  EXPECT_EQ(FileCount(), before);
  EXPECT_EQ(gt7p::test::Slurp(dir_ / "old.pdf"), "an older report");
  // A disk that fills up part-way (a file size limit): the writer's silence
  // is no success.
  const std::string cli = gt7p::test::ShellQuote(fs::absolute(GT7P_CLI).string());
  const CliResult full = Tool("sh", "-c " + gt7p::test::ShellQuote("ulimit -f 100 && exec " + cli +
                                                                   " report --geometry L.line.csv -o full.pdf"
                                                                   " ZX0001.T7P ZX0002.T7P ZX0003.T7P"));
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("写入文件失败！"), std::string::npos) << full.err;
  EXPECT_EQ(FileCount(), before);
  EXPECT_EQ(Run("report --layers 6 -o new.pdf ZX0001.T7P").status, 2);
  EXPECT_EQ(Run("report ZX0001.T7P").status, 2);  // no -o
  ASSERT_EQ(Run("sample --index 4 HD.T7P").status, 0);
  const CliResult two = Run("report -o new.pdf HD.T7P ZX0001.T7P");  // a thickness record alone, as for interpret
  EXPECT_EQ(two.status, 2);
  EXPECT_EQ(two.err, "gt7p-cli report: thickness takes one FILE\n");
  EXPECT_EQ(Run("report -o ZX0001.T7P ZX0001.T7P").status, 2);
  EXPECT_FALSE(fs::exists(dir_ / "new.pdf"));
  EXPECT_NE(Run("report --help").out.find("--client"), std::string::npos);
}

}  // namespace
