// Comma-separated tables (the picks table, a line's geometry): records read
// one at a time from a text, so that a table costs its rows and not a copy
// of every field first.
//
// Fields are split at ","; a field in double quotes may hold ",", CR, LF and
// a doubled quote standing for one. CR LF, LF or CR ends a record outside
// quotes. A UTF-8 byte order mark at the start is passed over. Throws
// nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gt7p {

class CsvReader {
 public:
  explicit CsvReader(std::string_view text);
  // The next record's fields (an empty line gives one empty field); false
  // after the last.
  bool Next(std::vector<std::string>& fields);
  // The line number (from 1) of the record Next gave last.
  size_t line() const { return line_; }

 private:
  std::string_view text_;
  size_t at_ = 0, line_ = 0;
};

// A field as a table writes it: quoted where it holds ",", '"', CR or LF.
std::string CsvField(const std::string& field);

}  // namespace gt7p
