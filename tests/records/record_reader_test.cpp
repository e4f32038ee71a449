// Reading records back: a raw file, and the QFX and ESP files that
// ConvertRawFile makes of it, give the same samples and the same header
// values for every field the layouts carry exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "base/cp936.h"
#include "base/error.h"
#include "records/records.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

constexpr int kChannels = 4;
constexpr int kSamples = 9;

// Field digits placed by name, so the test reads like the header it builds.
void Put(std::string& record, const char* name, const std::string& digits, bool channel = false) {
  for (const std::string& entry : channel ? HeaderGroupOneEntries() : HeaderGroupZeroEntries()) {
    FieldSpec fieldSpec = ParseFieldSpec(entry);
    if (fieldSpec.name != Utf8ToCp936(name)) continue;
    ASSERT_EQ(digits.size(), static_cast<size_t>(fieldSpec.length)) << name;
    record.replace(static_cast<size_t>(fieldSpec.offset), digits.size(), digits);
    return;
  }
  FAIL() << "no field " << name;
}

std::string HeaderRecord() {
  std::string h(kHeaderRecordChars, '0');
  Put(h, "原始文件名称", "5a53303030310000" "444154");    // ZS0001.DAT
  Put(h, "存储地址", "012345");
  Put(h, "字节数量", "00ABCD");
  Put(h, "编辑标志", "01");
  Put(h, "探测时间", "20240315093012");
  Put(h, "探测地点", "4142B4C8C4CF" + std::string(24, '0'));  // AB, two characters, zero bytes
  Put(h, "测线编号", "0102");
  Put(h, "测点编号", "FFFF");
  Put(h, "触发方式", "03");
  Put(h, "触发电压", "044A");  // 4.29 V: the file keeps 42 tenths
  Put(h, "探测介质", "02");
  Put(h, "探测层数", "05");
  Put(h, "最小厚度h1", "0012FF");  // 18.996 renders 18.00: what the list shows
  Put(h, "最大厚度h2", "FFFF80");  // 65535.50
  Put(h, "最小速度v1", "018000");
  Put(h, "最大速度v2", "05C28F");
  Put(h, "已知速度V0", "FF0001");
  Put(h, "最大源检距", "001240");
  Put(h, "步距", "0420");          // 4.13 (0.125 rounds up)
  Put(h, "道数", "0004");
  Put(h, "采样点数", "0009");
  Put(h, "超前采样点数", "0064");  // 100
  Put(h, "采样间隔", "000A00");    // 10.00 us
  Put(h, "采样延时", "000003E8");  // 1000 us
  Put(h, "系统延时", "0140");      // 1.25 us
  Put(h, "探测方法", "31");
  Put(h, "解析方法", "02");
  Put(h, "初至系数K", "0180");     // 1.50: the file keeps 1
  Put(h, "幅谱阀值Av", "0040");
  Put(h, "FFT点数", "0400");
  Put(h, "插值点数", "04");
  Put(h, "频段起点", "0014");
  Put(h, "频段终点", "07D0");
  Put(h, "解析标识", "23");
  Put(h, "频段起点f1", "001480");
  Put(h, "第一层厚度", "000380");
  Put(h, "第五层倾角", "0005C0");
  return h;
}

std::string ChannelHeader(int ch) {
  std::string c(kChannelHeaderChars, '0');
  Put(c, "源检距", "000A80", true);  // 10.50 m
  Put(c, "相对高程", "0003", true);
  Put(c, "道号", "00" + std::string(1, "0123456789ABCDEF"[ch / 16]) + "0123456789ABCDEF"[ch % 16], true);
  Put(c, "低截频率fL", "000A40", true);  // 10.25: the file keeps 10
  Put(c, "前放增益", "1E", true);
  Put(c, "浮点增益类型", "02", true);
  Put(c, "浮点增益起点", "0010", true);
  Put(c, "波形最大绝对值", "7FFF", true);
  Put(c, "叠加次数", "03", true);
  Put(c, "第零层解析点t0", "0096", true);
  return c;
}

const char* const kSampleDigits[kSamples] = {"0000", "7FFF", "8000", "FFFF", "0001", "1a2b", "fff0", "4000", "C000"};
const float kSampleValues[kSamples] = {0, 32767, -32768, -1, 1, 6699, -16, 16384, -16384};

std::string RawFile() {
  std::string raw = "1020" "00ABCD" + HeaderRecord();
  for (int ch = 1; ch <= kChannels; ++ch) {
    raw += ChannelHeader(ch * 7);
    for (int s = 0; s < kSamples; ++s) raw += kSampleDigits[(s + ch) % kSamples];
  }
  return raw;
}

std::map<std::string, std::string> AsMap(const std::vector<FieldLine>& lines) {
  std::map<std::string, std::string> m;
  for (const FieldLine& l : lines) m[Cp936ToUtf8(l.name)] = Cp936ToUtf8(l.value);
  return m;
}

