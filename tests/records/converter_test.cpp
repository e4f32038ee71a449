// The converter against a raw file built here from literal offsets, with
// every expected value worked out by hand rather than by the converter's
// own helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/cp936.h"
#include "base/error.h"
#include "records/converter.h"
#include "records/layouts.h"
#include "records/samples.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

void Put(std::string& record, size_t offset, const std::string& digits) { record.replace(offset, digits.size(), digits); }

std::string HexOf(const std::string& bytes) {
  static const char d[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) out += {d[c >> 4], d[c & 15]};
  return out;
}

const char* const kSamples[] = {"0000", "7FFF", "8000", "FFFF", "ffff", "1a2b", "fff0"};
const float kSampleValues[] = {0.0f, 32767.0f, -32768.0f, -1.0f, -1.0f, 6699.0f, -16.0f};
constexpr int kSampleCount = 7;
constexpr int kChannels = 3;

std::string HeaderRecord() {
  std::string h(316, '0');
  Put(h, 0, "5445535430303031" "444154");  // TEST0001.DAT
  Put(h, 36, "20061231235959");
  Put(h, 50, "4142" + HexOf(Utf8ToCp936("淮南")));  // AB淮南, then zero bytes
  Put(h, 86, "00FF");                               // line number 255
  Put(h, 94, "01");                                 // trigger mode
  Put(h, 96, "0433");                               // 4.20 V
  Put(h, 100, "02");                                // medium
  Put(h, 102, "03");                                // layers
  Put(h, 104, "001240");                            // h1 18.25
  Put(h, 116, "018000");                            // v1 1.5
  Put(h, 140, "0180");                              // step 1.50
  Put(h, 144, "0003");                              // channels
  Put(h, 148, "0007");                              // samples
  Put(h, 152, "0064");                              // 100 pre-trigger samples
  Put(h, 156, "000A00");                            // 10.00 us
  Put(h, 162, "000003E8");                          // 1000 us
  Put(h, 170, "0140");                              // 1.25 us
  Put(h, 174, "31");                                // method 31
  Put(h, 176, "03");                                // analysis method
  Put(h, 178, "0180");                              // K 1.50
  Put(h, 198, "0400");                              // FFT 1024
  Put(h, 202, "04");                                // interpolation
  Put(h, 212, "23");                                // analysis flag 2-3
  Put(h, 238, "FFFF80");                            // dip 65535.50
  return h;
}

std::string ChannelHeader(int channel) {
  std::string c(64, '0');
  Put(c, 0, "000A80");   // distance 10.50
  Put(c, 6, "FFFF");     // elevation 65535
  Put(c, 10, "000" + std::to_string(channel));
  Put(c, 14, "000A40");  // fL 10.25
  Put(c, 20, "07D000");  // fH 2000.00
  Put(c, 26, "1E");      // gain 30
  Put(c, 28, "02");      // floating-gain type
  Put(c, 34, "7FFF");    // largest sample
  return c;
}

std::string RawFile() {
  std::string raw = "1020" "00ABCD" + HeaderRecord();
  for (int ch = 1; ch <= kChannels; ++ch) {
    raw += ChannelHeader(ch);
    for (const char* s : kSamples) raw += s;
  }
  return raw;
}

class ConvertRawFileTest : public ::testing::Test {
 protected:
  std::string Convert(bool toQfx, const std::string& raw) {
    test::WriteFile(path_, raw);
    EXPECT_TRUE(ConvertRawFile(path_, toQfx ? QfxFormat() : EspFormat()));
    EXPECT_FALSE(test::Exists(dir_ / "TEST0001.___"));
    return test::ReadFile(path_);
  }
  // The raw file is back, unchanged, and nothing else is left.
  void ExpectRestored(const std::string& raw) {
    EXPECT_EQ(test::ReadFile(path_), raw);
    EXPECT_EQ(dir_.Count(), 1u);
  }

  test::TempDir dir_;
  const std::filesystem::path path_ = dir_ / "TEST0001.QFX";
};

uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
int U16(const std::string& b, size_t at) { return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8; }
int U8(const std::string& b, size_t at) { return static_cast<uint8_t>(b[at]); }
float F32(const std::string& b, size_t at) {
  uint32_t bits = U32(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

// Header fields common to both formats, at their byte offsets.
void ExpectCommonHeader(const std::string& out) {
  EXPECT_EQ(U8(out, 10), 3);      // fixed
  EXPECT_EQ(U8(out, 11), 3);      // layers
  EXPECT_EQ(U8(out, 12), 2);      // medium
  EXPECT_EQ(U8(out, 13), 0x1F);   // method 31
  EXPECT_EQ(U8(out, 14), 1);      // trigger mode
  EXPECT_EQ(U8(out, 15), 3);      // analysis method
  EXPECT_EQ(U8(out, 20), 0);
  EXPECT_EQ(U8(out, 22), 0x32);   // "2-3" gives the code of "2"
  EXPECT_EQ(out.substr(23, 73), "AB" + Utf8ToCp936("淮南") + std::string(12, ' ') + std::string(55, '\0'));
  EXPECT_EQ(out.substr(96, 16), std::string("TEST0001.DAT") + std::string(4, '\0'));
  EXPECT_EQ(out.substr(112, 16), std::string("20061231235959") + std::string(2, '\0'));
  EXPECT_EQ(U16(out, 132), 100);  // pre-trigger samples
  EXPECT_EQ(U16(out, 134), 42);   // 4.20 V in tenths
  EXPECT_EQ(U16(out, 136), 1);    // K 1.50 truncated
  EXPECT_EQ(U16(out, 146), 1024);
  EXPECT_EQ(U16(out, 156), 3);
  EXPECT_EQ(U16(out, 158), 255);
  EXPECT_EQ(U16(out, 162), 7);
  EXPECT_EQ(U32(out, 192), 3u);
  EXPECT_EQ(U32(out, 196), 4u);
  EXPECT_EQ(U32(out, 256), 0x3C23D70Au);  // the float nearest 0.01
  EXPECT_EQ(U32(out, 260), 0x32C00000u);  // 1.0 - 100 x that float, not 0
  EXPECT_EQ(F32(out, 264), 0.00125f);
  EXPECT_EQ(F32(out, 288), 18.25f);
  EXPECT_EQ(F32(out, 296), 1.5f);
  EXPECT_EQ(F32(out, 312), 1.5f);
  EXPECT_EQ(F32(out, 324), 65535.5f);
  EXPECT_EQ(F32(out, 316), 0.0f);
}

void ExpectChannels(const std::string& out, size_t headerSize, size_t channelHeaderSize) {
  for (int ch = 0; ch < kChannels; ++ch) {
    size_t at = headerSize + static_cast<size_t>(ch) * (channelHeaderSize + 4 * kSampleCount);
    SCOPED_TRACE("channel " + std::to_string(ch + 1));
    EXPECT_EQ(U8(out, at + 0), 2);     // floating-gain type
    EXPECT_EQ(U8(out, at + 2), 30);    // gain
    EXPECT_EQ(U8(out, at + 5), 1);     // fixed
    EXPECT_EQ(U16(out, at + 6), 10);   // fL 10.25 truncated
    EXPECT_EQ(U16(out, at + 8), 2000);
    EXPECT_EQ(U32(out, at + 20), static_cast<uint32_t>(ch + 1));
    EXPECT_EQ(F32(out, at + 28), 65535.0f);
    EXPECT_EQ(F32(out, at + 56), 10.5f);
    EXPECT_EQ(F32(out, at + 60), 32767.0f);
    for (int s = 0; s < kSampleCount; ++s) EXPECT_EQ(F32(out, at + channelHeaderSize + 4 * s), kSampleValues[s]) << s;
  }
}

TEST_F(ConvertRawFileTest, Qfx) {
  std::string out = Convert(true, RawFile());
  ASSERT_EQ(out.size(), 512u + kChannels * (64 + 4 * kSampleCount));
  EXPECT_EQ(out.substr(0, 8), "QZZDQX10");
  EXPECT_EQ(HexOf(out.substr(128, 4)), "00024000");
  ExpectCommonHeader(out);
  EXPECT_EQ(out.substr(384, 128), std::string(128, '\0'));
  ExpectChannels(out, 512, 64);
}

TEST_F(ConvertRawFileTest, Esp) {
  std::string out = Convert(false, RawFile());
  ASSERT_EQ(out.size(), 1024u + kChannels * (128 + 4 * kSampleCount));
  EXPECT_EQ(out.substr(0, 8), "MSPNSJ10");
  EXPECT_EQ(HexOf(out.substr(128, 4)), "00048000");
  ExpectCommonHeader(out);
  EXPECT_EQ(out.substr(384, 640), std::string(640, '\0'));
  ExpectChannels(out, 1024, 128);
  EXPECT_EQ(out.substr(1024 + 64, 64), std::string(64, '\0'));
}

TEST_F(ConvertRawFileTest, DemoSizesAndNoPreTrigger) {
  // 12 channels of 1024 samples, no pre-trigger samples: the delay is 1.0 ms.
  std::string header = HeaderRecord();
  Put(header, 144, "000C");
  Put(header, 148, "0400");
  Put(header, 152, "0000");
  std::string raw = "1020000000" + header;
  for (int ch = 0; ch < 12; ++ch) raw += ChannelHeader(1) + std::string(4 * 1024, '0');
  std::string esp = Convert(false, raw);
  EXPECT_EQ(esp.size(), 51712u);
  EXPECT_EQ(F32(esp, 260), 1.0f);
  EXPECT_EQ(Convert(true, raw).size(), 50432u);
}

TEST_F(ConvertRawFileTest, LongerRawFileIgnoresTheRest) {
  std::string out = Convert(true, RawFile() + "FFFFFFFF");
  EXPECT_EQ(out.size(), 512u + kChannels * (64 + 4 * kSampleCount));
}

TEST_F(ConvertRawFileTest, RawOutputLeavesAWholeFileAlone) {
  const std::string raw = RawFile() + "0123";  // what runs on past the declared end stays too
  test::WriteFile(path_, raw);
  EXPECT_TRUE(ConvertRawFile(path_, RawFormat()));
  EXPECT_EQ(test::ReadFile(path_), raw);
}

TEST_F(ConvertRawFileTest, NothingToConvert) {
  EXPECT_FALSE(ConvertRawFile(dir_ / "missing.QFX", QfxFormat()));
  fs::create_directory(dir_.path() / "folder.QFX");
  EXPECT_FALSE(ConvertRawFile(dir_ / "folder.QFX", QfxFormat()));
  EXPECT_TRUE(fs::is_directory(dir_.path() / "folder.QFX"));
  // Into a new file: a folder in the output's place stays, nothing is made.
  test::WriteFile(path_, RawFile());
  EXPECT_FALSE(ConvertRawFileTo(path_, dir_ / "folder.QFX", QfxFormat()));
  EXPECT_TRUE(fs::is_directory(dir_.path() / "folder.QFX"));
  EXPECT_FALSE(ConvertRawFileTo(dir_ / "missing.T7P", dir_ / "X.QFX", QfxFormat()));
  EXPECT_FALSE(ConvertRawFileTo(path_, dir_ / "X.T7P", RawFormat()));
  EXPECT_EQ(dir_.Count(), 2u);
}

TEST_F(ConvertRawFileTest, OldWorkFileIsReplaced) {
  test::WriteFile(dir_ / "TEST0001.___", "stale");
  std::string out = Convert(true, RawFile());
  EXPECT_EQ(out.substr(0, 8), "QZZDQX10");
  // A link at the work file's name goes the same way; what it points at stays.
  test::WriteFile(dir_ / "victim", "precious");
  std::error_code ec;
  std::filesystem::create_symlink(dir_ / "victim", dir_ / "TEST0001.___", ec);
  if (ec) return;  // no links here
  EXPECT_EQ(Convert(false, RawFile()).substr(0, 8), "MSPNSJ10");
  EXPECT_EQ(test::ReadFile(dir_ / "victim"), "precious");
}

TEST_F(ConvertRawFileTest, ZeroCountsFailAndRestore) {
  for (size_t field : {144u, 148u}) {
    std::string raw = RawFile();
    Put(raw, 10 + field, "0000");
    test::WriteFile(path_, raw);
    EXPECT_EQ(test::FailureOf([&] { ConvertRawFile(path_, QfxFormat()); }), "") << field;
    ExpectRestored(raw);
  }
}

// Short of what the header declares (or of a header): a failure in every
// format, the raw one kept as it came included, and the file as it was.
TEST_F(ConvertRawFileTest, TruncatedRawFileFailsAndRestores) {
  const std::string full = RawFile();
  for (size_t length : {size_t{0}, size_t{9}, size_t{200}, size_t{326}, size_t{400}, full.size() - 1}) {
    std::string raw = full.substr(0, length);
    for (const OutputFormat* format : {&QfxFormat(), &EspFormat(), &RawFormat()}) {
      test::WriteFile(path_, raw);
      EXPECT_EQ(test::FailureOf([&] { ConvertRawFile(path_, *format); }), FailureText(Failure::kIncompleteFile))
          << length << " " << format->name;
      ExpectRestored(raw);
    }
  }
}

// The sample pass the converter uses (four at a time where the processor
// allows) against the plain one: every pair of bytes in either half of a
// sample, and every sample count up to a few blocks.
TEST(SamplePass, AgreesWithTheTableForEveryCharacterPair) {
  std::string chars;
  for (int pair = 0; pair < 65536; ++pair) {
    for (int half = 0; half < 2; ++half) {
      std::string sample = half ? "7F" : "80";
      sample.insert(half ? 0 : 2, {static_cast<char>(pair & 0xFF), static_cast<char>(pair >> 8)});
      chars += sample;
    }
  }
  const size_t samples = chars.size() / 4;
  std::string fast(4 * samples, '\0'), plain(4 * samples, '\0');
  ConvertSamples(chars.data(), samples, &fast[0]);
  ConvertSamplesByTable(chars.data(), samples, &plain[0]);
  EXPECT_TRUE(fast == plain);
  for (size_t count = 0; count <= 9; ++count) {
    std::string a(4 * count + 4, 'x'), b = a;
    ConvertSamples(chars.data() + 4 * 1000, count, &a[0]);
    ConvertSamplesByTable(chars.data() + 4 * 1000, count, &b[0]);
    EXPECT_EQ(a, b) << count;  // nothing written past the last sample
  }
}

// Floats to 16-bit integers for SEG-2, eight at a time where the processor
// allows, against the plain pass: a value that is no 16-bit integer
// anywhere (among the eight or in the rest) turns the whole answer.
TEST(SamplePass, ShortsFromFloatsAgreesWithThePlainPass) {
  const float whole[] = {0, 1, -1, 32767, -32768, 12345, -0.0f, 255, 256, -257};
  const float notShort[] = {32768, -32769, 0.5f, -0.5f, 1e10f, -1e10f, std::nanf(""), INFINITY, -INFINITY, 32767.5f};
  for (size_t count = 0; count <= 19; ++count) {
    std::vector<float> in(count);
    for (size_t i = 0; i < count; ++i) in[i] = whole[i % 10];
    std::string fast(2 * count, 'x'), plain = fast;
    ASSERT_TRUE(ShortsFromFloats(in.data(), count, &fast[0]));
    ASSERT_TRUE(ShortsFromFloatsOneByOne(in.data(), count, &plain[0]));
    EXPECT_EQ(fast, plain) << count;
    for (size_t at = 0; at < count; ++at) {
      for (float bad : notShort) {
        std::vector<float> spoilt = in;
        spoilt[at] = bad;
        EXPECT_FALSE(ShortsFromFloats(spoilt.data(), count, &fast[0])) << count << " " << at << " " << bad;
        EXPECT_FALSE(ShortsFromFloatsOneByOne(spoilt.data(), count, &plain[0])) << count << " " << at << " " << bad;
      }
    }
  }
  const float values[] = {-32768, -1, 0, 1, 32767, 0x1234, -0x1234, 7, -7, 100};
  std::string bytes(20, '\0');
  ASSERT_TRUE(ShortsFromFloats(values, 10, &bytes[0]));
  EXPECT_EQ(HexOf(bytes), "0080" "FFFF" "0000" "0100" "FF7F" "3412" "CCED" "0700" "F9FF" "6400");
}

TEST(WriteLayoutGroup, ModesSizesAndKinds) {
  std::vector<LayoutEntry> entries;
  for (const char* e : {"0C,4,0,1,,,,F,1, 0102 ,", "0C,2,4,2,,,,F,,ABCD,", "0C,3,6,3,,,,D,,,", "0S,4,9,4,,,,D,,,",
                        "0C,4,13,5,0,H,2,T,,,"})
    entries.push_back(ParseLayoutEntry(e));
  ConversionContext context;
  std::string out;
  WriteLayoutGroup(entries, "1f", true, context, out);
  // Long text is cut to the size; T writes the source digits as hex text.
  EXPECT_EQ(HexOf(out), "01020000" "4142" "000000" "00000000" "33313636");
  // Hex digits give raw bytes: a numeric kind cannot read them.
  EXPECT_THROW(WriteLayoutGroup({ParseLayoutEntry("0L,4,0,1,,,,F,1,0102,")}, "", true, context, out), ConvertError);
}

// Entry 23's tenths of a volt from a field far wider than the trigger
// voltage's: no overflow, the lowest 16 bits of the truncated value.
TEST(WriteLayoutGroup, TriggerVoltageRuleTakesAnyFiniteValue) {
  ConversionContext context;
  std::string out;
  WriteLayoutGroup({ParseLayoutEntry("0I,2,0,23,0,H,8,N,,,8*")}, "7FFFFFFF", true, context, out);
  EXPECT_EQ(HexOf(out), "F6FF");  // 21474836470 = 0x4FFFFFFF6
  out.clear();
  WriteLayoutGroup({ParseLayoutEntry("0I,2,0,23,0,C,2,F,,1e300,")}, "", true, context, out);
  EXPECT_EQ(out.size(), 2u);
}

}  // namespace
}  // namespace gt7p
