#include "records/layouts.h"

#include <algorithm>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"

// Entries are written out once; the two layouts share every run that they
// have in common, and differ in the magic, the block sizes (entries 20, 21)
// and the tail entries that only ESP carries (80-93, 117-125).

#define GT7P_HEADER_2_19 \
    "0B,1,8,2,,,,D,,,;" \
    "0B,1,9,3,,,,D,,,;" \
    "0B,1,10,4,,,,F,1,03,;" \
    "0B,1,11,5,102,H,2,N,,,2*;" \
    "0B,1,12,6,100,H,2,N,,,2*;" \
    "0B,1,13,7,174,H,2,N,,,1**1*;" \
    "0B,1,14,8,94,H,2,N,,,2*;" \
    "0B,1,15,9,176,H,2,N,,,2*;" \
    "0B,1,16,10,,,,D,,,;" \
    "0B,1,17,11,,,,D,,,;" \
    "0B,1,18,12,,,,D,,,;" \
    "0B,1,19,13,,,,D,,,;" \
    "0B,1,20,14,,,,F,1,00,;" \
    "0B,1,21,15,,,,D,,,;" \
    "0B,1,22,16,212,H,2,N,,,1*-*1*;" \
    "0C,73,23,17,50,C,36,N,,,36*;" \
    "0C,16,96,18,0,A,22,N,,,16*.*6*;" \
    "0C,16,112,19,36,B,14,N,,,4**2**2**2**2**2*;"

#define GT7P_HEADER_22_79 \
    "0I,2,132,22,152,H,4,N,,,4*;" \
    "0I,2,134,23,96,H,4,N,,,2*.*2*;" \
    "0I,2,136,24,178,H,4,N,,,2*.*2*;" \
    "0I,2,138,25,182,H,4,N,,,2*.*2*;" \
    "0I,2,140,26,186,H,4,N,,,2*.*2*;" \
    "0I,2,142,27,190,H,4,N,,,2*.*2*;" \
    "0I,2,144,28,194,H,4,N,,,2*.*2*;" \
    "0I,2,146,29,198,H,4,N,,,4*;" \
    "0I,2,148,30,204,H,4,N,,,4*;" \
    "0I,2,150,31,208,H,4,N,,,4*;" \
    "0I,2,152,32,,,,D,,,;" \
    "0I,2,154,33,,,,D,,,;" \
    "0I,2,156,34,144,H,4,N,,,4*;" \
    "0I,2,158,35,86,H,4,N,,,4*;" \
    "0I,2,160,36,90,H,4,N,,,4*;" \
    "0I,2,162,37,148,H,4,N,,,4*;" \
    "0C,28,164,38,,,,D,,,;" \
    "0L,4,192,39,144,H,4,N,,,4*;" \
    "0L,4,196,40,202,H,2,N,,,2*;" \
    "0C,44,200,41,,,,D,,,;" \
    "0S,4,244,42,,,,D,,,;" \
    "0S,4,248,43,,,,D,,,;" \
    "0S,4,252,44,,,,D,,,;" \
    "0S,4,256,45,156,H,6,N,,,4*.*2*;" \
    "0S,4,260,46,162,H,8,N,,,8*;" \
    "0S,4,264,47,170,H,4,N,,,2*.*2*;" \
    "0S,4,268,48,,,,D,,,;" \
    "0S,4,272,49,,,,D,,,;" \
    "0S,4,276,50,,,,D,,,;" \
    "0S,4,280,51,,,,D,,,;" \
    "0S,4,284,52,,,,D,,,;" \
    "0S,4,288,53,104,H,6,N,,,4*.*2*;" \
    "0S,4,292,54,110,H,6,N,,,4*.*2*;" \
    "0S,4,296,55,116,H,6,N,,,2*.*4*;" \
    "0S,4,300,56,122,H,6,N,,,2*.*4*;" \
    "0S,4,304,57,128,H,6,N,,,2*.*4*;" \
    "0S,4,308,58,134,H,6,N,,,4*.*2*;" \
    "0S,4,312,59,140,H,4,N,,,2*.*2*;" \
    "0S,4,316,60,226,H,6,N,,,4*.*2*;" \
    "0S,4,320,61,232,H,6,N,,,2*.*4*;" \
    "0S,4,324,62,238,H,6,N,,,4*.*2*;" \
    "0S,4,328,63,244,H,6,N,,,4*.*2*;" \
    "0S,4,332,64,250,H,6,N,,,2*.*4*;" \
    "0S,4,336,65,256,H,6,N,,,4*.*2*;" \
    "0S,4,340,66,262,H,6,N,,,4*.*2*;" \
    "0S,4,344,67,268,H,6,N,,,2*.*4*;" \
    "0S,4,348,68,274,H,6,N,,,4*.*2*;" \
    "0S,4,352,69,280,H,6,N,,,4*.*2*;" \
    "0S,4,356,70,286,H,6,N,,,2*.*4*;" \
    "0S,4,360,71,292,H,6,N,,,4*.*2*;" \
    "0S,4,364,72,298,H,6,N,,,4*.*2*;" \
    "0S,4,368,73,304,H,6,N,,,2*.*4*;" \
    "0S,4,372,74,310,H,6,N,,,4*.*2*;" \
    "0S,4,376,75,,,,D,,,;" \
    "0S,4,380,76,,,,D,,,;" \
    "0C,32,384,77,,,,D,,,;" \
    "0C,64,416,78,,,,D,,,;" \
    "0C,32,480,79,,,,D,,,;"

