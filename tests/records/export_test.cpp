// SEG-Y and SEG-2 of records the instrument can make, read back by the
// readers written from the standards: every sample's time and every
// channel's geometry exact, or the record refused with a message.
#include <gtest/gtest.h>

#include <cmath>

#include "base/cp936.h"
#include "records/records.h"
#include "tests/records/standard_readers.h"
#include "tests/records/test_records.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

// What a record's time axis must be, from its parameters alone: the
// interval field is 16.8 fixed point shown to the hundredth of a
// microsecond, the delay whole microseconds.
struct Expected {
  int64_t intervalCentiUs, firstCentiUs;
};
Expected ExpectedTimes(const test::TestRecord& r) {
  const int64_t fixed = std::stoll(r.intervalDigits, nullptr, 16);
  const int64_t interval = (fixed * 100 + 128) / 256;
  return {interval, r.delayUs * 100 - r.preTrigger * interval};
}

class ExportTest : public ::testing::Test {
 protected:
  fs::path Raw(const test::TestRecord& r, const std::string& name = "R.T7P") {
    test::WriteFile(dir_ / name, test::RawFileOf(r));
    return dir_ / name;
  }
  test::SegyFile Segy(const test::TestRecord& r) {
    RecordReader reader(Raw(r));
    WriteSegy(reader, dir_ / "R.sgy");
    return test::ReadSegy(test::ReadFile(dir_ / "R.sgy"));
  }
  std::string SegyFailure(const test::TestRecord& r) {
    RecordReader reader(Raw(r));
    const std::string failure = Cp936ToUtf8(test::FailureOf([&] { WriteSegy(reader, dir_ / "refused.sgy"); }));
    EXPECT_FALSE(fs::exists(dir_ / "refused.sgy"));  // refused before anything is written
    return failure;
  }
  test::Seg2File Seg2(const test::TestRecord& r) {
    RecordReader reader(Raw(r));
    WriteSeg2(reader, dir_ / "R.sg2");
    return test::ReadSeg2(test::ReadFile(dir_ / "R.sg2"));
  }

  // Every trace of `f` holds the record's samples at their exact times.
  static void ExpectTimesAndSamples(const test::SegyFile& f, const test::TestRecord& r) {
    const Expected e = ExpectedTimes(r);
    EXPECT_EQ(f.samples, r.samples);
    const auto interval = static_cast<int64_t>(std::llround(f.intervalUs * 100));
    EXPECT_EQ(f.intervalUs, static_cast<double>(e.intervalCentiUs) / 100);  // the nearest double
    ASSERT_EQ(f.traces.size(), r.channels.size());
    for (size_t c = 0; c < f.traces.size(); ++c) {
      const test::SegyTrace& t = f.traces[c];
      int64_t first = 0;
      ASSERT_TRUE(t.FirstCentiUs(first)) << "trace " << c;
      ASSERT_EQ(t.samples.size(), static_cast<size_t>(r.samples));
      for (int s = 0; s < r.samples; ++s) {
        ASSERT_EQ(first + s * interval, e.firstCentiUs + s * e.intervalCentiUs) << "trace " << c << " sample " << s;
        ASSERT_EQ(t.samples[static_cast<size_t>(s)], test::SampleValue(static_cast<int>(c), s));
      }
    }
  }

  test::TempDir dir_;
};

