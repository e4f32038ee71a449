// gt7p-cli export, plot and info on QFX/ESP, run as a user would. The SEG-2
// files are read by a reader written here from the SEG-2 standard (1990),
// and compared sample for sample with the raw file's own hex digits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/text.h"
#include "tests/cli/cli_test.h"

namespace {
namespace fs = std::filesystem;
using gt7p::test::Slurp;

uint32_t Le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b.at(at + static_cast<size_t>(i)));
  return v;
}

// ---- SEG-2 revision 1, as the standard lays it out ----

struct Seg2Trace {
  std::map<std::string, std::string> strings;
  int formatCode = 0;
  std::vector<double> samples;
};

struct Seg2File {
  int revision = 0;
  std::map<std::string, std::string> strings;
  std::vector<Seg2Trace> traces;
};

// Strings: a 2-byte offset to the next one, the text, the terminator; an
// offset of 0 ends them. Each is a keyword, a blank and the value.
std::map<std::string, std::string> Seg2Strings(const std::string& b, size_t at, size_t end) {
  std::map<std::string, std::string> out;
  while (at + 2 <= end) {
    const uint32_t next = Le(b, at, 2);
    if (next == 0) break;
    std::string text = b.substr(at + 2, next - 2);
    text = text.substr(0, text.find('\0'));
    const size_t blank = text.find(' ');
    out[text.substr(0, blank)] = blank == std::string::npos ? "" : text.substr(blank + 1);
    at += next;
  }
  return out;
}

Seg2File ReadSeg2(const std::string& b) {
  Seg2File f;
  EXPECT_EQ(Le(b, 0, 2), 0x3A55u);  // file descriptor block id
  f.revision = static_cast<int>(Le(b, 2, 2));
  const uint32_t pointerBytes = Le(b, 4, 2), traces = Le(b, 6, 2);
  EXPECT_EQ(pointerBytes % 4, 0u);
  EXPECT_LE(traces * 4, pointerBytes);
  EXPECT_EQ(b[8], 1);   // string terminator of one byte
  EXPECT_EQ(b[9], 0);
  EXPECT_EQ(b[11], 1);  // line terminator of one byte
  EXPECT_EQ(b[12], '\n');
  std::vector<uint32_t> pointers;
  for (uint32_t i = 0; i < traces; ++i) pointers.push_back(Le(b, 32 + 4 * i, 4));
  f.strings = Seg2Strings(b, 32 + pointerBytes, traces ? pointers[0] : b.size());
  for (uint32_t p : pointers) {
    Seg2Trace t;
    EXPECT_EQ(Le(b, p, 2), 0x4422u);  // trace descriptor block id
    const uint32_t blockBytes = Le(b, p + 2, 2), dataBytes = Le(b, p + 4, 4), ns = Le(b, p + 8, 4);
    EXPECT_EQ(blockBytes % 4, 0u);
    t.formatCode = static_cast<uint8_t>(b[p + 12]);
    t.strings = Seg2Strings(b, p + 32, p + blockBytes);
    const size_t data = p + blockBytes;
    const int width = t.formatCode == 1 ? 2 : 4;
    EXPECT_EQ(dataBytes, ns * static_cast<uint32_t>(width));
    for (uint32_t i = 0; i < ns; ++i) {
      const uint32_t v = Le(b, data + width * i, width);
      if (t.formatCode == 1) {
        t.samples.push_back(static_cast<int16_t>(v));
      } else {
        float x;
        std::memcpy(&x, &v, 4);
        t.samples.push_back(x);
      }
    }
    f.traces.push_back(t);
  }
  return f;
}

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
    EXPECT_EQ(t.strings.at("RECEIVER_LOCATION"), std::to_string(i + 1));  // 1 m spacing
    EXPECT_EQ(t.strings.at("SOURCE_LOCATION"), "0");
    EXPECT_EQ(t.strings.at("DESCALING_FACTOR"), "1");
    EXPECT_EQ(t.samples, raw[i].samples) << "channel " << i + 1;
  }

  // QFX and ESP read back to the same record: the same bytes.
  ASSERT_EQ(Run("export --format seg2 a.QFX q.sg2").status, 0);
  ASSERT_EQ(Run("export --format seg2 a.ESP e.sg2").status, 0);
  EXPECT_EQ(Slurp(dir_ / "q.sg2"), bytes);
  EXPECT_EQ(Slurp(dir_ / "e.sg2"), bytes);
}

TEST_F(CliExportTest, SegyOfRawAndQfxAreTheSame) {
  ASSERT_EQ(Run("sample --index 5 b.T7P").status, 0);
  ASSERT_EQ(Run("convert b.T7P").status, 0);
  if (!GT7P_SEGYIO_BUILT) {  // the Windows build: no segyio for mingw-w64
    gt7p::test::CliResult r = Run("export --format segy b.T7P");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("segyio"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "b.sgy"));
    return;
  }
  ASSERT_EQ(Run("export --format segy b.T7P").status, 0);
  ASSERT_EQ(Run("export --format segy b.QFX q.sgy").status, 0);
  const std::string segy = Slurp(dir_ / "b.sgy");
  // 24 channels of 2048 samples: headers of 3600 bytes, 240 per trace.
  EXPECT_EQ(segy.size(), 3600u + 24 * (240 + 4 * 2048));
  EXPECT_EQ(Slurp(dir_ / "q.sgy"), segy);
}

TEST_F(CliExportTest, FailuresLeaveNoOutput) {
  ASSERT_EQ(Run("sample --channels 1 --samples 40000 long.T7P").status, 0);
  gt7p::test::CliResult r = Run("export --format segy long.T7P");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(GT7P_SEGYIO_BUILT ? "32767" : "segyio"), std::string::npos) << r.err;
  EXPECT_EQ(Run("export --format seg2 long.T7P").status, 0);  // SEG-2 takes it

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
  EXPECT_EQ(r.err, "数据文件不完整！\n");
  EXPECT_EQ(Slurp(dir_ / "keep.sg2"), "old");
  EXPECT_EQ(Run("export --format segy cut.T7P").status, 1);
  r = Run("plot cut.T7P -o cut.png");
  EXPECT_EQ(r.status, 1);
  if (r.err.find("Qt") == std::string::npos) {  // else built without Qt
    EXPECT_EQ(r.err, "数据文件不完整！\n");
  }
  EXPECT_EQ(Run("export --format seg2 missing.T7P").err, "找不到文件：missing.T7P\n");
  // long.T7P, long.sg2, wide.T7P, cut.T7P, keep.sg2: no .sgy, .png or part file.
  EXPECT_EQ(FileCount(), 5u);

  EXPECT_EQ(Run("export cut.T7P").status, 2);
  EXPECT_EQ(Run("export --format segd cut.T7P").status, 2);
  EXPECT_EQ(Run("export --format seg2").status, 2);
  EXPECT_EQ(Run("plot cut.T7P").status, 2);
  EXPECT_EQ(Run("plot cut.T7P -o x.png --width 10").status, 2);
  for (const char* command : {"export", "plot"}) EXPECT_EQ(Run(std::string(command) + " --help").status, 0);
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
  EXPECT_EQ(FileCount(), 4u);
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
  EXPECT_EQ(r.err, "数据文件不完整！\n");
  EXPECT_NE(r.out.find("\n数据文件不完整！\n\n第1道\n"), std::string::npos);
  EXPECT_EQ(r.out.find("第2道"), std::string::npos);
}

}  // namespace