class RecordReaderTest : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& content) {
    test::WriteFile(dir_ / name, content);
    return dir_ / name;
  }
  fs::path Converted(const std::string& name, const OutputFormat& format) {
    const fs::path path = Write(name, RawFile());
    EXPECT_TRUE(ConvertRawFile(path, format));
    return path;
  }
  static std::string ReadFailure(const fs::path& path) {
    return Cp936ToUtf8(test::FailureOf([&] { ReadRecord(path); }));
  }

  test::TempDir dir_;
};

TEST_F(RecordReaderTest, RawFile) {
  const Record r = ReadRecord(Write("A.T7P", RawFile()));
  EXPECT_EQ(r.header.format, &RawFormat());
  EXPECT_EQ(r.header.channelCount, kChannels);
  EXPECT_EQ(r.header.sampleCount, kSamples);
  EXPECT_EQ(r.header.preTriggerCount, 100);
  EXPECT_EQ(r.header.intervalUs, 10.0);
  EXPECT_EQ(r.header.sampleDelayUs, 1000.0);
  EXPECT_EQ(RecordSampleTimes(r.header).AtMs(0), 0.0);  // no single-precision residue
  EXPECT_EQ(r.header.headerRecord, HeaderRecord());
  EXPECT_EQ(r.header.declaredSize, r.header.fileSize);
  ASSERT_EQ(r.channels.size(), static_cast<size_t>(kChannels));
  for (int ch = 0; ch < kChannels; ++ch) {
    const RecordChannel& c = r.channels[static_cast<size_t>(ch)];
    EXPECT_EQ(c.header, ChannelHeader((ch + 1) * 7));
    EXPECT_EQ(ChannelNumber(c.header), (ch + 1) * 7);
    EXPECT_EQ(SourceDistanceM(c.header), 10.5);
    EXPECT_EQ(AnalysisPoints(c.header)[0], 150);
    EXPECT_EQ(AnalysisPoints(c.header)[5], 0);
    for (int s = 0; s < kSamples; ++s) EXPECT_EQ(c.samples[static_cast<size_t>(s)], kSampleValues[(s + ch + 1) % kSamples]);
  }
  EXPECT_EQ(HeaderFieldLines(r.header).size(), 54u);
  EXPECT_EQ(ChannelFieldLines(r.header, r.channels[0].header).size(), 16u);
}

// What the layouts carry comes back as the list would render the raw file;
// the truncated entries come back as what the file holds; the rest is not held.
TEST_F(RecordReaderTest, QfxAndEspGiveBackTheRawValues) {
  const Record raw = ReadRecord(Write("A.T7P", RawFile()));
  const auto rawHeader = AsMap(HeaderFieldLines(raw.header));
  const auto rawChannel = AsMap(ChannelFieldLines(raw.header, raw.channels[1].header));
  const std::map<std::string, std::string> truncated = {
      {"触发电压", "4.20（≤5V）"}, {"初至系数K", "1.00"}, {"幅谱阀值Av", "0.00"}};
  const std::set<std::string> notHeld = {"存储地址", "字节数量", "编辑标志", "解析标识", "频段起点f1", "频段终点f2"};
  const std::set<std::string> channelNotHeld = {"浮点增益起点", "叠加次数", "第零层解析点t0", "第一层解析点t1",
                                                "第二层解析点t2", "第三层解析点t3", "第四层解析点t4", "第五层解析点t5"};

  for (bool qfx : {true, false}) {
    SCOPED_TRACE(qfx ? "QFX" : "ESP");
    const OutputFormat& format = qfx ? QfxFormat() : EspFormat();
    const Record r = ReadRecord(Converted("A" + format.extension, format));
    EXPECT_EQ(r.header.format, &format);
    EXPECT_EQ(r.header.channelCount, kChannels);
    EXPECT_EQ(r.header.sampleCount, kSamples);
    EXPECT_EQ(r.header.preTriggerCount, 100);
    EXPECT_EQ(r.header.intervalUs, 10.0);
    EXPECT_EQ(r.header.sampleDelayUs, 1000.0);

    const auto header = AsMap(HeaderFieldLines(r.header));
    EXPECT_EQ(header.size(), rawHeader.size() - notHeld.size());
    for (const auto& [name, value] : rawHeader) {
      if (notHeld.count(name)) {
        EXPECT_EQ(header.count(name), 0u) << name;
      } else if (truncated.count(name)) {
        EXPECT_EQ(header.at(name), truncated.at(name)) << name;
      } else {
        ASSERT_EQ(header.count(name), 1u) << name;
        EXPECT_EQ(header.at(name), value) << name;
      }
    }

    for (int ch = 0; ch < kChannels; ++ch) {
      const RecordChannel& c = r.channels[static_cast<size_t>(ch)];
      EXPECT_EQ(c.samples, raw.channels[static_cast<size_t>(ch)].samples);
      EXPECT_EQ(ChannelNumber(c.header), (ch + 1) * 7);
      EXPECT_EQ(AnalysisPoints(c.header)[0], 0);  // not carried
    }
    const auto channel = AsMap(ChannelFieldLines(r.header, r.channels[1].header));
    EXPECT_EQ(channel.size(), rawChannel.size() - channelNotHeld.size());
    for (const auto& [name, value] : rawChannel) {
      if (channelNotHeld.count(name))
        EXPECT_EQ(channel.count(name), 0u) << name;
      else if (name == "低截频率fL")
        EXPECT_EQ(channel.at(name), "10.00（1-4000HZ）");
      else
        EXPECT_EQ(channel.at(name), value) << name;
    }
  }
}

