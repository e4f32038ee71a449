// Properties the two layout strings must have, read through LayoutEntry.
#include <gtest/gtest.h>

#include <map>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "records/converter.h"
#include "records/field_ids.h"
#include "records/field_table.h"
#include "records/formats.h"
#include "records/layouts.h"
#include "records/record_reader.h"
#include "tests/support/failure.h"

namespace gt7p {
namespace {

// Offsets are running sums of the sizes.
void ExpectTiled(const std::vector<LayoutEntry>& entries, int group) {
  int32_t offset = 0;
  for (const LayoutEntry& e : entries) {
    EXPECT_EQ(e.offset, offset) << "entry " << e.index;
    EXPECT_GT(e.size, 0) << "entry " << e.index;
    EXPECT_EQ(e.group, group) << "entry " << e.index;
    offset += e.size;
  }
}

TEST(Layouts, BlockSizesAndIndexes) {
  const OutputLayout esp = ParseOutputLayout(EspLayout()), qfx = ParseOutputLayout(QfxLayout());
  EXPECT_EQ(esp.header.size(), 93u);
  EXPECT_EQ(esp.channel.size(), 32u);
  EXPECT_EQ(qfx.header.size(), 79u);
  EXPECT_EQ(qfx.channel.size(), 23u);
  EXPECT_EQ(esp.headerSize, 1024);
  EXPECT_EQ(esp.channelHeaderSize, 128);
  EXPECT_EQ(qfx.headerSize, 512);
  EXPECT_EQ(qfx.channelHeaderSize, 64);
  for (const OutputLayout* layout : {&esp, &qfx}) {
    ExpectTiled(layout->header, 0);
    ExpectTiled(layout->channel, 1);
  }
  int index = 1;
  for (const LayoutEntry& e : esp.header) EXPECT_EQ(e.index, index++);
  for (const LayoutEntry& e : esp.channel) EXPECT_EQ(e.index, index++);
  EXPECT_EQ(EspLayout().back(), ';');
  EXPECT_EQ(QfxLayout().back(), ';');
}

TEST(Layouts, QfxIsEspWithoutTheTails) {
  std::map<int, std::string> esp, qfx;
  for (const auto& [layout, entries] : {std::make_pair(&EspLayout(), &esp), std::make_pair(&QfxLayout(), &qfx)})
    for (const std::string& s : SplitText(*layout, ';'))
      if (!s.empty()) (*entries)[StrToIntDef(SplitText(s, ',')[3], 0)] = s;
  for (const auto& [index, entry] : esp) {
    if ((index >= 80 && index <= 93) || index >= 117) {
      EXPECT_EQ(qfx.count(index), 0u) << index;
    } else if (index == 1) {
      EXPECT_EQ(qfx[1], "0C,8,0,1,,,,F,1,515A5A4451583130,");
    } else if (index == 20 || index == 21) {
      EXPECT_EQ(qfx[index], index == 20 ? "0I,2,128,20,,,,F,,512," : "0I,2,130,21,,,,F,,64,");
    } else {
      EXPECT_EQ(qfx[index], entry) << index;
    }
  }
  EXPECT_EQ(esp[1], "0C,8,0,1,,,,F,1,4D53504E534A3130,");
  EXPECT_EQ(esp[5], "0B,1,11,5,102,H,2,N,,,2*");
  EXPECT_EQ(esp[20], "0I,2,128,20,,,,F,,1024,");
  EXPECT_EQ(esp[42], "0S,4,244,42,,,,D,,,");
}

TEST(Layouts, SourceFieldsAgreeWithTheFieldTable) {
  // Every "N" entry names its field exactly as the header-field table does,
  // with the table's format part minus units (the date without separators).
  std::map<std::pair<int, int>, FieldSpec> fields;  // (group, offset) -> fieldSpec
  for (const std::string& s : HeaderGroupZeroEntries()) fields[{0, ParseFieldSpec(s).offset}] = ParseFieldSpec(s);
  for (const std::string& s : HeaderGroupOneEntries()) fields[{1, ParseFieldSpec(s).offset}] = ParseFieldSpec(s);
  const OutputLayout esp = ParseOutputLayout(EspLayout());
  int checked = 0;
  for (const auto* group : {&esp.header, &esp.channel}) {
    for (const LayoutEntry& e : *group) {
      if (e.mode != 'N') continue;
      auto it = fields.find({e.group, e.sourceOffset});
      ASSERT_NE(it, fields.end()) << "entry " << e.index;
      const FieldSpec& f = it->second;
      EXPECT_EQ(e.sourceKind, f.kind) << "entry " << e.index;
      EXPECT_EQ(e.sourceLength, f.length) << "entry " << e.index;
      const std::string format = f.templ.substr(0, f.templ.find(Utf8ToCp936("◇")));
      if (f.name == Utf8ToCp936("探测时间")) {
        EXPECT_EQ(e.templ, "4**2**2**2**2**2*");
      } else {
        EXPECT_EQ(format.compare(0, e.templ.size(), e.templ), 0) << "entry " << e.index;
        // What follows is a unit text, not another chunk.
        EXPECT_EQ(format.find('*', e.templ.size()), std::string::npos) << "entry " << e.index;
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 58);
}

// The names code uses for fields and entries name what they say: each
// field id the table's field of that name, and each named layout entry,
// in both layouts, the field its rule is for.
TEST(RecordIdentities, NamesNameTheirFieldsAndEntriesCarryThem) {
  const std::pair<int, const char*> fields[] = {
      {kFieldFileName, "原始文件名称"}, {kFieldSurveyTime, "探测时间"},     {kFieldPlace, "探测地点"},
      {kFieldLine, "测线编号"},         {kFieldPoint, "测点编号"},         {kFieldTriggerVoltage, "触发电压"},
      {kFieldChannels, "道数"},         {kFieldSamples, "采样点数"},       {kFieldPreTrigger, "超前采样点数"},
      {kFieldInterval, "采样间隔"},     {kFieldDelay, "采样延时"},         {kFieldSystemDelay, "系统延时"},
      {kFieldMethod, "探测方法"},       {kFieldDistance, "源检距"},        {kFieldElevation, "相对高程"},
      {kFieldChannelNumber, "道号"},    {kFieldLowCut, "低截频率fL"},      {kFieldHighCut, "高截频率fH"},
      {kFieldPreampGain, "前放增益"},   {kFieldStack, "叠加次数"},         {AnalysisPointField(0), "第零层解析点t0"},
      {AnalysisPointField(5), "第五层解析点t5"},
  };
  for (const auto& [id, name] : fields) EXPECT_EQ(Cp936ToUtf8(TableField(id).name), name) << id;
  EXPECT_EQ(ParseFieldSpec(HeaderGroupOneEntries().front()).index, std::to_string(kFirstChannelFieldId));

  const std::pair<int, int> entries[] = {
      {kEntryPreTrigger, kFieldPreTrigger}, {kEntryTriggerVoltage, kFieldTriggerVoltage},
      {kEntrySamples, kFieldSamples},       {kEntryChannels, kFieldChannels},
      {kEntryInterval, kFieldInterval},     {kEntryDelay, kFieldDelay},
      {kEntrySystemDelay, kFieldSystemDelay},
  };
  for (const OutputFormat* format : {&QfxFormat(), &EspFormat()}) {
    std::map<int, LayoutEntry> byIndex;
    for (const LayoutEntry& e : format->layout->header) byIndex[e.index] = e;
    for (const auto& [entry, field] : entries) {
      SCOPED_TRACE(format->name + " entry " + std::to_string(entry));
      ASSERT_EQ(byIndex.count(entry), 1u);
      const LayoutEntry& e = byIndex[entry];
      EXPECT_EQ(e.mode, 'N');
      EXPECT_EQ(e.sourceOffset, TableField(field).offset);
      EXPECT_EQ(e.sourceLength, TableField(field).length);
    }
    // The rules lean on order: the delay's needs the pre-trigger count and
    // the interval first.
    EXPECT_LT(byIndex[kEntryPreTrigger].offset, byIndex[kEntryDelay].offset);
    EXPECT_LT(byIndex[kEntryInterval].offset, byIndex[kEntryDelay].offset);
    EXPECT_EQ(byIndex[kEntryMagic].offset, 0);
    EXPECT_EQ(byIndex[kEntryMagic].fixedValue.size(), 8u);
  }
}

// Entries go where their offset says, whatever their order in the table:
// the converter reads the offset column as a reader does.
TEST(WriteLayoutGroup, EachEntryAtItsOffset) {
  const std::vector<LayoutEntry>& inOrder = EspFormat().layout->channel;
  const std::vector<LayoutEntry> reversed(inOrder.rbegin(), inOrder.rend());
  const std::string channelHeader = "000A80" "FFFF" "0007" "000A40" "07D000" "1E" "02" "0000" "7FFF" + std::string(26, '0');
  ConversionContext context;
  std::string a = "x", b;
  WriteLayoutGroup(inOrder, channelHeader, false, context, a);
  WriteLayoutGroup(reversed, channelHeader, false, context, b);
  EXPECT_EQ(a.size(), 1u + 128);  // appended after what was there
  EXPECT_EQ(a.substr(1), b);
  // A gap between entries stays zero bytes; the block ends with the last entry.
  const std::vector<LayoutEntry> gap = {ParseLayoutEntry("0C,2,4,2,,,,F,1,4142,"), ParseLayoutEntry("0C,1,0,1,,,,F,1,43,")};
  EXPECT_EQ(LayoutBlockSize(gap), 6);
  std::string out;
  WriteLayoutGroup(gap, "", false, context, out);
  EXPECT_EQ(out, std::string("C\0\0\0AB", 6));
}

TEST(LayoutEntries, ColumnsReadOnce) {
  const LayoutEntry hex = ParseLayoutEntry("0C,4,0,1,,,,F,1, 0102 ,");
  EXPECT_EQ(hex.fixedValue, std::string("\x01\x02\0\0", 4));  // padded with zero digits
  EXPECT_EQ(ParseLayoutEntry("0C,1,0,1,,,,F,1,4142,").fixedValue, "A");  // cut to the size
  EXPECT_EQ(ParseLayoutEntry("0C,2,4,2,,,,F,,ABCD,").fixedValue, "ABCD");  // no hex flag: the text
  const LayoutEntry source = ParseLayoutEntry("1S,4,56,115,0,H,6,N,,,4*.*2*");
  EXPECT_EQ(source.group, 1);
  EXPECT_EQ(source.kind, "S");
  EXPECT_EQ(source.sourceOffset, 0);
  EXPECT_EQ(source.sourceLength, 6);
  EXPECT_EQ(source.templ, "4*.*2*");
  EXPECT_EQ(ParseLayoutEntry("0B,1,0,1,,,,D").sourceOffset, -1);  // missing columns are empty
}

TEST(LayoutEntries, RequiredColumnsAndHexDigits) {
  EXPECT_THROW(ParseLayoutEntry("0B,1,0,1,,,,F,1,0G,"), ConvertError);
  for (const char* entry : {"0B,,0,1,,,,D,,,", "0B,1,x,1,,,,D,,,", "0B,1,0,-1,,,,D,,,", "0B,-2,0,1,,,,D,,,",
                            "0B,1,-5,1,,,,D,,,", "0B,1,0,1,,H,2,N,,,2*", "0B,1,0,1,3,H,,N,,,2*"})
    EXPECT_EQ(test::FailureOf([&] { ParseLayoutEntry(entry); }), "") << entry;
  EXPECT_NO_THROW(ParseLayoutEntry("0B,1,0,1,x,H,y,T,,,"));  // only mode N needs its source
}

TEST(LayoutEntries, AbsurdSizesAreRefused) {
  const std::string most = std::to_string(kMaxLayoutBlockSize);
  EXPECT_EQ(ParseLayoutEntry("0C," + most + ",0,1,,,,F,1,41,").fixedValue.size(),
            static_cast<size_t>(kMaxLayoutBlockSize));
  for (const std::string& entry :
       {std::string("0C,2147483647,0,1,,,,F,1,00,"), "0C," + std::to_string(kMaxLayoutBlockSize + 1) + ",0,1,,,,D,,,",
        "0C,2," + std::to_string(kMaxLayoutBlockSize - 1) + ",1,,,,D,,,", std::string("0C,2,2147483647,1,,,,D,,,")})
    EXPECT_EQ(test::FailureOf([&] { ParseLayoutEntry(entry); }), "") << entry;
  // Entries each within the bound that add up beyond it, in either group.
  const std::string half = "C," + std::to_string(kMaxLayoutBlockSize / 2 + 1) + ",0,1,,,,D,,,;";
  EXPECT_EQ(test::FailureOf([&] { ParseOutputLayout("0" + half + "0" + half); }), "");
  EXPECT_EQ(test::FailureOf([&] { ParseOutputLayout("0B,1,0,1,,,,D,,,;1" + half + "1" + half); }), "");
  EXPECT_EQ(ParseOutputLayout("0" + half + "1" + half).channelHeaderSize, kMaxLayoutBlockSize / 2 + 1);
}

TEST(OutputFormatTable, NamesExtensionsLayouts) {
  ASSERT_EQ(OutputFormats().size(), 3u);
  EXPECT_EQ(OutputFormatNames(false), "qfx|esp|t7p");
  EXPECT_EQ(OutputFormatNames(true), "qfx|esp");
  EXPECT_EQ(QfxFormat().extension, ".QFX");
  EXPECT_EQ(EspFormat().extension, ".ESP");
  EXPECT_EQ(RawFormat().extension, ".T7P");
  EXPECT_EQ(QfxFormat().layout->headerSize, 512);
  EXPECT_EQ(EspFormat().layout->headerSize, 1024);
  EXPECT_EQ(RawFormat().layout, nullptr);
  EXPECT_EQ(FindOutputFormat("QFX"), nullptr);  // the names are lower case
}

}  // namespace
}  // namespace gt7p
