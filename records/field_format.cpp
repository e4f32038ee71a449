#include "records/field_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"

namespace gt7p {
namespace {

// Digits after "0." of `value` (0 <= value <= 1) formatted with `places`
// decimals, halves rounded away from zero, from the exact binary value. A
// value that rounds up to 1 gives only zeros: the "1." falls outside the
// digits that are kept.
std::string FractionDigits(float value, int places) {
  std::string digits(static_cast<size_t>(places), '0');
  if (!(value > 0.0f)) return digits;
  int exponent = 0;
  double mantissa = std::frexp(static_cast<double>(value), &exponent);  // value = m * 2^exponent
  // value = M / 2^E with M a 24-bit integer.
  uint64_t m = static_cast<uint64_t>(std::ldexp(mantissa, 24));
  int e = 24 - exponent;
  if (e <= 0) return digits;  // value >= 2^24: cannot happen for a fraction
  // R = M as a little-endian multi-limb integer with e fraction bits.
  size_t limbs = static_cast<size_t>(e + 4) / 32 + 2;
  std::vector<uint32_t> r(limbs, 0);
  r[0] = static_cast<uint32_t>(m);
  r[1] = static_cast<uint32_t>(m >> 32);
  auto bitAt = [&](int bit) { return (r[static_cast<size_t>(bit) / 32] >> (bit % 32)) & 1u; };
  for (int k = 0; k < places; ++k) {
    uint64_t carry = 0;
    for (uint32_t& limb : r) {
      uint64_t t = static_cast<uint64_t>(limb) * 10 + carry;
      limb = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    // The digit is the integer part: the bits at and above e (at most 4 bits).
    int d = 0;
    for (int b = 3; b >= 0; --b) d = d * 2 + static_cast<int>(bitAt(e + b));
    for (int b = 0; b < 4; ++b) r[static_cast<size_t>(e + b) / 32] &= ~(1u << ((e + b) % 32));
    digits[static_cast<size_t>(k)] = static_cast<char>('0' + d);
  }
  if (bitAt(e - 1)) {  // the rest is at least one half
    int k = places - 1;
    for (; k >= 0 && digits[static_cast<size_t>(k)] == '9'; --k) digits[static_cast<size_t>(k)] = '0';
    if (k >= 0) ++digits[static_cast<size_t>(k)];
  }
  return digits;
}

// Hex chunk as a 32-bit pattern read as signed; empty, non-hex or wider than
// 32 bits gives 0.
int32_t HexChunkValue(const std::string& chunk) {
  if (chunk.empty()) return 0;
  uint64_t value = 0;
  for (char c : chunk) {
    int d = HexDigitValue(c);
    if (d < 0) return 0;
    value = value * 16 + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFull) return 0;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::string LittleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// Lowest `bits` bits of trunc(value), without overflow for any finite value.
uint32_t LowBits(double value, int bits) {
  double modulus = std::ldexp(1.0, bits);
  double r = std::fmod(std::trunc(value), modulus);  // exact
  if (r < 0) r += modulus;
  return static_cast<uint32_t>(r);
}

}  // namespace

const std::string& EnumMark() {
  static const std::string mark = Utf8ToCp936("◇");
  return mark;
}


double NumberFromText(const std::string& text) {
  double value = 0;
  if (!ParseNumber(text, value)) throw ConvertError("'" + text + Utf8ToCp936("' 不是有效的数值"));
  return value;
}

std::string FormatFieldValue(const std::string& valueText, const std::string& kind, const std::string& templ) {
  if (valueText.empty() || kind.empty() || templ.empty()) return std::string();
  const std::string& mark = EnumMark();
  size_t markAt = templ.find(mark);
  std::string formatPart = templ.substr(0, markAt);
  std::vector<std::string> pieces = SplitText(formatPart, '*');
  const char letter = kind[0];

  std::string out;
  size_t cursor = 0;
  for (size_t p = 0; p + 1 < pieces.size(); p += 2) {
    int32_t count = StrToIntDef(pieces[p], -1);
    if (count <= 0) continue;
    std::string chunk = cursor < valueText.size() ? valueText.substr(cursor, static_cast<size_t>(count)) : std::string();
    cursor += chunk.size();
    switch (letter) {
      case 'A':
      case 'C':
        for (size_t i = 0; i + 1 < chunk.size(); i += 2) {
          int hi = HexDigitValue(chunk[i]), lo = HexDigitValue(chunk[i + 1]);
          int code = (hi < 0 || lo < 0) ? 0 : hi * 16 + lo;
          out += static_cast<char>(code == 0 ? 32 : code);
        }
        break;
      case 'B':
        out += chunk;
        break;
      case 'H':
        if (!out.empty() && out.find('.') == out.size() - 1) {
          float sum = 0.0f;
          for (size_t i = 0; i < chunk.size(); ++i) {
            int d = HexDigitValue(chunk[i]);
            if (d > 0) sum = static_cast<float>(sum + d * std::ldexp(1.0, -4 * static_cast<int>(i + 1)));
          }
          out += FractionDigits(sum, std::min(count, kMaxFractionPlaces));
        } else {
          out += std::to_string(HexChunkValue(chunk));
        }
        break;
      default:
        break;
    }
    out += pieces[p + 1];
  }

  if (markAt != std::string::npos) {
    std::vector<std::string> items = SplitText(templ.substr(markAt + mark.size()), mark);
    for (size_t i = 0; i < items.size(); ++i) {
      if (!SameTextCp936(items[i], out)) continue;
      if (i % 2 == 0 && i + 1 < items.size()) out = items[i + 1];
      break;
    }
  }
  return out;
}

std::string EncodeFieldBytes(const std::string& kind, const std::string& valueText) {
  static const std::string kKinds = "ILFSBUC";
  std::string k = Trim(kind);
  size_t position = k.empty() ? std::string::npos : kKinds.find(k);
  switch (position) {
    case 0:  // I
      return LittleEndian(LowBits(NumberFromText(valueText), 16), 2);
    case 1:  // L
      return LittleEndian(LowBits(NumberFromText(valueText), 32), 4);
    case 2:  // F
    case 3: {  // S
      NumberFromText(valueText);
      float f = 0;
      if (!ParseSingle(valueText, f)) throw ConvertError("'" + valueText + Utf8ToCp936("' 超出单精度数值范围"));
      uint32_t bits;
      static_assert(sizeof bits == sizeof f, "IEEE 754 single precision expected");
      std::memcpy(&bits, &f, sizeof bits);
      return LittleEndian(bits, 4);
    }
    case 4: {  // B
      int32_t v = StrToIntDef(valueText, -1);
      if (v != -1) return std::string(1, static_cast<char>(static_cast<uint32_t>(v) & 0xFF));
      return std::string(1, valueText.empty() ? '\0' : valueText[0]);
    }
    default:
      return valueText;
  }
}

}  // namespace gt7p
