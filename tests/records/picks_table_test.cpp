// The picks table: the instrument's points counted from 1 with their exact
// times, the table's text both ways, and what it refuses to read.
#include <gtest/gtest.h>

#include "base/cp936.h"
#include "records/picks_table.h"
#include "records/records.h"
#include "records/sample_times.h"
#include "tests/records/test_records.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

TEST(SampleTimes, ExactDecimalTexts) {
  EXPECT_EQ(ScaledDecimalText(-64, 2), "-0.64");
  EXPECT_EQ(ScaledDecimalText(1250, 2), "12.5");
  EXPECT_EQ(ScaledDecimalText(0, 5), "0");
  EXPECT_EQ(ScaledDecimalText(100000, 5), "1");
  EXPECT_EQ(ScaledDecimalText(-5, 8), "-0.00000005");
  EXPECT_EQ(ScaledDecimalText(INT64_MIN, 0), "-9223372036854775808");
  EXPECT_EQ(CentiUsAsMs(-75), "-0.00075");
}

TEST(PicksTable, PointsCountFromOneAndZeroIsNone) {
  EXPECT_EQ(PickSampleIndex(0, 8), -1);
  EXPECT_EQ(PickSampleIndex(1, 8), 0);
  EXPECT_EQ(PickSampleIndex(8, 8), 7);
  EXPECT_EQ(PickSampleIndex(9, 8), -1);
  EXPECT_EQ(PickSampleIndex(-3, 8), -1);
  EXPECT_EQ(PickValue(PickSampleIndex(5, 8)), 5);
  EXPECT_EQ(PickLayerName(0), "t0");
  EXPECT_EQ(PickLayerName(5), "t5");
}

class PicksOfRecords : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& name, const test::TestRecord& record) {
    test::WriteFile(dir_ / name, test::RawFileOf(record));
    return dir_ / name;
  }
  test::TempDir dir_;
};

// 16 samples before the trigger at 12.5 us, recording delayed 1500 us: the
// first sample lies at 1.3 ms, sample number n at 1.3 + (n - 1) x 0.0125 ms.
TEST_F(PicksOfRecords, RowsOfARawRecordOnTheExportsTimeAxis) {
  test::TestRecord r;
  r.samples = 40;
  r.preTrigger = 16;
  r.intervalDigits = "000C80";
  r.delayUs = 1500;
  r.channels[0].points = {1, 0, 40, 0, 0, 41};  // 41: beyond the samples
  r.channels[0].distanceDigits = "001240";      // 18.25 m
  r.channels[2].points = {0, 0, 0, 0, 0, 17};
  r.channels[2].number = 9;
  int outside = 0;
  std::vector<PickRow> rows;
  {
    RecordReader reader(Write("A.T7P", r));  // closed before the conversion below (Windows)
    ASSERT_TRUE(HoldsPicks(reader.header()));
    rows = RecordPicks(reader, "A.T7P", &outside);
  }
  EXPECT_EQ(outside, 1);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(PicksTableText(rows),
            "file,channel,distance_m,layer,sample,time_ms\r\n"
            "A.T7P,1,18.25,t0,1,1.3\r\n"
            "A.T7P,1,18.25,t2,40,1.7875\r\n"
            "A.T7P,9,9,t5,17,1.5\r\n");

  // A sub-microsecond interval and pre-trigger samples: a time before 0.
  r.intervalDigits = "000040";  // 0.25 us
  r.delayUs = 0;
  r.preTrigger = 3;
  RecordReader quarter(Write("Q.T7P", r));
  const std::vector<PickRow> q = RecordPicks(quarter, "Q.T7P");
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[0].timeMs, -0.00075);
  EXPECT_EQ(PicksTableLine(q[0]), "Q.T7P,1,18.25,t0,1,-0.00075\r\n");

  // QFX and ESP files don't carry the points.
  ASSERT_TRUE(ConvertRawFile(dir_ / "A.T7P", QfxFormat()));
  EXPECT_FALSE(HoldsPicks(RecordReader(dir_ / "A.T7P").header()));
}

TEST(PicksTable, TextReadsBackAsWritten) {
  const std::vector<PickRow> rows = {
      {"A.T7P", 1, 18.25, 0, 1, -0.64},
      {u8"测线\"3\",东.T7P", 65535, 0, 5, 65535, 1234567.89012},
      {"line\r\nbreak", 2, 6553.5, 3, 100, 0},
  };
  const std::string text = PicksTableText(rows);
  EXPECT_NE(text.find(u8"\r\n\"测线\"\"3\"\",东.T7P\",65535,0,t5,65535,1234567.89012\r\n"), std::string::npos);
  EXPECT_EQ(ParsePicksTable(text), rows);

  // What other programs write: a byte order mark, LF, blanks, a last line
  // without its end, empty lines.
  const std::vector<PickRow> other = ParsePicksTable(
      "\xEF\xBB\xBF" "file,channel,distance_m,layer,sample,time_ms\n\nB.T7P, 7 ,1.50, t1 ,3,0.02");
  ASSERT_EQ(other.size(), 1u);
  EXPECT_EQ(other[0], (PickRow{"B.T7P", 7, 1.5, 1, 3, 0.02}));

  test::TempDir dir;
  WritePicksTable(dir / "p.csv", rows);
  EXPECT_EQ(test::ReadFile(dir / "p.csv"), text);
  EXPECT_EQ(ReadPicksTable(dir / "p.csv"), rows);
  EXPECT_EQ(ParsePicksTable(PicksTableHeader()), std::vector<PickRow>());
}

