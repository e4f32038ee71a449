// gt7p-cli export, plot and info on QFX/ESP, run as a user would. The SEG-Y
// and SEG-2 files are read by readers written from the standards
// (tests/records/standard_readers.h), and compared sample for sample with
// the raw file's own hex digits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/text.h"
#include "records/records.h"
#include "tests/cli/cli_test.h"
#include "tests/records/standard_readers.h"
#include "tests/records/test_records.h"
#include "tests/support/failure.h"

namespace {
namespace fs = std::filesystem;
using gt7p::Failure;
using gt7p::test::Said;
using gt7p::test::Slurp;
using gt7p::test::Seg2File;
using gt7p::test::Seg2Trace;
using gt7p::test::ReadSeg2;

// ---- the raw file's own digits ----

struct RawChannel {
  int number;
  std::vector<double> samples;
};

std::vector<RawChannel> RawChannels(const std::string& raw) {
  const int channels = std::stoi(raw.substr(10 + 144, 4), nullptr, 16);
  const int samples = std::stoi(raw.substr(10 + 148, 4), nullptr, 16);
  std::vector<RawChannel> out;
  size_t at = 326;
  for (int ch = 0; ch < channels; ++ch, at += 64 + 4 * static_cast<size_t>(samples)) {
    RawChannel c{std::stoi(raw.substr(at + 10, 4), nullptr, 16), {}};
    for (int s = 0; s < samples; ++s)
      c.samples.push_back(static_cast<int16_t>(std::stoi(raw.substr(at + 64 + 4 * static_cast<size_t>(s), 4), nullptr, 16)));
    out.push_back(c);
  }
  return out;
}

using CliExportTest = gt7p::test::CliTest;

// Demo record 2: 24 channels of 1024 samples, 16 before the trigger, 10 us.
TEST_F(CliExportTest, Seg2HoldsTheRawSamplesAndHeader) {
  ASSERT_EQ(Run("sample --index 2 a.T7P").status, 0);
  ASSERT_EQ(Run("convert a.T7P").status, 0);
  ASSERT_EQ(Run("convert --format esp a.T7P").status, 0);
  gt7p::test::CliResult r = Run("export --format seg2 a.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  const std::string bytes = Slurp(dir_ / "a.sg2");
  const Seg2File f = ReadSeg2(bytes);
  EXPECT_EQ(f.revision, 1);
  EXPECT_EQ(f.strings.at("ACQUISITION_DATE"), "15/MAR/2024");
  EXPECT_EQ(f.strings.at("ACQUISITION_TIME"), "09:45:27");
  EXPECT_EQ(f.strings.at("TRACE_SORT"), "AS_ACQUIRED");
  EXPECT_EQ(f.strings.at("UNITS"), "METERS");
  EXPECT_FALSE(f.strings.at("INSTRUMENT").empty());
  const std::string note = f.strings.at("NOTE");
  for (const char* line : {"FILE ZS0002.DAT\n", "PRE_TRIGGER_SAMPLES 16\n", "SAMPLE_INTERVAL_US 10.00\n", "CHANNELS 24\n"})
    EXPECT_NE(note.find(line), std::string::npos) << line;

  const std::vector<RawChannel> raw = RawChannels(Slurp(dir_ / "a.T7P"));
  ASSERT_EQ(f.traces.size(), raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const Seg2Trace& t = f.traces[i];
    EXPECT_EQ(t.formatCode, 1);
    EXPECT_EQ(t.strings.at("CHANNEL_NUMBER"), std::to_string(raw[i].number));
    EXPECT_EQ(t.strings.at("SAMPLE_INTERVAL"), "0.00001");
    EXPECT_EQ(t.strings.at("DELAY"), "-0.00016");  // 16 samples before the trigger
    // 1 m spacing; the elevation (0, 1, 2 m in turn) as z where it is not 0
    const size_t elevation = (i + 1) % 3;
    EXPECT_EQ(t.strings.at("RECEIVER_LOCATION"),
              std::to_string(i + 1) + (elevation ? " 0 " + std::to_string(elevation) : ""));
    EXPECT_EQ(t.strings.at("SOURCE_LOCATION"), "0");
    EXPECT_EQ(t.strings.count("DESCALING_FACTOR"), 0u);  // the instrument gives none
    EXPECT_FALSE(t.strings.at("STACK").empty());
    EXPECT_EQ(t.samples, raw[i].samples) << "channel " << i + 1;
  }

  // QFX and ESP read back to the same record: the same bytes, less the
  // stack count, which they don't hold.
  ASSERT_EQ(Run("export --format seg2 a.QFX q.sg2").status, 0);
  ASSERT_EQ(Run("export --format seg2 a.ESP e.sg2").status, 0);
  EXPECT_EQ(Slurp(dir_ / "q.sg2"), Slurp(dir_ / "e.sg2"));
  const Seg2File q = ReadSeg2(Slurp(dir_ / "q.sg2"));
  EXPECT_EQ(q.strings, f.strings);
  ASSERT_EQ(q.traces.size(), f.traces.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    auto strings = f.traces[i].strings;
    strings.erase("STACK");
    EXPECT_EQ(q.traces[i].strings, strings);
    EXPECT_EQ(q.traces[i].samples, f.traces[i].samples);
  }
}

// SEG-Y is ours on every system: the same file here and in the Windows
// build (tests/windows/exports_equal.sh compares the two).
TEST_F(CliExportTest, SegyOfRawAndQfx) {
  ASSERT_EQ(Run("sample --index 5 b.T7P").status, 0);
  ASSERT_EQ(Run("convert b.T7P").status, 0);
  ASSERT_EQ(Run("convert --format esp b.T7P").status, 0);
  gt7p::test::CliResult r = Run("export --format segy b.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  ASSERT_EQ(Run("export --format segy b.QFX q.sgy").status, 0);
  ASSERT_EQ(Run("export --format segy b.ESP e.sgy").status, 0);
  const std::string segy = Slurp(dir_ / "b.sgy");
  // 24 channels of 2048 samples: headers of 3600 bytes, 240 per trace.
  EXPECT_EQ(segy.size(), 3600u + 24 * (240 + 4 * 2048));
  EXPECT_EQ(Slurp(dir_ / "q.sgy"), Slurp(dir_ / "e.sgy"));
  const gt7p::test::SegyFile f = gt7p::test::ReadSegy(segy), q = gt7p::test::ReadSegy(Slurp(dir_ / "q.sgy"));
  const std::vector<RawChannel> raw = RawChannels(Slurp(dir_ / "b.T7P"));
  ASSERT_EQ(f.traces.size(), raw.size());
  ASSERT_EQ(q.traces.size(), raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    EXPECT_EQ(f.traces[i].Word32(13), raw[i].number);
    EXPECT_EQ(std::vector<double>(f.traces[i].samples.begin(), f.traces[i].samples.end()), raw[i].samples);
    EXPECT_EQ(q.traces[i].samples, f.traces[i].samples);
  }
}

TEST_F(CliExportTest, FailuresLeaveNoOutput) {
  // 3 samples of 0.25 us before the trigger: no SEG-Y time word holds
  // -0.00075 ms.
  gt7p::test::TestRecord record;
  record.preTrigger = 3;
  record.intervalDigits = "000040";
  gt7p::test::WriteFile(dir_ / "early.T7P", gt7p::test::RawFileOf(record));
  gt7p::test::CliResult r = Run("export --format segy early.T7P");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("-0.00075 ms"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("SEG-2"), std::string::npos) << r.err;
  EXPECT_EQ(Run("export --format seg2 early.T7P").status, 0);  // SEG-2 takes it

  ASSERT_EQ(Run("sample --channels 16384 --samples 1 wide.T7P").status, 0);
  r = Run("export --format seg2 wide.T7P");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("16383"), std::string::npos) << r.err;

  ASSERT_EQ(Run("sample cut.T7P").status, 0);
  std::string raw = Slurp(dir_ / "cut.T7P");
  std::ofstream(dir_ / "cut.T7P", std::ios::binary) << raw.substr(0, raw.size() - 10);
  std::ofstream(dir_ / "keep.sg2") << "old";
  r = Run("export --format seg2 cut.T7P keep.sg2");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Said(Failure::kIncompleteFile) + "\n");
  EXPECT_EQ(Slurp(dir_ / "keep.sg2"), "old");
  EXPECT_EQ(Run("export --format segy cut.T7P").status, 1);
  r = Run("plot cut.T7P -o cut.png");
  EXPECT_EQ(r.status, 1);
  if (r.err.find("Qt") == std::string::npos) {  // else built without Qt
    EXPECT_EQ(r.err, Said(Failure::kIncompleteFile) + "\n");
  }
  EXPECT_EQ(Run("export --format seg2 missing.T7P").err, Said(Failure::kFileNotFound) + "missing.T7P\n");

  // An interval of 0: SEG-2 has no time axis to write either.
  record = gt7p::test::TestRecord();
  record.intervalDigits = "000000";
  gt7p::test::WriteFile(dir_ / "still.T7P", gt7p::test::RawFileOf(record));
  for (const char* format : {"seg2", "segy"}) {
    r = Run(std::string("export --format ") + format + " still.T7P");
    EXPECT_EQ(r.status, 1) << format;
    EXPECT_EQ(r.err, "采样间隔为 0 μs，无法导出：须在 0.01 至 65535 μs 之间！\n") << format;
  }
  // early.T7P, early.sg2, wide.T7P, cut.T7P, keep.sg2, still.T7P: no .sgy,
  // .sg2 of a refused record, .png or part file.
  EXPECT_EQ(FileCount(), 6u) << folder_.Names();

  EXPECT_EQ(Run("export cut.T7P").status, 2);
  EXPECT_EQ(Run("export --format segd cut.T7P").status, 2);
  EXPECT_EQ(Run("export --format seg2").status, 2);
  EXPECT_EQ(Run("plot cut.T7P").status, 2);
  EXPECT_EQ(Run("plot cut.T7P -o x.png --width 10").status, 2);
  for (const char* command : {"export", "plot"}) EXPECT_EQ(Run(std::string(command) + " --help").status, 0);
}

// The simulator's t0 is the sample at or just before its first arrival
// (0.5 ms + distance / 1.8 m/ms in demo record 2), counted from 1; channels
// whose arrival lies beyond the record have no point.
TEST_F(CliExportTest, PicksTableOfRawRecords) {
  ASSERT_EQ(Run("sample --index 2 a.T7P").status, 0);
  ASSERT_EQ(Run("sample --index 4 b.T7P").status, 0);
  gt7p::test::CliResult r = Run("picks a.T7P b.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("file,channel,distance_m,layer,sample,time_ms\r\na.T7P,1,1,t0,122,1.05\r\n", 0), 0u);
  const std::vector<gt7p::PickRow> rows = gt7p::ParsePicksTable(r.out);
  int fromA = 0;
  for (const gt7p::PickRow& row : rows) {
    if (row.file != "a.T7P") continue;
    ++fromA;
    const double arrivalMs = 0.5 + row.distanceM / 1.8;
    EXPECT_EQ(row.layer, 0);
    EXPECT_EQ(row.distanceM, row.channel);  // 1 m spacing
    EXPECT_DOUBLE_EQ(row.timeMs, (row.sample - 1 - 16) * 0.01);  // 16 before the trigger
    EXPECT_LE(row.timeMs, arrivalMs + 1e-9) << row.channel;
    EXPECT_GT(row.timeMs + 0.01, arrivalMs) << row.channel;
  }
  EXPECT_EQ(fromA, 17);  // channel 18 arrives at 10.5 ms, after the last sample (10.07 ms)
  EXPECT_GT(rows.size(), 17u);

  ASSERT_EQ(Run("picks a.T7P b.T7P -o p.csv").status, 0);
  EXPECT_EQ(Slurp(dir_ / "p.csv"), r.out);

  // QFX and ESP hold no points; a point beyond the samples is no row.
  ASSERT_EQ(Run("convert a.T7P").status, 0);
  r = Run("picks a.T7P a.QFX -o q.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "a.QFX：QFX 文件不含解析点 t0..t5，只有原始文件（.T7P）含有！\n");
  EXPECT_FALSE(fs::exists(dir_ / "q.csv"));
  gt7p::test::TestRecord record;
  record.channels[1].points = {3, 0, 0, 0, 9, 0};  // 8 samples: t4 lies beyond
  gt7p::test::WriteFile(dir_ / "x.T7P", gt7p::test::RawFileOf(record));
  r = Run("picks x.T7P");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "file,channel,distance_m,layer,sample,time_ms\r\nx.T7P,2,2,t0,3,0.02\r\n");
  EXPECT_EQ(r.err, "x.T7P：1 个解析点超出采样点数，未列出\n");

  EXPECT_EQ(Run("picks").status, 2);
  EXPECT_EQ(Run("picks a.T7P -o a.T7P").status, 2);
  EXPECT_EQ(Run("picks missing.T7P").err, Said(Failure::kFileNotFound) + "missing.T7P\n");
  EXPECT_EQ(Run("picks --help").status, 0);
}

// The PNG's size from its IHDR chunk (big-endian width and height).
std::pair<uint32_t, uint32_t> PngSize(const std::string& png) {
  auto be = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(png.at(at))) << 24 | static_cast<uint8_t>(png.at(at + 1)) << 16 |
           static_cast<uint8_t>(png.at(at + 2)) << 8 | static_cast<uint8_t>(png.at(at + 3));
  };
  EXPECT_EQ(png.substr(1, 3), "PNG");
  return {be(16), be(20)};
}