// The 8-byte magic decides, whatever the extension says.
TEST_F(RecordReaderTest, FormatByContentNotName) {
  const fs::path qfx = Converted("B.QFX", QfxFormat());
  fs::rename(qfx, dir_ / "B.T7P");
  EXPECT_EQ(RecordReader(dir_ / "B.T7P").header().format, &QfxFormat());
  EXPECT_EQ(&FileFormat(dir_ / "B.T7P"), &QfxFormat());
  EXPECT_EQ(RecordReader(Write("C.ESP", RawFile())).header().format, &RawFormat());
}

TEST_F(RecordReaderTest, ChannelsInAnyOrderAndHeadersAlone) {
  RecordReader reader(Converted("D.ESP", EspFormat()));
  RecordChannel third, first, header;
  reader.ReadChannel(2, third);
  reader.ReadChannel(0, first);
  reader.ReadChannel(3, header, false);
  EXPECT_EQ(ChannelNumber(third.header), 21);
  EXPECT_EQ(first.samples[0], kSampleValues[1]);
  EXPECT_EQ(ChannelNumber(header.header), 28);
  EXPECT_TRUE(header.samples.empty());
  EXPECT_THROW(reader.ReadChannel(4, header), Error);
}

TEST_F(RecordReaderTest, Failures) {
  std::string raw = RawFile();
  EXPECT_EQ(ReadFailure(Write("short.T7P", raw.substr(0, raw.size() - 1))), test::Said(Failure::kIncompleteFile));
  EXPECT_EQ(ReadFailure(Write("head.T7P", raw.substr(0, 200))), test::Said(Failure::kIncompleteFile));
  EXPECT_EQ(ReadFailure(Write("empty.T7P", "")), test::Said(Failure::kIncompleteFile));
  const std::string qfx = test::ReadFile(Converted("E.QFX", QfxFormat()));
  EXPECT_EQ(ReadFailure(Write("short.QFX", qfx.substr(0, qfx.size() - 4))), test::Said(Failure::kIncompleteFile));
  EXPECT_EQ(ReadFailure(Write("header.QFX", qfx.substr(0, 300))), test::Said(Failure::kIncompleteFile));
  EXPECT_EQ(ReadFailure(Write("text.T7P", "hello, world")), test::Said(Failure::kUnknownFormat));
  std::string noChannels = raw;
  noChannels.replace(10 + 144, 4, "0000");
  EXPECT_EQ(ReadFailure(Write("none.T7P", noChannels)), test::Said(Failure::kNoTracesOrSamples));
  EXPECT_EQ(ReadFailure(dir_ / "missing.QFX"),
            test::Said(Failure::kFileNotFound) + Cp936ToUtf8(TextFromPath(dir_ / "missing.QFX")));
  // Nothing that isn't a file passes for a missing one (nor is read: a
  // device or a pipe may never end).
  fs::create_directory(dir_ / "folder.QFX");
  EXPECT_EQ(ReadFailure(dir_ / "folder.QFX"),
            test::Said(Failure::kFolderNotFile) + Cp936ToUtf8(TextFromPath(dir_ / "folder.QFX")));
  if (fs::exists("/dev/zero")) {
    EXPECT_EQ(ReadFailure("/dev/zero"), test::Said(Failure::kNotRegularFile) + "/dev/zero");
  }
}

// A header that declares no samples opens for its fields (info, the
// viewer's header pane), and its channels read as headers without samples.
TEST_F(RecordReaderTest, NoSamplesDeclared) {
  for (const OutputFormat* format : {&QfxFormat(), &RawFormat()}) {
    SCOPED_TRACE(format->name);
    std::string file = test::ReadFile(Converted("F" + format->extension, *format));
    if (format->layout)
      file.replace(162, 2, std::string(2, '\0'));  // entry 37, the sample count
    else
      file.replace(10 + 148, 4, "0000");
    RecordReader reader(Write("none" + format->extension, file), false);
    EXPECT_EQ(reader.header().sampleCount, 0);
    RecordChannel channel;  // no samples yet: nowhere to copy them to
    reader.ReadChannel(0, channel);
    EXPECT_TRUE(channel.samples.empty());
    EXPECT_EQ(ChannelNumber(channel.header), 7);
  }
}

}  // namespace
}  // namespace gt7p
