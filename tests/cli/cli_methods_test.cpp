// gt7p-cli interpret on thickness, reflection and two-point records written
// here: the simulator's headers with the fields each case needs, samples
// and picks from the textbook formulas (a damped resonance, a reflection
// hyperbola, a straight moveout), no pre-trigger samples and no system
// delay, so that sample number n lies at (n - 1) * dt after the shot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>

#include "records/records.h"
#include "tests/cli/cli_test.h"
#include "tests/support/files.h"
#include "tests/support/method_records.h"

namespace {
namespace fs = std::filesystem;
using gt7p::test::CliResult;
using gt7p::test::CliTest;

using gt7p::test::JsonNumber;

class MethodsCliTest : public CliTest {
 protected:
  void WriteRecord(const std::string& name, int method, int channels, int samples, double intervalUs,
                   double stepM, const std::map<std::string, double>& fields,
                   const std::function<double(int channel, int index)>& sample) {
    gt7p::test::WriteFile(dir_ / name, gt7p::test::MethodRecordBytes(name, method, channels, samples, intervalUs,
                                                                     stepM, fields, sample));
  }
  // An operator's picks table beside NAME.T7P: rows of (channel, distance,
  // layer, sample).
  void WritePicks(const std::string& record, const std::vector<std::tuple<int, double, std::string, int>>& rows,
                  double intervalUs) {
    std::string text = "file,channel,distance_m,layer,sample,time_ms\r\n";
    for (const auto& [channel, distance, layer, sample] : rows) {
      char line[160];
      std::snprintf(line, sizeof line, "%s,%d,%g,%s,%d,%.6f\r\n", record.c_str(), channel, distance, layer.c_str(),
                    sample, (sample - 1) * intervalUs / 1000);
      text += line;
    }
    gt7p::test::WriteFile(dir_ / (fs::path(record).stem().string() + ".picks.csv"), text);
  }
  void ExpectFailure(const std::string& args, const std::string& message, int status = 1) {
    const CliResult r = Run(args);
    EXPECT_EQ(r.status, status) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
  }
};

using gt7p::test::Ringing;

TEST_F(MethodsCliTest, ThicknessFromTheResonanceAndTheHeadersVelocity) {
  WriteRecord("HD.T7P", 10, 4, 2048, 10, 0.5,
              {{"已知速度V0", 3.0}, {"深度波长比e", 0.5}, {"幅谱阀值Av", 3}, {"最小厚度h1", 0.1}, {"最大厚度h2", 1}},
              Ringing(2500, 10));
  const CliResult r = Run("interpret --json HD.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"method\": \"thickness\""), std::string::npos);
  EXPECT_NEAR(JsonNumber(r.out, "peak_hz"), 2500, 0.005 * 2500);
  EXPECT_NEAR(JsonNumber(r.out, "velocity_m_s"), 3000, 1e-6);
  EXPECT_NEAR(JsonNumber(r.out, "thickness_m"), 0.5 * 3000 / 2500, 0.005 * 0.6);
  EXPECT_NE(r.out.find("\"outside_bounds\": false"), std::string::npos);
  // The table's one layer row holds the JSON's numbers.
  ASSERT_EQ(Run("interpret --csv HD.csv HD.T7P").status, 0);
  std::smatch row;
  const std::string csv = gt7p::test::Slurp(dir_ / "HD.csv");
  ASSERT_TRUE(std::regex_match(csv, row, std::regex("kind,number,file,peak_hz,velocity_m_s,thickness_m,[a-z_,]*\r\n"
                                                    "layer,1,HD.T7P,([0-9.]+),([0-9.]+),([0-9.]+),[^\r\n]*,false\r\n")))
      << csv;
  std::smatch json;
  ASSERT_TRUE(std::regex_search(r.out, json, std::regex("\"peak_hz\": ([0-9.]+),\n  \"velocity_m_s\": ([0-9.]+),\n  \"thickness_m\": ([0-9.]+)")));
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(row[i], json[i]) << i;
  // --velocity wins, and the text names it; the band keeps the peak.
  const CliResult given = Run("interpret --velocity 1500 --band 1000,5000 HD.T7P");
  ASSERT_EQ(given.status, 0) << given.err;
  EXPECT_NE(given.out.find("单点测厚：HD.T7P"), std::string::npos);
  EXPECT_NE(given.out.find("1500 m/s（--velocity）"), std::string::npos);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(given.out, m, std::regex("厚度：([0-9.]+) m"))) << given.out;
  EXPECT_NEAR(std::stod(m[1]), 0.5 * 1500 / 2500, 0.005 * 0.3 + 0.0005);
  EXPECT_EQ(given.out.find("注意："), std::string::npos);
  // Thinner than h1: flagged, still given.
  WriteRecord("THIN.T7P", 11, 1, 2048, 10, 0.5, {{"已知速度V0", 3.0}, {"最小厚度h1", 1}, {"最大厚度h2", 5}},
              Ringing(2500, 10));
  const CliResult thin = Run("interpret THIN.T7P");
  ASSERT_EQ(thin.status, 0) << thin.err;
  EXPECT_NE(thin.out.find("注意：厚度超出记录头的最小/最大厚度 h1..h2（1 - 5 m）"), std::string::npos) << thin.out;
}

