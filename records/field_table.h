// The header-field table: one constant string that names, locates and
// renders every field of the 316-digit file header (group 0) and of the
// 64-digit channel header (group 1).
//
// Grammar: entries separated by ";" (the last also followed by ";"); columns
// separated by ",": group digit and kind letter, name, index, shown-by-default
// flag, offset, length, template. All group-0 entries come first; the group-0
// part is the text before the first ";1". The table is read by position at
// run time; nothing here retypes it.
#pragma once

#include <string>
#include <vector>

namespace gt7p {

constexpr int kHeaderRecordChars = 316;
constexpr int kChannelHeaderChars = 64;

// The table, code page 936.
const std::string& HeaderFieldTable();

// Group-0 and group-1 entries, in table order.
std::vector<std::string> HeaderGroupZeroEntries();
std::vector<std::string> HeaderGroupOneEntries();

// One entry read by position. Offset and length must be decimal integers
// (not -1); otherwise ParseFieldSpec throws Error with an empty message.
struct FieldSpec {
  std::string kind;      // column 0 without the group digit
  std::string name;      // column 1
  std::string index;     // column 2, as written
  std::string shown;     // column 3, "1" or "0"
  int offset = 0;        // column 4
  int length = 0;        // column 5
  std::string templ;     // column 6
};
FieldSpec ParseFieldSpec(const std::string& entry);

// The group-0 and group-1 entries parsed once, in table order.
const std::vector<FieldSpec>& HeaderGroupZeroFields();
const std::vector<FieldSpec>& HeaderGroupOneFields();

// The field's characters cut out of `record` (fewer when the record is
// short) rendered by FormatFieldValue.
std::string FieldText(const std::string& record, const FieldSpec& fieldSpec);

}  // namespace gt7p