TEST_F(ExportTest, Revision1HoldsWholeIntervalsWithPreTriggerAndDelay) {
  struct Case {
    int pre;
    int64_t delayUs;
    std::string interval;
    int32_t delayWord, scalar;
  } cases[] = {
      {64, 0, "000A00", -64, -100},           // -0.64 ms
      {16, 1500, "000C00", 1308, -1000},      // 1500 - 16 x 12 us: 1.308 ms
      {0, 40000000, "000A00", 4000, 10},      // 40 s: 4000 x 10 ms
      {0, -2000, "7FFF00", -2, 1},            // 32767 us, the largest rev 1 interval
      {2, 0, "000100", -2, -1000},            // 1 us
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval + " pre " + std::to_string(c.pre) + " delay " + std::to_string(c.delayUs));
    test::TestRecord r;
    r.preTrigger = c.pre;
    r.delayUs = c.delayUs;
    r.intervalDigits = c.interval;
    const test::SegyFile f = Segy(r);
    EXPECT_EQ(f.revisionMajor, 1);
    EXPECT_EQ(f.revisionMinor, 0);
    EXPECT_EQ(f.Word16(3217), f.intervalUs);
    EXPECT_EQ(f.traces[0].Word16(109), c.delayWord);
    EXPECT_EQ(f.traces[0].Word16(215), c.scalar);
    EXPECT_EQ(f.traces[0].Word16(117), f.intervalUs);
    EXPECT_EQ(f.traces[0].Word16(115), r.samples);
    ExpectTimesAndSamples(f, r);
  }
  // The longest trace rev 1 holds.
  test::TestRecord r;
  r.samples = 32767;
  r.channels.resize(1);
  const test::SegyFile f = Segy(r);
  EXPECT_EQ(f.revisionMajor, 1);
  ExpectTimesAndSamples(f, r);
}

TEST_F(ExportTest, Revision2HoldsQuarterAndSubMicrosecondIntervalsAndLongTraces) {
  struct Case {
    int pre, samples;
    int64_t delayUs;
    std::string interval;
    int32_t interval16;
  } cases[] = {
      {16, 8, 1500, "000C80", 0},    // 12.5 us, first sample at 1.3 ms
      {64, 8, 0, "000040", 0},       // 0.25 us, at -0.016 ms
      {4, 8, 3, "000080", 0},        // 0.5 us, at 0.001 ms
      {0, 8, 0, "000021", 0},        // renders 0.13 us
      {32, 40000, 100, "000A00", 10}, // 40000 samples of 10 us
      {0, 8, 0, "9C4000", 40000},    // 40000 us: a 2-byte word unsigned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval + " pre " + std::to_string(c.pre) + " samples " + std::to_string(c.samples));
    test::TestRecord r;
    r.preTrigger = c.pre;
    r.samples = c.samples;
    r.delayUs = c.delayUs;
    r.intervalDigits = c.interval;
    if (c.samples > 1000) r.channels.resize(2);
    const test::SegyFile f = Segy(r);
    EXPECT_EQ(f.revisionMajor, 2);
    EXPECT_EQ(f.revisionMinor, 0);
    EXPECT_EQ(f.Word16Unsigned(3217), static_cast<uint32_t>(c.interval16));
    EXPECT_EQ(f.traces[0].Word16(117) & 0xFFFF, c.interval16);
    EXPECT_EQ(f.Word32(3269), r.samples);
    EXPECT_EQ(f.Word32(3261), static_cast<int32_t>(r.channels.size()));
    EXPECT_EQ(f.traces[0].Word16(115) & 0xFFFF, r.samples);
    EXPECT_NE(f.text.find("SEG-Y_REV2.0"), std::string::npos);
    ExpectTimesAndSamples(f, r);
  }
}

TEST_F(ExportTest, TimesNoWordHoldsAreRefusedNamingSeg2) {
  test::TestRecord r;
  r.preTrigger = 3;
  r.intervalDigits = "000040";  // 3 x 0.25 us before the trigger: -0.00075 ms
  EXPECT_EQ(SegyFailure(r),
            "第一个采样点的时间 -0.00075 ms 无法准确写入 SEG-Y 道头（109-110 字节，时间比例因子 1 至 10000）；请改用 "
            "SEG-2 格式！");
  // SEG-2 holds it, exactly.
  const test::Seg2File f = Seg2(r);
  EXPECT_EQ(f.traces[0].strings.at("DELAY"), "-0.00000075");
  EXPECT_EQ(f.traces[0].strings.at("SAMPLE_INTERVAL"), "0.00000025");

  r = test::TestRecord();
  r.delayUs = 40000001;  // 40000.001 ms: no scalar keeps it in 16 bits
  EXPECT_NE(SegyFailure(r).find("40000.001 ms"), std::string::npos);
  r.delayUs = 32767000;  // the largest whole milliseconds
  EXPECT_EQ(Segy(r).traces[0].Word16(109), 32767);

  r = test::TestRecord();
  r.intervalDigits = "000000";
  EXPECT_EQ(SegyFailure(r), "采样间隔为 0 μs，无法导出：须在 0.01 至 65535 μs 之间！");
}

