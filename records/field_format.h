// Rendering of field digits for display, and encoding of value texts into
// output bytes. Both are stateless and work on code page 936 byte strings.
#pragma once

#include <cstdint>
#include <string>

namespace gt7p {

// Renders the hex-digit characters of one field by its kind letter ("A", "C"
// text, "B" decimal digits, "H" hex numbers and fixed point; only the first
// character of `kind` counts) and template ("count*literal*...", optionally
// "◇code◇label..."). Empty when any argument is empty. Never throws:
// malformed digits read as 0, a non-numeric count skips its pair, a short
// value gives empty chunks. A fraction shows at most kMaxFractionPlaces
// places, so that a table's absurd count can't ask for gigabytes of zeros
// (the built-in tables ask for 4 at most).
std::string FormatFieldValue(const std::string& valueText, const std::string& kind, const std::string& templ);

// "◇", which starts a template's enumeration part (code page 936).
const std::string& EnumMark();
constexpr int32_t kMaxFractionPlaces = 64;

// Encodes a value text by the trimmed kind's place in "ILFSBUC":
//   I  decimal number truncated toward zero, lowest 16 bits, little-endian
//   L  the same, lowest 32 bits
//   F, S  IEEE 754 single precision, little-endian
//   B  one byte: a whole decimal number other than -1 gives its lowest 8
//      bits, any other text the code of its first character (none: 00h)
//   U, C, other  the text's own bytes
// Throws ConvertError when I, L, F or S meet a text that is not a finite
// decimal number, or F, S a number beyond the single-precision range.
std::string EncodeFieldBytes(const std::string& kind, const std::string& valueText);

// The text as a decimal number; throws ConvertError when it is not one.
double NumberFromText(const std::string& text);

}  // namespace gt7p