TEST_F(CliExportTest, PlotWritesAPngOfTheAskedSize) {
  ASSERT_EQ(Run("sample --index 2 a.T7P").status, 0);
  ASSERT_EQ(Run("convert a.T7P").status, 0);
  gt7p::test::CliResult r = Run("plot a.T7P -o a.png");
  if (r.status == 1 && r.err.find("Qt") != std::string::npos) GTEST_SKIP() << "built without Qt";
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(PngSize(Slurp(dir_ / "a.png")), std::make_pair(1600u, 1000u));
  ASSERT_EQ(Run("plot a.QFX --output q.png --width 777 --height 333").status, 0);
  EXPECT_EQ(PngSize(Slurp(dir_ / "q.png")), std::make_pair(777u, 333u));
  EXPECT_EQ(FileCount(), 4u) << folder_.Names();
}

// The title line names the file: two names of the same record give two
// pictures only when the text is drawn with a real font (without one every
// character is the same empty box, as on a terminal platform that finds no
// fonts).
TEST_F(CliExportTest, PlotDrawsTheTextInAFont) {
  ASSERT_EQ(Run("sample a.T7P").status, 0);
  std::ofstream(dir_ / "b.T7P", std::ios::binary) << Slurp(dir_ / "a.T7P");
  gt7p::test::CliResult r = Run("plot a.T7P -o a.png --width 400 --height 300");
  if (r.status == 1 && r.err.find("Qt") != std::string::npos) GTEST_SKIP() << "built without Qt";
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Run("plot b.T7P -o b.png --width 400 --height 300").status, 0);
  EXPECT_NE(Slurp(dir_ / "a.png"), Slurp(dir_ / "b.png"));
}

