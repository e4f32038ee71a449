// Byte-string helpers for the core.
//
// Every text in the core is a code page 936 byte string held in std::string:
// lengths and offsets count bytes, a Chinese character counts two. Only the
// edges (terminal, file-system paths, the window) convert, through cp936.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gt7p {

// Splits at every `sep`; keeps empty pieces, including a trailing one
// ("a;b;" gives "a", "b", ""). An empty text gives one empty piece.
std::vector<std::string> SplitText(const std::string& text, char sep);

// Splits at every occurrence of the multi-byte separator `sep`.
std::vector<std::string> SplitText(const std::string& text, const std::string& sep);

// Lines of a text: CR, LF or CR LF end a line; a final line break adds no
// empty line, an empty text has none.
std::vector<std::string> SplitLines(const std::string& text);

// Removes blanks and control characters (bytes <= 20h) at both ends.
std::string Trim(const std::string& text);

// Replaces every occurrence of `from` by `to`.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);

// Removes every occurrence of the character `character`, matched as a
// whole character: the trail byte of one and the lead byte of the next never
// pass for it.
std::string RemoveCharCp936(const std::string& text, const std::string& character);

// Code page 936: a byte from 81h to FEh leads a double-byte character
// whose trail byte may look like anything, "\\" and ASCII letters included.
inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Bytes of the character at `at`: 2 for a lead byte with a byte after it,
// else 1.
inline size_t CharLength(const std::string& text, size_t at) {
  return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// Bytes of the character at `at` when only a whole character counts: 2
// for a lead byte and a valid trail byte (40h-FEh but 7Fh), which may read
// as "\\" or "|"; else 1 (a lead byte before anything else stands alone).
inline size_t WholeCharLength(const std::string& text, size_t at) {
  if (CharLength(text, at) != 2) return 1;
  const auto trail = static_cast<unsigned char>(text[at + 1]);
  return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

// ASCII letters folded; every other byte as it is.
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with its ASCII letters folded; double-byte characters are kept
// whole (their trail bytes are never folded).
std::string UpperCaseCp936(const std::string& text);
std::string LowerCaseCp936(const std::string& text);

// The upper-case hex digit of each value 0..15.
extern const char kHexDigits[17];

// Value 0..15 of a hex digit ("0"-"9", "A"-"F", "a"-"f"), or -1.
int HexDigitValue(char c);

// Whole decimal integer: optional leading blanks, optional sign, digits, in
// the signed 32-bit range. Returns `fallback` for anything else.
int32_t StrToIntDef(const std::string& text, int32_t fallback);

// Decimal number: optional blanks, sign, digits with an optional "." and
// exponent. Infinite, NaN and too large texts are not numbers; a text too
// small for a double reads as zero. The numbers here never follow the
// process's locale: "." is the point under every one.
bool ParseNumber(const std::string& text, double& value);

// A list of channel numbers ("道号") as "1,3,5-8": whole numbers from 1 to
// 65535, single or as ranges FROM-TO (FROM <= TO), joined by ","; blanks
// round each part are allowed. False for anything else, an empty text
// included.
bool ParseChannelList(const std::string& text, std::vector<int32_t>& channels);

// The same text rounded once to single precision; false also for a number
// beyond its range (too small gives zero).
bool ParseSingle(const std::string& text, float& value);

// Up to 15 significant digits, "." as decimal point, no trailing zeros.
std::string FormatNumber15(double value);

// Equal but for the case of ASCII letters; double-byte characters compare
// as they stand (their trail bytes are never folded).
bool SameTextCp936(const std::string& a, const std::string& b);

// Upper-case hex digits of each byte, high digit first ("A" gives "41").
std::string BytesToHex(const std::string& bytes);

// The lowest `width` hex digits of `value`, upper-case, most significant
// first (255 in 4 gives "00FF").
std::string HexDigits(uint64_t value, size_t width);

}  // namespace gt7p