// The operator names the traces whose spectra count: channels 1 and 2 ring
// loudly at 4 kHz (a neighbouring plate), 3 and 4 at 2.5 kHz.
TEST_F(MethodsCliTest, ThicknessFromTheChosenTraces) {
  const std::function<double(int, int)> loud = Ringing(4000, 10), plate = Ringing(2500, 10);
  WriteRecord("TW.T7P", 10, 4, 2048, 10, 0.5, {{"已知速度V0", 3.0}, {"深度波长比e", 0.5}},
              [&](int c, int i) { return c < 2 ? 4 * loud(c, i) : plate(c, i); });
  const CliResult all = Run("interpret --json TW.T7P");
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_NEAR(JsonNumber(all.out, "peak_hz"), 4000, 0.005 * 4000);
  const CliResult chosen = Run("interpret --json --traces 3-4 TW.T7P");
  ASSERT_EQ(chosen.status, 0) << chosen.err;
  EXPECT_NEAR(JsonNumber(chosen.out, "peak_hz"), 2500, 0.005 * 2500);
  EXPECT_NEAR(JsonNumber(chosen.out, "thickness_m"), 0.5 * 3000 / 2500, 0.005 * 0.6);
  EXPECT_NE(chosen.out.find("\"traces\": 2"), std::string::npos) << chosen.out;
  EXPECT_EQ(Run("interpret --json --traces 4,3 TW.T7P").out, chosen.out);
  ExpectFailure("interpret --traces 9 TW.T7P", "没有可用的道");
  for (const char* bad : {"--traces 4-3", "--traces 0", "--traces x", "--traces 1.5", "--traces 1-2-3"})
    ExpectFailure(std::string("interpret ") + bad + " TW.T7P", "--traces", 2);
}

TEST_F(MethodsCliTest, ThicknessBadInputsSayWhy) {
  WriteRecord("NOV.T7P", 10, 1, 1024, 10, 0.5, {{"已知速度V0", 0}}, Ringing(2500, 10));
  ExpectFailure("interpret NOV.T7P", "没有已知速度V0");
  EXPECT_EQ(Run("interpret --velocity 2000 NOV.T7P").status, 0);
  ExpectFailure("interpret --velocity 2000 --band 60000,70000 NOV.T7P", "频段内没有频谱");
  WriteRecord("FLAT.T7P", 10, 1, 1024, 10, 0.5, {{"已知速度V0", 3.0}, {"幅谱阀值Av", 10}},
              [](int c, int i) { const double n = std::sin(12.9898 * (i + 1) + 78.233 * c) * 43758.5453;
                                 return 3000 * (2 * (n - std::floor(n)) - 1); });
  ExpectFailure("interpret FLAT.T7P", "频谱中没有明显的峰");
  ExpectFailure("interpret --band 5,1 NOV.T7P", "--band", 2);
  ExpectFailure("interpret --band 5 NOV.T7P", "--band", 2);
  ExpectFailure("interpret NOV.T7P FLAT.T7P", "thickness takes one FILE", 2);
  ExpectFailure("interpret --method advance NOV.T7P", "--method", 2);
}

