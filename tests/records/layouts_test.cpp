#include <gtest/gtest.h>

#include <map>

#include "base/cp936.h"
#include "base/text.h"
#include "records/converter.h"
#include "records/field_table.h"
#include "records/layouts.h"

namespace gt7p {
namespace {

struct Entry {
  std::vector<std::string> columns;  // group digit dropped
  int size() const { return StrToIntDef(columns[1], -1); }
  int offset() const { return StrToIntDef(columns[2], -1); }
  int index() const { return StrToIntDef(columns[3], -1); }
};

std::vector<Entry> Parse(const std::vector<std::string>& entries) {
  std::vector<Entry> out;
  for (const std::string& e : entries) {
    Entry entry{SplitText(e.substr(1), ',')};
    entry.columns.resize(11);
    out.push_back(entry);
  }
  return out;
}

// Offsets are running sums of the sizes; returns the block size.
int CheckTiling(const std::vector<Entry>& entries) {
  int offset = 0;
  for (const Entry& e : entries) {
    EXPECT_EQ(e.offset(), offset) << "entry " << e.index();
    EXPECT_GT(e.size(), 0) << "entry " << e.index();
    offset += e.size();
  }
  return offset;
}

TEST(Layouts, BlockSizesAndIndexes) {
  LayoutGroups esp = SplitLayout(EspLayout()), qfx = SplitLayout(QfxLayout());
  EXPECT_EQ(esp.header.size(), 93u);
  EXPECT_EQ(esp.channel.size(), 32u);
  EXPECT_EQ(qfx.header.size(), 79u);
  EXPECT_EQ(qfx.channel.size(), 23u);
  EXPECT_EQ(CheckTiling(Parse(esp.header)), 1024);
  EXPECT_EQ(CheckTiling(Parse(esp.channel)), 128);
  EXPECT_EQ(CheckTiling(Parse(qfx.header)), 512);
  EXPECT_EQ(CheckTiling(Parse(qfx.channel)), 64);
  int index = 1;
  for (const Entry& e : Parse(esp.header)) EXPECT_EQ(e.index(), index++);
  for (const Entry& e : Parse(esp.channel)) EXPECT_EQ(e.index(), index++);
  for (const std::string& e : esp.header) EXPECT_EQ(e[0], '0');
  for (const std::string& e : esp.channel) EXPECT_EQ(e[0], '1');
}

TEST(Layouts, EntriesAsWritten) {
  std::vector<std::string> esp = SplitLayout(EspLayout()).header;
  EXPECT_EQ(esp[0], "0C,8,0,1,,,,F,1,4D53504E534A3130,");
  EXPECT_EQ(esp[4], "0B,1,11,5,102,H,2,N,,,2*");
  EXPECT_EQ(esp[19], "0I,2,128,20,,,,F,,1024,");
  EXPECT_EQ(esp[41], "0S,4,244,42,,,,D,,,");
  EXPECT_EQ(EspLayout().back(), ';');
  EXPECT_EQ(QfxLayout().back(), ';');
}

TEST(Layouts, QfxIsEspWithoutTheTails) {
  std::map<int, std::string> esp, qfx;
  LayoutGroups e = SplitLayout(EspLayout()), q = SplitLayout(QfxLayout());
  for (const auto* list : {&e.header, &e.channel})
    for (const std::string& s : *list) esp[StrToIntDef(SplitText(s, ',')[3], 0)] = s;
  for (const auto* list : {&q.header, &q.channel})
    for (const std::string& s : *list) qfx[StrToIntDef(SplitText(s, ',')[3], 0)] = s;
  for (const auto& [index, entry] : esp) {
    bool absent = (index >= 80 && index <= 93) || index >= 117;
    if (absent) {
      EXPECT_EQ(qfx.count(index), 0u) << index;
    } else if (index == 1) {
      EXPECT_EQ(qfx[1], "0C,8,0,1,,,,F,1,515A5A4451583130,");
    } else if (index == 20 || index == 21) {
      EXPECT_EQ(qfx[index], index == 20 ? "0I,2,128,20,,,,F,,512," : "0I,2,130,21,,,,F,,64,");
    } else {
      EXPECT_EQ(qfx[index], entry) << index;
    }
  }
}

TEST(Layouts, SourceFieldsAgreeWithTheFieldTable) {
  // Every "N" entry names its field exactly as the header-field table does,
  // with the table's format part minus units (the date without separators).
  std::map<std::pair<int, int>, FieldSpec> fields;  // (group, offset) -> fieldSpec
  for (const std::string& s : HeaderGroupZeroEntries()) fields[{0, ParseFieldSpec(s).offset}] = ParseFieldSpec(s);
  for (const std::string& s : HeaderGroupOneEntries()) fields[{1, ParseFieldSpec(s).offset}] = ParseFieldSpec(s);
  LayoutGroups esp = SplitLayout(EspLayout());
  int checked = 0;
  for (int group = 0; group < 2; ++group) {
    for (const Entry& e : Parse(group == 0 ? esp.header : esp.channel)) {
      if (e.columns[7] != "N") continue;
      auto it = fields.find({group, StrToIntDef(e.columns[4], -1)});
      ASSERT_NE(it, fields.end()) << "entry " << e.index();
      const FieldSpec& f = it->second;
      EXPECT_EQ(e.columns[5], f.kind) << "entry " << e.index();
      EXPECT_EQ(StrToIntDef(e.columns[6], -1), f.length) << "entry " << e.index();
      std::string format = f.templ.substr(0, f.templ.find(Utf8ToCp936("◇")));
      if (f.name == Utf8ToCp936("探测时间")) {
        EXPECT_EQ(e.columns[10], "4**2**2**2**2**2*");
      } else {
        EXPECT_EQ(format.compare(0, e.columns[10].size(), e.columns[10]), 0) << "entry " << e.index();
        // What follows is a unit text, not another chunk.
        EXPECT_EQ(format.find('*', e.columns[10].size()), std::string::npos) << "entry " << e.index();
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 58);
}

}  // namespace
}  // namespace gt7p