#define GT7P_HEADER_80_93 \
    "0C,16,512,80,,,,D,,,;" \
    "0C,128,528,81,,,,D,,,;" \
    "0B,1,656,82,,,,D,,,;" \
    "0B,1,657,83,,,,D,,,;" \
    "0S,4,658,84,,,,D,,,;" \
    "0S,4,662,85,,,,D,,,;" \
    "0S,4,666,86,,,,D,,,;" \
    "0S,4,670,87,,,,D,,,;" \
    "0S,4,674,88,,,,D,,,;" \
    "0S,4,678,89,,,,D,,,;" \
    "0S,4,682,90,,,,D,,,;" \
    "0B,1,686,91,,,,D,,,;" \
    "0B,1,687,92,,,,D,,,;" \
    "0C,336,688,93,,,,D,,,;"

#define GT7P_CHANNEL_94_116 \
    "1B,1,0,94,28,H,2,N,,,2*;" \
    "1B,1,1,95,,,,D,,,;" \
    "1B,1,2,96,26,H,2,N,,,2*;" \
    "1B,1,3,97,,,,D,,,;" \
    "1B,1,4,98,,,,D,,,;" \
    "1B,1,5,99,,,,F,1,01,;" \
    "1I,2,6,100,14,H,6,N,,,4*.*2*;" \
    "1I,2,8,101,20,H,6,N,,,4*.*2*;" \
    "1I,2,10,102,,,,D,,,;" \
    "1I,2,12,103,,,,D,,,;" \
    "1I,2,14,104,,,,D,,,;" \
    "1C,4,16,105,,,,D,,,;" \
    "1L,4,20,106,10,H,4,N,,,4*;" \
    "1S,4,24,107,,,,D,,,;" \
    "1S,4,28,108,6,H,4,N,,,4*;" \
    "1S,4,32,109,,,,D,,,;" \
    "1S,4,36,110,,,,D,,,;" \
    "1S,4,40,111,,,,D,,,;" \
    "1S,4,44,112,,,,D,,,;" \
    "1S,4,48,113,,,,D,,,;" \
    "1S,4,52,114,,,,D,,,;" \
    "1S,4,56,115,0,H,6,N,,,4*.*2*;" \
    "1S,4,60,116,34,H,4,N,,,4*;"

#define GT7P_CHANNEL_117_125 \
    "1S,4,64,117,,,,D,,,;" \
    "1S,4,68,118,,,,D,,,;" \
    "1S,4,72,119,,,,D,,,;" \
    "1S,4,76,120,,,,D,,,;" \
    "1S,4,80,121,,,,D,,,;" \
    "1S,4,84,122,,,,D,,,;" \
    "1S,4,88,123,,,,D,,,;" \
    "1S,4,92,124,,,,D,,,;" \
    "1C,32,96,125,,,,D,,,;"

