// FormatFieldValue and EncodeFieldBytes on any kind, value and template.
// Input: the kind, a line break, the value, a line break, the template.
// FormatFieldValue never throws and its text stays in proportion to its
// arguments, however absurd the template's counts; EncodeFieldBytes throws
// nothing but ConvertError and writes the size of its kind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "fuzz/fuzz_support.h"
#include "records/field_format.h"

namespace {

void CheckEncoding(const std::string& kind, const std::string& value) {
  std::string bytes;
  try {
    bytes = gt7p::EncodeFieldBytes(kind, value);
  } catch (const gt7p::ConvertError&) {
    return;
  }
  // The kind counts by its place in "ILFSBUC" ("LF" reads as "L").
  const std::string k = gt7p::Trim(kind);
  const size_t place = k.empty() ? std::string::npos : std::string("ILFSBUC").find(k);
  if (place == 0) FUZZ_CHECK(bytes.size() == 2);
  else if (place >= 1 && place <= 3) FUZZ_CHECK(bytes.size() == 4);
  else if (place == 4) FUZZ_CHECK(bytes.size() == 1);
  else FUZZ_CHECK(bytes == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t first = input.find('\n');
  const size_t second = first == std::string::npos ? std::string::npos : input.find('\n', first + 1);
  if (second == std::string::npos) return 0;
  const std::string kind = input.substr(0, first);
  const std::string value = input.substr(first + 1, second - first - 1);
  const std::string templ = input.substr(second + 1);

  const std::string text = gt7p::FormatFieldValue(value, kind, templ);
  // Per pair at most its literal, a chunk's text (a 32-bit number, the
  // fraction's places, or the chunk itself) and the label that replaces it.
  FUZZ_CHECK(text.size() <= value.size() + (templ.size() + 1) * (gt7p::kMaxFractionPlaces + 16));
  CheckEncoding(kind, text);
  CheckEncoding(kind, value);
  return 0;
}
