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

// Value 0..15 of a hex digit ("0"-"9", "A"-"F", "a"-"f"), or -1.
int HexDigitValue(char c);

// Whole decimal integer: optional leading blanks, optional sign, digits, in
// the signed 32-bit range. Returns `fallback` for anything else.
int32_t StrToIntDef(const std::string& text, int32_t fallback);

// Decimal number: optional blanks, sign, digits with an optional "." and
// exponent. Infinite, NaN and out-of-range texts are not numbers.
bool ParseNumber(const std::string& text, double& value);

// Up to 15 significant digits, "." as decimal point, no trailing zeros.
std::string FormatNumber15(double value);

// ASCII letters folded, code page 936 double-byte characters compared as
// they stand (their trail bytes are never folded).
bool SameTextCp936(const std::string& a, const std::string& b);

// Upper-case hex digits of each byte, high digit first ("A" gives "41").
std::string BytesToHex(const std::string& bytes);

// File-name extension: from the last "." that stands after the last path
// delimiter ("/", "\\" or ":"), "." included; empty when there is none.
std::string ExtractFileExt(const std::string& path);

// `path` with its extension replaced by `ext` (added when it has none).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

}  // namespace gt7p