namespace gt7p {

const std::string& EspLayout() {
  static const std::string layout =
      "0C,8,0,1,,,,F,1,4D53504E534A3130,;" GT7P_HEADER_2_19
      "0I,2,128,20,,,,F,,1024,;"
      "0I,2,130,21,,,,F,,128,;" GT7P_HEADER_22_79 GT7P_HEADER_80_93 GT7P_CHANNEL_94_116 GT7P_CHANNEL_117_125;
  return layout;
}

const std::string& QfxLayout() {
  static const std::string layout =
      "0C,8,0,1,,,,F,1,515A5A4451583130,;" GT7P_HEADER_2_19
      "0I,2,128,20,,,,F,,512,;"
      "0I,2,130,21,,,,F,,64,;" GT7P_HEADER_22_79 GT7P_CHANNEL_94_116;
  return layout;
}

namespace {

int32_t Required(const std::string& column) {
  const int32_t value = StrToIntDef(column, -1);
  if (value == -1) throw Error();
  return value;
}

std::string HexFixedBytes(const std::string& fixed, int32_t size) {
  const size_t digitCount = 2 * static_cast<size_t>(size);
  const std::string digits = (Trim(fixed) + std::string(digitCount, '0')).substr(0, digitCount);
  std::string bytes;
  for (size_t i = 0; i < digits.size(); i += 2) {
    const int hi = HexDigitValue(digits[i]), lo = HexDigitValue(digits[i + 1]);
    if (hi < 0 || lo < 0) throw ConvertError("'" + digits.substr(i, 2) + Utf8ToCp936("' 不是有效的十六进制数"));
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return bytes;
}

std::vector<LayoutEntry> ParseEntries(const std::string& part) {
  std::vector<std::string> pieces = SplitText(part, ';');
  if (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
  std::vector<LayoutEntry> entries;
  for (const std::string& piece : pieces) entries.push_back(ParseLayoutEntry(piece));
  return entries;
}

int32_t CheckedBlockSize(const std::vector<LayoutEntry>& entries) {
  int32_t written = 0;
  for (const LayoutEntry& entry : entries) {
    written += entry.size;  // each at most the bound: no overflow before the test
    if (written > kMaxLayoutBlockSize) throw Error();
  }
  return LayoutBlockSize(entries);
}

}  // namespace

int32_t LayoutBlockSize(const std::vector<LayoutEntry>& entries) {
  int32_t end = 0;
  for (const LayoutEntry& entry : entries) end = std::max(end, entry.offset + entry.size);
  return end;
}

LayoutEntry ParseLayoutEntry(const std::string& text) {
  std::vector<std::string> columns = SplitText(text.empty() ? text : text.substr(1), ',');
  columns.resize(11);
  LayoutEntry entry;
  entry.group = text.empty() ? 0 : text[0] - '0';
  entry.kind = columns[0];
  entry.size = Required(columns[1]);
  entry.offset = Required(columns[2]);
  entry.index = Required(columns[3]);
  if (entry.size < 0 || entry.size > kMaxLayoutBlockSize || entry.offset < 0 ||
      entry.offset > kMaxLayoutBlockSize - entry.size)
    throw Error();
  entry.sourceKind = columns[5];
  entry.mode = columns[7].empty() ? '\0' : columns[7][0];
  if (entry.mode == 'N') {
    entry.sourceOffset = Required(columns[4]);
    entry.sourceLength = Required(columns[6]);
  } else {
    entry.sourceOffset = StrToIntDef(columns[4], -1);
    entry.sourceLength = StrToIntDef(columns[6], -1);
  }
  entry.hexFlag = !columns[8].empty() && columns[8][0] == '1';
  entry.fixedValue = entry.mode == 'F' && entry.hexFlag ? HexFixedBytes(columns[9], entry.size) : columns[9];
  entry.templ = columns[10];
  return entry;
}

OutputLayout ParseOutputLayout(const std::string& text) {
  OutputLayout layout;
  const size_t boundary = text.find(";1");
  if (boundary == std::string::npos) {
    layout.header = ParseEntries(text);
  } else {
    layout.header = ParseEntries(text.substr(0, boundary + 1));
    layout.channel = ParseEntries(text.substr(boundary + 1));
  }
  layout.headerSize = CheckedBlockSize(layout.header);
  layout.channelHeaderSize = CheckedBlockSize(layout.channel);
  return layout;
}

}  // namespace gt7p