// Every display setting of the viewer reaches the picture; settings it
// can't take are usage errors.
TEST_F(CliExportTest, PlotTakesTheViewersSettings) {
  ASSERT_EQ(Run("sample --index 2 a.T7P").status, 0);
  gt7p::test::CliResult r = Run("plot a.T7P -o plain.png --width 600 --height 400");
  if (r.status == 1 && r.err.find("Qt") != std::string::npos) GTEST_SKIP() << "built without Qt";
  ASSERT_EQ(r.status, 0) << r.err;
  const char* settings[] = {"--mode wiggle", "--mode va-neg", "--mode grey", "--mode rwb", "--gain 6", "--agc 1",
                            "--clip 0.3", "--filter 1000,10000", "--filter 0,5000", "--dc", "--range 0,2",
                            "--time-down", "--reverse", "--flip", "--no-normalise"};
  std::map<std::string, std::string> pictures = {{Slurp(dir_ / "plain.png"), "plain"}};
  for (const char* setting : settings) {
    r = Run(std::string("plot a.T7P -o s.png --width 600 --height 400 ") + setting);
    ASSERT_EQ(r.status, 0) << setting << ": " << r.err;
    EXPECT_EQ(PngSize(Slurp(dir_ / "s.png")), std::make_pair(600u, 400u)) << setting;
    const auto [at, added] = pictures.emplace(Slurp(dir_ / "s.png"), setting);
    EXPECT_TRUE(added) << setting << " draws what " << at->second << " draws";
  }
  // Receivers 1 m apart: spaced by distance, the traces lie as evenly
  // spaced ones, with a distance axis beside them that no other picture has.
  ASSERT_EQ(Run("plot a.T7P -o s.png --width 600 --height 400 --distance").status, 0);
  EXPECT_EQ(pictures.count(Slurp(dir_ / "s.png")), 0u);
}

