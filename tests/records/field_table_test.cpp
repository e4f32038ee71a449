#include <gtest/gtest.h>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "records/field_format.h"
#include "records/field_table.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

using test::G;

std::vector<int> ChunkCounts(const std::string& templ) {
  std::vector<std::string> pieces = SplitText(templ.substr(0, templ.find(G("◇"))), '*');
  std::vector<int> counts;
  for (size_t i = 0; i + 1 < pieces.size(); i += 2) counts.push_back(StrToIntDef(pieces[i], 0));
  return counts;
}

TEST(HeaderFieldTable, SplitsIntoTheTwoGroups) {
  std::vector<std::string> zero = HeaderGroupZeroEntries(), one = HeaderGroupOneEntries();
  ASSERT_EQ(zero.size(), 54u);
  ASSERT_EQ(one.size(), 16u);
  EXPECT_EQ(zero.back(), G("0H,第五层倾角,54,0,310,6,4*.*2*°"));
  EXPECT_EQ(one.front(), G("1H,源检距,55,0,0,6,4*.*2*m"));
  // The table ends with ";", and every entry has exactly seven columns.
  EXPECT_EQ(HeaderFieldTable().back(), ';');
  for (const auto* group : {&zero, &one})
    for (const std::string& entry : *group) EXPECT_EQ(SplitText(entry, ',').size(), 7u) << Cp936ToUtf8(entry);
}

TEST(HeaderFieldTable, FieldsTileTheirRecordsAndChunksAddUp) {
  int index = 1;
  for (auto group : {std::make_pair(HeaderGroupZeroEntries(), kHeaderRecordChars),
                     std::make_pair(HeaderGroupOneEntries(), kChannelHeaderChars)}) {
    int offset = 0;
    for (const std::string& entry : group.first) {
      FieldSpec fieldSpec = ParseFieldSpec(entry);
      SCOPED_TRACE(Cp936ToUtf8(entry));
      EXPECT_EQ(fieldSpec.offset, offset);
      EXPECT_EQ(StrToIntDef(fieldSpec.index, 0), index++);
      int sum = 0;
      for (int c : ChunkCounts(fieldSpec.templ)) sum += c;
      EXPECT_EQ(sum, fieldSpec.length);
      EXPECT_TRUE(fieldSpec.shown == "0" || fieldSpec.shown == "1");
      offset += fieldSpec.length;
    }
    EXPECT_EQ(offset, group.second);
  }
}

TEST(HeaderFieldTable, TextsSurviveTheCodePage) {
  // A character missing from code page 936 would have become "?".
  EXPECT_EQ(HeaderFieldTable().find('?'), std::string::npos);
  EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8(HeaderFieldTable())), HeaderFieldTable());
  EXPECT_EQ(G("状态").size(), 4u);  // two bytes a character
}

TEST(FieldSpec, BadOffsetOrLengthFailsWithEmptyMessage) {
  EXPECT_EQ(ParseFieldSpec("0H,x,1,1,4,2,2*").offset, 4);
  for (const char* entry : {"0H,x,1,1,four,2,2*", "0H,x,1,1,4,,2*", "0H,x,1,1,-1,2,2*", "0H,x"})
    EXPECT_EQ(test::FailureOf([&] { ParseFieldSpec(entry); }), "") << entry;
}

TEST(FieldText, EditFlagAndShortRecords) {
  std::vector<std::string> zero = HeaderGroupZeroEntries();
  FieldSpec editFlag = ParseFieldSpec(zero[3]);
  std::string record(kHeaderRecordChars, '0');
  record.replace(34, 2, "00");
  EXPECT_EQ(FieldText(record, editFlag), G("准备删除"));
  record.replace(34, 2, "01");
  EXPECT_EQ(FieldText(record, editFlag), G("正常"));
  record.replace(34, 2, "02");
  EXPECT_EQ(FieldText(record, editFlag), "2");
  // A record that ends before the field renders as empty.
  EXPECT_EQ(FieldText(record.substr(0, 30), editFlag), "");
}

}  // namespace
}  // namespace gt7p