TEST_F(MethodsCliTest, ReflectionFromTheOperatorsReflPicks) {
  // v = 2000 m/s, reflector 20 m down: T0 = 20 ms; receivers every 2 m
  // ("源检距" 2n), 25 us samples.
  const double v = 2000, depth = 20, dtUs = 25;
  WriteRecord("FS.T7P", 40, 24, 2048, dtUs, 2, {{"已知速度V0", 2.0}}, Ringing(300, dtUs));
  std::vector<std::tuple<int, double, std::string, int>> rows;
  for (int c = 1; c <= 24; ++c) {
    const double x = 2.0 * c, tMs = 1000 * std::sqrt(4 * depth * depth + x * x) / v;
    rows.emplace_back(c, x, "t0", static_cast<int>(std::lround(x / 1000 / 1e-6 / dtUs)) + 1);  // first breaks at 1000 m/s
    rows.emplace_back(c, x, "refl", static_cast<int>(std::lround(tMs * 1000 / dtUs)) + 1);
  }
  WritePicks("FS.T7P", rows, dtUs);
  const CliResult r = Run("interpret --json FS.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"method\": \"reflection\""), std::string::npos);
  EXPECT_NEAR(JsonNumber(r.out, "velocity_m_s"), v, 0.005 * v);
  EXPECT_NEAR(JsonNumber(r.out, "zero_offset_ms"), 20, 0.005 * 20);
  EXPECT_NEAR(JsonNumber(r.out, "depth_m"), depth, 0.005 * depth);
  EXPECT_NEAR(JsonNumber(r.out, "mean_depth_m"), depth, 0.005 * depth);  // the header's V0 of 2 m/ms
  const CliResult text = Run("interpret FS.T7P");
  ASSERT_EQ(text.status, 0) << text.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(text.out, m, std::regex("反射界面深度：([0-9.]+) m"))) << text.out;
  EXPECT_NEAR(std::stod(m[1]), depth, 0.005 * depth);
  // A V0 of 500 m/s can't reach the far receivers in time.
  const CliResult slow = Run("interpret --velocity 500 FS.T7P");
  EXPECT_NE(slow.out.find("V0·t < x"), std::string::npos);
  // Without refl rows: too few picks; first breaks alone are no reflection.
  WriteRecord("FS2.T7P", 41, 24, 2048, dtUs, 2, {{"已知速度V0", 0}}, Ringing(300, dtUs));
  ExpectFailure("interpret FS2.T7P", "反射波拾取太少");
  WritePicks("FS2.T7P", {{3, 6, "refl", 801}}, dtUs);
  ExpectFailure("interpret FS2.T7P", "反射波拾取太少");
  EXPECT_EQ(Run("interpret --velocity 2000 FS2.T7P").status, 0);  // one trace with V0 gives its depth
  EXPECT_NE(Run("interpret --help").out.find("Advance"), std::string::npos);
}

TEST_F(MethodsCliTest, TwoPointVelocityAndTheMethodChoice) {
  // 1500 m/s, receivers every 1.5 m: channel n's first break n ms, 100 n samples of 10 us.
  WriteRecord("SD.T7P", 20, 4, 1024, 10, 1.5, {}, Ringing(800, 10));
  WritePicks("SD.T7P", {{1, 1.5, "t0", 101}, {2, 3, "t0", 201}, {3, 4.5, "t0", 301}, {4, 6, "t0", 401}}, 10);
  const CliResult r = Run("interpret --json SD.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"method\": \"two-point\""), std::string::npos);
  EXPECT_NEAR(JsonNumber(r.out, "velocity_m_s"), 1500, 1e-6);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '{') - 1, 3);  // three pairs
  EXPECT_NE(r.out.find("\"picks_source\": \"operator\""), std::string::npos);
  const CliResult text = Run("interpret SD.T7P");
  EXPECT_NE(text.out.find("平均速度：1500 m/s"), std::string::npos) << text.out;
  // As a table: the mean on the layer row, a row per pair with its channels
  // and times as the JSON writes them.
  ASSERT_EQ(Run("interpret --csv SD.csv SD.T7P").status, 0);
  EXPECT_EQ(gt7p::test::Slurp(dir_ / "SD.csv"),
            "kind,number,file,picks_source,velocity_m_s,channel_a,channel_b,offset_a_m,offset_b_m,time_a_ms,time_b_ms\r\n"
            "layer,1,SD.T7P,operator,1500,,,,,,\r\n"
            "pair,1,,,1500,1,2,1.5,3,1,2\r\n"
            "pair,2,,,1500,2,3,3,4.5,2,3\r\n"
            "pair,3,,,1500,3,4,4.5,6,3,4\r\n");
  EXPECT_NE(r.out.find("\"times_ms\": [1, 2]"), std::string::npos) << r.out;
  // A user survey (00) has no method until one is given.
  WriteRecord("US.T7P", 0, 4, 1024, 10, 1.5, {}, Ringing(800, 10));
  WritePicks("US.T7P", {{1, 1.5, "t0", 101}, {2, 3, "t0", 201}}, 10);
  ExpectFailure("interpret US.T7P", "该探测方法暂不支持解析：US.T7P（探测方法 00）");
  const CliResult chosen = Run("interpret --json --method two-point US.T7P");
  ASSERT_EQ(chosen.status, 0) << chosen.err;
  EXPECT_NEAR(JsonNumber(chosen.out, "velocity_m_s"), 1500, 1e-6);
  // A two-point record in a refraction line is named, not solved.
  ASSERT_EQ(Run("sample --index 7 ZX.T7P").status, 0);
  gt7p::test::WriteFile(dir_ / "L.csv", "file,source_x_m,first_receiver_x_m,receiver_spacing_m\r\nZX.T7P,0,0,2\r\nSD.T7P,0,1.5,1.5\r\n");
  ExpectFailure("interpret --geometry L.csv ZX.T7P SD.T7P", "不是折射记录，请单独解析：SD.T7P（探测方法 20）");
}

}  // namespace