// A setting out of its range is refused before anything is drawn. (Apart
// from the one above: each run of the program costs a second under Wine.)
TEST_F(CliExportTest, PlotRefusesSettingsOutOfRange) {
  ASSERT_EQ(Run("sample --index 2 a.T7P").status, 0);
  gt7p::test::CliResult r = Run("plot a.T7P -o plain.png --width 600 --height 400");
  if (r.status == 1 && r.err.find("Qt") != std::string::npos) GTEST_SKIP() << "built without Qt";
  for (const char* bad : {"--mode va+", "--gain 61", "--gain x", "--agc -1", "--agc 0", "--agc 100001", "--clip 0",
                          "--filter 500,100", "--filter 100", "--filter -1,100", "--filter 0,1000001", "--range 5,1",
                          "--range 1,x", "--gain 1,5"}) {
    r = Run(std::string("plot a.T7P -o bad.png ") + bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "bad.png")) << bad;
  }
}

// The operator's first breaks beside the record are drawn; a table that
// can't be read is left out, the picture still made.
TEST_F(CliExportTest, PlotDrawsTheFirstBreaksBesideTheRecord) {
  ASSERT_EQ(Run("sample --index 2 a.T7P").status, 0);
  gt7p::test::CliResult r = Run("plot a.T7P -o before.png");
  if (r.status == 1 && r.err.find("Qt") != std::string::npos) GTEST_SKIP() << "built without Qt";
  std::ofstream(dir_ / "a.picks.csv", std::ios::binary) << "file,channel,distance_m,layer,sample,time_ms\r\n"
                                                            "a.T7P,3,3,t0,200,1.84\r\n";
  ASSERT_EQ(Run("plot a.T7P -o picked.png").status, 0);
  EXPECT_NE(Slurp(dir_ / "picked.png"), Slurp(dir_ / "before.png"));
  std::ofstream(dir_ / "a.picks.csv", std::ios::binary) << "not a table";
  r = Run("plot a.T7P -o broken.png");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp(dir_ / "broken.png"), Slurp(dir_ / "before.png"));
}