TEST(PicksTable, ReflectionPicksKeepTheirOwnLabelApartFromFirstBreaks) {
  const std::vector<PickRow> rows = {
      {"R.T7P", 3, 6, 0, 41, 0.4},
      {"R.T7P", 3, 6, kReflectionPick, 801, 8},
      {"R.T7P", 4, 8, kReflectionPick, 805, 8.04},
      {"other/R.T7P", 5, 10, kReflectionPick, 900, 8.99},  // the same name in another folder
  };
  const std::string text = PicksTableText(rows);
  EXPECT_NE(text.find("\r\nR.T7P,3,6,refl,801,8\r\n"), std::string::npos);
  EXPECT_EQ(ParsePicksTable(text), rows);
  const std::vector<int32_t> channels = {3, 4, 5, 6};
  std::vector<PickRow> others;
  EXPECT_EQ(FirstBreaksOf(channels, 1000, "R.T7P", rows, &others), (std::vector<int32_t>{41, 0, 0, 0}));
  EXPECT_EQ(others.size(), 3u);  // the reflections, kept for a save
  EXPECT_EQ(PicksOf(channels, 1000, "R.T7P", rows, kReflectionPick, nullptr),
            (std::vector<int32_t>{801, 805, 900, 0}));
  const std::string head = PicksTableHeader();
  for (const char* row : {"A,1,2,Refl,1,0", "A,1,2,refl2,1,0", "A,1,2,r,1,0"})
    EXPECT_EQ(Cp936ToUtf8(test::FailureOf([&] { ParsePicksTable(head + row); })), "拾取表格式不对（第2行）！") << row;
}

TEST(PicksTable, RefusesWhatIsNoTableOfPicks) {
  const std::string head = "file,channel,distance_m,layer,sample,time_ms\r\n";
  auto failure = [](const std::string& text) {
    return Cp936ToUtf8(test::FailureOf([&] { ParsePicksTable(text); }));
  };
  EXPECT_EQ(failure(""), "拾取表格式不对（第1行）！");
  EXPECT_EQ(failure("file,channel,distance,layer,sample,time_ms\r\n"), "拾取表格式不对（第1行）！");
  EXPECT_EQ(failure(head + "A,1,2,t0,1,0\r\nA,1,2,t6,1,0\r\n"), "拾取表格式不对（第3行）！");
  for (const char* row : {"A,1,2,t0,0,0", "A,1,2,t0,1", "A,x,2,t0,1,0", "A,1,2,t0,1,0,extra", "A,1,2,T0,1,0",
                          "A,1,2,t0,1.5,0", "A,1,,t0,1,0"})
    EXPECT_EQ(failure(head + row), "拾取表格式不对（第2行）！") << row;
  test::TempDir dir;
  EXPECT_EQ(test::FailureOf([&] { ReadPicksTable(dir / "none.csv"); }).rfind(FailureText(Failure::kFileNotFound), 0),
            0u);
  // A folder by that name is no table (it read as an empty one).
  std::filesystem::create_directory(dir / "folder.picks.csv");
  EXPECT_EQ(test::FailureOf([&] { ReadPicksTable(dir / "folder.picks.csv"); })
                .rfind(FailureText(Failure::kFolderNotFile), 0),
            0u);
  // A table beyond the bound is refused before it is read (a sparse file:
  // no disk is spent on it).
  test::WriteFile(dir / "huge.picks.csv", head);
  std::filesystem::resize_file(dir / "huge.picks.csv", kMaxPicksTableBytes + 1);
  EXPECT_EQ(Cp936ToUtf8(test::FailureOf([&] { ReadPicksTable(dir / "huge.picks.csv"); }))
                .rfind("拾取表太大（超过 32 MB）：", 0),
            0u);
  std::filesystem::resize_file(dir / "huge.picks.csv", kMaxPicksTableBytes);
  EXPECT_EQ(Cp936ToUtf8(test::FailureOf([&] { ReadPicksTable(dir / "huge.picks.csv"); })), "拾取表格式不对（第2行）！");
}

}  // namespace
}  // namespace gt7p
