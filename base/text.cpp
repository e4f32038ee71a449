#include "base/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace gt7p {

std::vector<std::string> SplitText(const std::string& text, char sep) {
  return SplitText(text, std::string(1, sep));
}

std::vector<std::string> SplitText(const std::string& text, const std::string& sep) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(sep, start);
    if (at == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + sep.size();
  }
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
  return text.substr(b, e - b);
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::string out;
  size_t start = 0;
  for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size()) {
    out.append(text, start, at - start);
    out += to;
  }
  out.append(text, start, std::string::npos);
  return out;
}

std::string RemoveCharCp936(const std::string& text, const std::string& character) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = CharLength(text, i);
    if (text.compare(i, length, character) != 0) out.append(text, i, length);
    i += length;
  }
  return out;
}

namespace {

std::string FoldCp936(const std::string& text, char (*fold)(char)) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) out[i] = fold(out[i]);
  return out;
}

}  // namespace

std::string UpperCaseCp936(const std::string& text) { return FoldCp936(text, UpperAscii); }
std::string LowerCaseCp936(const std::string& text) { return FoldCp936(text, LowerAscii); }

const char kHexDigits[17] = "0123456789ABCDEF";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int32_t StrToIntDef(const std::string& text, int32_t fallback) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return fallback;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return fallback;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return fallback;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return fallback;
  return static_cast<int32_t>(value);
}

namespace {

// Power of ten of the leading digit of a decimal text that ParseNumber has
// checked, saturated: tells an overflow from an underflow.
int64_t DecimalMagnitude(const std::string& number) {
  size_t i = number[0] == '+' || number[0] == '-' ? 1 : 0;
  int64_t magnitude = 0;
  bool seen = false;  // a digit other than 0
  for (; i < number.size() && number[i] != '.' && number[i] != 'e' && number[i] != 'E'; ++i) {
    if (seen) ++magnitude;
    seen = seen || number[i] != '0';
  }
  if (i < number.size() && number[i] == '.') {
    for (++i; !seen && i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
      --magnitude;
      seen = number[i] != '0';
    }
    while (i < number.size() && number[i] >= '0' && number[i] <= '9') ++i;
  }
  if (i < number.size()) {  // the exponent
    ++i;
    const bool negative = number[i] == '-';
    if (number[i] == '+' || number[i] == '-') ++i;
    int64_t exponent = 0;
    for (; i < number.size(); ++i) exponent = std::min<int64_t>(exponent * 10 + (number[i] - '0'), 100000);
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

}  // namespace

bool ParseNumber(const std::string& text, double& value) {
  // The grammar is checked here; from_chars reads the digits the same way
  // under every locale (strtod would take "," for the point under some).
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  size_t end = i;
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return false;
  const std::string number = text.substr(start, end - start);
  const char* first = number.data() + (number[0] == '+' ? 1 : 0);  // from_chars takes no "+"
  double v = 0;
  const std::from_chars_result r = std::from_chars(first, number.data() + number.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Too small is still a number (zero); too large is not.
    if (DecimalMagnitude(number) >= 0) return false;
    v = number[0] == '-' ? -0.0 : 0.0;
  } else if (r.ec != std::errc() || r.ptr != number.data() + number.size()) {
    return false;
  }
  value = v;
  return true;
}

bool ParseSingle(const std::string& text, float& value) {
  double d = 0;
  if (!ParseNumber(text, d)) return false;
  // Rounded once, from the decimal digits straight to single precision.
  const std::string number = Trim(text);
  const char* first = number.data() + (number[0] == '+' ? 1 : 0);
  float f = 0;
  const std::from_chars_result r = std::from_chars(first, number.data() + number.size(), f);
  if (r.ec == std::errc::result_out_of_range) {
    if (std::fabs(d) >= 1) return false;
    f = std::signbit(d) ? -0.0f : 0.0f;
  } else if (r.ec != std::errc()) {
    return false;
  }
  value = f;
  return true;
}

std::string FormatNumber15(double value) {
  // As "%.15g" prints in the C locale, whatever the process's locale.
  char buf[40];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  return std::string(buf, r.ptr);
}

bool SameTextCp936(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCaseCp936(a) == UpperCaseCp936(b);
}

std::string BytesToHex(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 15];
  }
  return out;
}

std::string HexDigits(uint64_t value, size_t width) {
  std::string out(width, '0');
  for (size_t i = width; i-- > 0; value >>= 4) out[i] = kHexDigits[value & 15];
  return out;
}

bool ParseChannelList(const std::string& text, std::vector<int32_t>& channels) {
  std::vector<int32_t> list;
  for (const std::string& part : SplitText(text, ',')) {
    const std::vector<std::string> ends = SplitText(part, '-');
    double from = 0, to = 0;
    if (ends.size() > 2 || !ParseNumber(ends.front(), from) || !ParseNumber(ends.back(), to)) return false;
    if (from != std::floor(from) || to != std::floor(to) || from < 1 || to > 65535 || to < from) return false;
    for (double c = from; c <= to; ++c) list.push_back(static_cast<int32_t>(c));
  }
  channels = std::move(list);
  return true;
}

}  // namespace gt7p
