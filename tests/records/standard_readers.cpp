#include "tests/records/standard_readers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gt7p {
namespace test {
namespace {

uint32_t Be(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | static_cast<uint8_t>(b.at(at + static_cast<size_t>(i)));
  return v;
}

uint32_t Le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b.at(at + static_cast<size_t>(i)));
  return v;
}

// EBCDIC letters, digits and the punctuation the text header uses.
char Ascii(unsigned char e) {
  if (e >= 0xF0 && e <= 0xF9) return static_cast<char>('0' + (e - 0xF0));
  const struct {
    unsigned char from, to;
    char first;
  } kRuns[] = {{0xC1, 0xC9, 'A'}, {0xD1, 0xD9, 'J'}, {0xE2, 0xE9, 'S'},
               {0x81, 0x89, 'a'}, {0x91, 0x99, 'j'}, {0xA2, 0xA9, 's'}};
  for (const auto& run : kRuns)
    if (e >= run.from && e <= run.to) return static_cast<char>(run.first + (e - run.from));
  switch (e) {
    case 0x40: return ' ';
    case 0x4B: return '.';
    case 0x6B: return ',';
    case 0x60: return '-';
    case 0x7A: return ':';
    case 0x5E: return ';';
    case 0x4D: return '(';
    case 0x5D: return ')';
    case 0x4E: return '+';
    case 0x61: return '/';
    case 0x7E: return '=';
    case 0x6C: return '%';
    case 0x7D: return '\'';
    case 0x6D: return '_';
    default: return '?';
  }
}

bool Scale(int64_t value, int32_t scalar, int64_t unit, int64_t& out) {
  // 0 means 1; positive multiplies, negative divides.
  if (scalar == 0) scalar = 1;
  const int64_t numerator = value * unit * (scalar > 0 ? scalar : 1);
  const int64_t denominator = scalar < 0 ? -scalar : 1;
  if (numerator % denominator != 0) return false;
  out = numerator / denominator;
  return true;
}

}  // namespace

int32_t SegyTrace::Word16(int position) const {
  return static_cast<int16_t>(Be(header, static_cast<size_t>(position - 1), 2));
}
int32_t SegyTrace::Word32(int position) const {
  return static_cast<int32_t>(Be(header, static_cast<size_t>(position - 1), 4));
}

bool SegyTrace::FirstCentiUs(int64_t& centiUs) const {
  // Milliseconds, so hundredths of a microsecond are 10^5 of them.
  return Scale(Word16(109), Word16(215), 100000, centiUs);
}

bool SegyTrace::ScaledHundredths(int position, int scalarPosition, int64_t& hundredths) const {
  return Scale(Word32(position), Word16(scalarPosition), 100, hundredths);
}

int32_t SegyFile::Word16(int position) const {
  return static_cast<int16_t>(Be(binary, static_cast<size_t>(position - 3201), 2));
}
uint32_t SegyFile::Word16Unsigned(int position) const { return Be(binary, static_cast<size_t>(position - 3201), 2); }
int32_t SegyFile::Word32(int position) const {
  return static_cast<int32_t>(Be(binary, static_cast<size_t>(position - 3201), 4));
}
double SegyFile::WordDouble(int position) const {
  const uint64_t bits = static_cast<uint64_t>(Be(binary, static_cast<size_t>(position - 3201), 4)) << 32 |
                        Be(binary, static_cast<size_t>(position - 3201 + 4), 4);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

SegyFile ReadSegy(const std::string& b) {
  SegyFile f;
  EXPECT_GE(b.size(), 3600u);
  if (b.size() < 3600) return f;
  for (size_t i = 0; i < 3200; ++i) f.text += Ascii(static_cast<unsigned char>(b[i]));
  f.binary = b.substr(3200, 400);
  f.revisionMajor = static_cast<uint8_t>(f.binary[300]);
  f.revisionMinor = static_cast<uint8_t>(f.binary[301]);
  EXPECT_EQ(f.Word16(3225), 5);  // IEEE floats
  EXPECT_EQ(f.Word16(3505), 0);  // no extended text headers
  if (f.revisionMajor >= 2) {
    EXPECT_EQ(f.Word32(3297), 0x01020304);  // big-endian, as the constant reads
    // Rev 2.0: the extended words override the 2-byte ones where not 0;
    // the 2-byte counts and interval are unsigned.
    f.samples = f.Word32(3269) != 0 ? f.Word32(3269) : static_cast<int32_t>(f.Word16Unsigned(3221));
    f.intervalUs = f.WordDouble(3273) != 0 ? f.WordDouble(3273) : f.Word16Unsigned(3217);
  } else {
    f.samples = f.Word16(3221);
    f.intervalUs = f.Word16(3217);
  }
  const size_t traceBytes = 240 + 4 * static_cast<size_t>(f.samples);
  EXPECT_EQ((b.size() - 3600) % traceBytes, 0u) << "trace count inconsistent with the file's size";
  for (size_t at = 3600; at + traceBytes <= b.size(); at += traceBytes) {
    SegyTrace t;
    t.header = b.substr(at, 240);
    for (size_t i = 0; i < static_cast<size_t>(f.samples); ++i) {
      const uint32_t bits = Be(b, at + 240 + 4 * i, 4);
      float x;
      std::memcpy(&x, &bits, sizeof x);
      t.samples.push_back(x);
    }
    f.traces.push_back(t);
  }
  return f;
}

namespace {

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

}  // namespace

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

}  // namespace test
}  // namespace gt7p
