#include "base/csv.h"

#include "base/text.h"

namespace gt7p {

CsvReader::CsvReader(std::string_view text) : text_(text) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text_.substr(0, kBom.size()) == kBom) at_ = kBom.size();
}

bool CsvReader::Next(std::vector<std::string>& fields) {
  fields.clear();
  if (at_ >= text_.size()) return false;
  ++line_;
  std::string field;
  bool quoted = false;
  while (at_ < text_.size()) {
    const char c = text_[at_++];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (at_ < text_.size() && text_[at_] == '"') {
        field += '"';
        ++at_;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
      break;
    } else {
      field += c;
    }
  }
  fields.push_back(std::move(field));
  return true;
}

std::string CsvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  return "\"" + ReplaceAll(field, "\"", "\"\"") + "\"";
}

}  // namespace gt7p