TEST_F(CliExportTest, InfoOfQfxAndEspShowsTheFieldsTheyHold) {
  ASSERT_EQ(Run("sample --index 3 s.T7P").status, 0);
  ASSERT_EQ(Run("convert s.T7P").status, 0);
  ASSERT_EQ(Run("convert --format esp s.T7P").status, 0);
  const std::string raw = Run("info s.T7P").out;
  for (const char* name : {"s.QFX", "s.ESP"}) {
    SCOPED_TRACE(name);
    gt7p::test::CliResult r = Run(std::string("info ") + name);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> got = gt7p::SplitLines(r.out);
    ASSERT_GT(got.size(), 60u);
    EXPECT_EQ(got[0], "原始文件名称\tSD0103  .DAT");
    EXPECT_EQ(got[1], "探测时间\t2024年04月02日14:12:05");  // address, byte count, edit flag not held
    EXPECT_EQ(r.out.find("存储地址"), std::string::npos);
    EXPECT_EQ(r.out.find("解析点"), std::string::npos);
    for (const char* line : {"\n采样间隔\t20.00μs\n", "\n探测方法\t围岩松动圈探测\n", "\n道数\t12\n"}) {
      EXPECT_NE(raw.find(line), std::string::npos) << line;
      EXPECT_NE(r.out.find(line), std::string::npos) << line;
    }
    EXPECT_NE(r.out.find(std::string("\n\n文件格式\t") + (name[2] == 'Q' ? "QFX" : "ESP") + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n\n第12道\n源检距\t6.00m\n"), std::string::npos);
    EXPECT_EQ(r.out.find("第13道"), std::string::npos);
  }
  // A short file still shows its header, and says it is short.
  const std::string qfx = Slurp(dir_ / "s.QFX");
  std::ofstream(dir_ / "short.QFX", std::ios::binary) << qfx.substr(0, 512 + 64 + 100);
  gt7p::test::CliResult r = Run("info short.QFX");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Said(Failure::kIncompleteFile) + "\n");
  EXPECT_NE(r.out.find("\n" + Said(Failure::kIncompleteFile) + "\n\n第1道\n"), std::string::npos);
  EXPECT_EQ(r.out.find("第2道"), std::string::npos);
}

}  // namespace