// A QFX file's interval is a float of milliseconds, which may hold anything:
// neither export writes a file for one that is not a number from 0.01 to
// 65535 μs, and the message names the value as it is.
TEST_F(ExportTest, IntervalsNoTimeAxisHasAreRefusedByBoth) {
  const fs::path raw = Raw(test::TestRecord());
  ASSERT_TRUE(ConvertRawFile(raw, QfxFormat()));  // raw now holds the QFX file
  const std::string qfx = test::ReadFile(raw);
  const float tenUs = 0.01f;  // ms
  const std::string tenUsBytes(reinterpret_cast<const char*>(&tenUs), 4);
  const size_t at = qfx.find(tenUsBytes);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(qfx.find(tenUsBytes, at + 1), std::string::npos);
  const struct {
    float ms;
    const char* shown;
  } cases[] = {{std::nanf(""), "nan"}, {INFINITY, "inf"}, {-0.003f, "-3"}, {3e35f, "3e+38"}, {65.536f, "65536"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    std::string patched = qfx;
    patched.replace(at, 4, reinterpret_cast<const char*>(&c.ms), 4);
    test::WriteFile(dir_ / "R.QFX", patched);
    const std::string want = std::string("采样间隔为 ") + c.shown + " μs，无法导出：须在 0.01 至 65535 μs 之间！";
    RecordReader reader(dir_ / "R.QFX");
    EXPECT_EQ(Cp936ToUtf8(test::FailureOf([&] { WriteSegy(reader, dir_ / "R.sgy"); })), want);
    EXPECT_EQ(Cp936ToUtf8(test::FailureOf([&] { WriteSeg2(reader, dir_ / "R.sg2"); })), want);
    EXPECT_FALSE(fs::exists(dir_ / "R.sgy"));
    EXPECT_FALSE(fs::exists(dir_ / "R.sg2"));
  }
  // The ends of the range still go out.
  for (const float ms : {0.00001f, 65.535f}) {
    std::string patched = qfx;
    patched.replace(at, 4, reinterpret_cast<const char*>(&ms), 4);
    test::WriteFile(dir_ / "R.QFX", patched);
    RecordReader reader(dir_ / "R.QFX");
    EXPECT_EQ(test::FailureOf([&] { WriteSeg2(reader, dir_ / "R.sg2"); }), "(no error)") << ms;
  }
}

// Distance in whole metres and exactly as group X; elevation, stack, gain,
// filters and the record's numbers where SEG-Y has words for them.
TEST_F(ExportTest, GeometryAndAcquisitionWordsPerTrace) {
  test::TestRecord r;
  r.channels[0].distanceDigits = "001240";  // 18.25 m
  r.channels[1].distanceDigits = "000A80";  // 10.5 m
  r.channels[1].elevation = 3;
  r.channels[1].stack = 4;
  r.channels[1].gain = 36;
  r.channels[1].lowCutDigits = "000A40";    // 10.25 Hz
  r.channels[2].number = 12;                // 12 m
  const test::SegyFile f = Segy(r);
  struct Want {
    int32_t offset, groupX, scalar, elevation, stack, gain, lowCut;
    int64_t exactCm;
  } want[] = {{18, 1825, -100, 0, 1, 24, 10, 1825}, {11, 105, -10, 3, 4, 36, 10, 1050}, {12, 12, 1, 0, 1, 24, 10, 1200}};
  ASSERT_EQ(f.traces.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const test::SegyTrace& t = f.traces[i];
    EXPECT_EQ(t.Word32(1), static_cast<int32_t>(i) + 1);
    EXPECT_EQ(t.Word32(5), static_cast<int32_t>(i) + 1);
    EXPECT_EQ(t.Word32(9), 42);  // ZS0042
    EXPECT_EQ(t.Word32(13), r.channels[i].number);
    EXPECT_EQ(t.Word32(17), 17);  // the survey point
    EXPECT_EQ(t.Word16(29), 1);
    EXPECT_EQ(t.Word16(31), want[i].stack);
    EXPECT_EQ(t.Word32(37), want[i].offset);
    int64_t groupCm = 0, sourceCm = -1, elevationCm = 0;
    ASSERT_TRUE(t.ScaledHundredths(81, 71, groupCm));
    ASSERT_TRUE(t.ScaledHundredths(73, 71, sourceCm));
    EXPECT_EQ(groupCm - sourceCm, want[i].exactCm);
    EXPECT_EQ(t.Word32(81), want[i].groupX);
    EXPECT_EQ(t.Word16(71), want[i].scalar);
    ASSERT_TRUE(t.ScaledHundredths(41, 69, elevationCm));
    EXPECT_EQ(elevationCm, want[i].elevation * 100);
    EXPECT_EQ(t.Word16(121), want[i].gain);
    EXPECT_EQ(t.Word16(149), want[i].lowCut);
    EXPECT_EQ(t.Word16(151), 2000);
    EXPECT_EQ(t.Word16(157), 2024);
    EXPECT_EQ(t.Word16(159), 75);  // 15 March of a leap year
  }
  EXPECT_EQ(f.Word32(3205), 3);    // line
  EXPECT_EQ(f.Word16(3213), 3);
  EXPECT_EQ(f.Word16(3255), 1);    // metres
  EXPECT_EQ(f.Word16(3503), 1);
  EXPECT_NE(f.text.find("C 1 SURVEY RECORD"), std::string::npos);
  EXPECT_NE(f.text.find("PLACE %BB%B4%C4%CF%25%BF%F3"), std::string::npos);
  EXPECT_NE(f.text.find("SAMPLE INTERVAL 10 US EXACTLY"), std::string::npos);
  EXPECT_NE(f.text.find("FIRST SAMPLE AT 0 MS"), std::string::npos);
  EXPECT_NE(f.text.find("C39 SEG Y REV1"), std::string::npos);
  EXPECT_NE(f.text.find("C40 END TEXTUAL HEADER"), std::string::npos);
}

TEST_F(ExportTest, Seg2StandardStrings) {
  test::TestRecord r;
  r.preTrigger = 16;
  r.intervalDigits = "000C80";
  r.delayUs = 1500;
  r.channels[1].distanceDigits = "000A80";
  r.channels[1].elevation = 3;
  r.channels[1].stack = 0;           // unset: no STACK
  r.channels[1].lowCutDigits = "000000";
  const test::Seg2File f = Seg2(r);
  EXPECT_EQ(f.strings.at("LINE_ID"), "3");
  EXPECT_EQ(f.strings.count("DESCALING_FACTOR"), 0u);
  EXPECT_NE(f.strings.at("NOTE").find("PLACE " + Utf8ToCp936("淮南%25矿") + "\n"), std::string::npos);
  ASSERT_EQ(f.traces.size(), 3u);
  const auto& a = f.traces[0].strings;
  EXPECT_EQ(a.at("DELAY"), "0.0013");
  EXPECT_EQ(a.at("SAMPLE_INTERVAL"), "0.0000125");
  EXPECT_EQ(a.at("STACK"), "1");
  EXPECT_EQ(a.at("LOW_CUT_FILTER"), "10");
  EXPECT_EQ(a.at("HIGH_CUT_FILTER"), "2000");
  EXPECT_EQ(a.at("FIXED_GAIN"), "24");
  EXPECT_EQ(a.at("RECEIVER_LOCATION"), "1");
  EXPECT_EQ(a.at("SOURCE_LOCATION"), "0");
  EXPECT_EQ(a.at("SHOT_SEQUENCE_NUMBER"), "42");
  EXPECT_EQ(a.count("DESCALING_FACTOR"), 0u);
  const auto& b = f.traces[1].strings;
  EXPECT_EQ(b.at("RECEIVER_LOCATION"), "10.5 0 3");
  EXPECT_EQ(b.count("STACK"), 0u);
  EXPECT_EQ(b.count("LOW_CUT_FILTER"), 0u);
  for (size_t c = 0; c < 3; ++c)
    for (int s = 0; s < r.samples; ++s)
      EXPECT_EQ(f.traces[c].samples[static_cast<size_t>(s)], test::SampleValue(static_cast<int>(c), s));
}

// The survey time is read once for both formats: a date gives the trace
// words, the acquisition strings and the summary's time; digits that are
// no date give none of them, and the summary shows the digits.
TEST_F(ExportTest, SurveyTimeInBothFormats) {
  struct Case {
    std::string digits;
    int dayOfYear;  // 0: no date
    std::string summary, date;
  } cases[] = {
      {"20241231235958", 366, "2024-12-31 23:59:58", "31/DEC/2024"},
      {"20230101000000", 1, "2023-01-01 00:00:00", "01/JAN/2023"},
      {"20241301000000", 0, "20241301000000", ""},  // month 13
      {"20240315240000", 0, "20240315240000", ""},  // hour 24
      {"2024AB15094527", 0, "2024AB15094527", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    test::TestRecord r;
    r.time = c.digits;
    const test::SegyFile segy = Segy(r);
    EXPECT_EQ(segy.traces[0].Word16(159), c.dayOfYear);
    EXPECT_EQ(segy.traces[0].Word16(167), c.dayOfYear ? 1 : 0);  // local time, where there is one
    EXPECT_NE(segy.text.find("TIME " + c.summary + " "), std::string::npos);
    const test::Seg2File seg2 = Seg2(r);
    EXPECT_NE(seg2.strings.at("NOTE").find("\nTIME " + c.summary + "\n"), std::string::npos);
    EXPECT_EQ(seg2.strings.count("ACQUISITION_DATE") ? seg2.strings.at("ACQUISITION_DATE") : "", c.date);
  }
}

// A QFX or ESP file exports as its raw file does, less what it doesn't
// hold (the stack count): the samples and the time axis are the same.
TEST_F(ExportTest, QfxExportsAsItsRawFile) {
  test::TestRecord r;
  r.preTrigger = 16;
  r.intervalDigits = "000C80";
  r.delayUs = 1500;
  r.channels[2].stack = 5;
  const test::SegyFile raw = Segy(r);
  ASSERT_TRUE(ConvertRawFile(Raw(r, "Q.T7P"), QfxFormat()));
  RecordReader reader(dir_ / "Q.T7P");
  WriteSegy(reader, dir_ / "Q.sgy");
  const test::SegyFile qfx = test::ReadSegy(test::ReadFile(dir_ / "Q.sgy"));
  EXPECT_EQ(qfx.text, raw.text);
  EXPECT_EQ(qfx.binary, raw.binary);
  ASSERT_EQ(qfx.traces.size(), raw.traces.size());
  for (size_t i = 0; i < raw.traces.size(); ++i) {
    EXPECT_EQ(qfx.traces[i].samples, raw.traces[i].samples);
    EXPECT_EQ(qfx.traces[i].Word16(31), 0);
    std::string a = raw.traces[i].header, b = qfx.traces[i].header;
    a.replace(30, 2, 2, '\0');
    EXPECT_EQ(a, b) << i;
  }
}

}  // namespace
}  // namespace gt7p
