// ShownText and its relatives (cp936.h): the same on every system, built
// on the system's conversion.
#include "base/cp936.h"
#include "base/text.h"

namespace gt7p {
namespace {

// A character of the private use area (U+E000 to U+F8FF) in UTF-8: no
// font shows it, and the systems map the code page's user-defined pairs
// and single bytes there differently, or not at all.
bool PrivateUse(const std::string& utf8) {
  const auto lead = static_cast<unsigned char>(utf8[0]);
  return utf8.size() == 3 && (lead == 0xEE || (lead == 0xEF && static_cast<unsigned char>(utf8[1]) <= 0xA3));
}

// Whether the character of `length` bytes at `at` comes back from UTF-8
// as the same bytes, as a character every system shows alike: an ASCII
// byte, or a pair; a byte of 80h or above alone never is.
bool Convertible(const std::string& text, size_t at, size_t length) {
  if (length == 1) return static_cast<unsigned char>(text[at]) < 0x80;
  const std::string character = text.substr(at, length);
  const std::string utf8 = Cp936ToUtf8(character);
  return !PrivateUse(utf8) && Utf8ToCp936(utf8) == character;
}

void AppendEscaped(std::string& out, const std::string& bytes) {
  for (unsigned char byte : bytes) out += "\\x" + HexDigits(byte, 2);
}

std::string Escape(const std::string& text, bool controlsToo) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = WholeCharLength(text, i);
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool control = length == 1 && (byte < 0x20 || byte == 0x7F || byte == '\\');
    // A lead byte alone would take the next escape's "\" for its trail.
    const bool lone = length == 1 && IsLeadByte(byte);
    if (length == 2 && !Convertible(text, i, 2)) {
      // A pair that names no character: its lead byte is escaped, and a
      // trail byte that could lead a character of its own is too (it would
      // take the byte after it: "A\xA2\xABB" is no "A\xA2獴"); an ASCII one
      // is itself.
      const bool highTrail = static_cast<unsigned char>(text[i + 1]) >= 0x80;
      AppendEscaped(out, text.substr(i, highTrail ? 2 : 1));
      i += highTrail ? 2 : 1;
      continue;
    }
    if ((controlsToo && control) || lone || !Convertible(text, i, length))
      AppendEscaped(out, text.substr(i, length));
    else
      out.append(text, i, length);
    i += length;
  }
  return out;
}

}  // namespace

std::string ShownText(const std::string& cp936) { return Escape(cp936, true); }

std::string WithUnconvertibleShown(const std::string& cp936) { return Escape(cp936, false); }

std::string TextFromShown(const std::string& shown) {
  std::string out;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (WholeCharLength(shown, i) == 2) {
      out += shown.substr(i++, 2);
    } else if (shown.compare(i, 2, "\\x") == 0 && i + 3 < shown.size() && HexDigitValue(shown[i + 2]) >= 0 &&
               HexDigitValue(shown[i + 3]) >= 0) {
      out += static_cast<char>(HexDigitValue(shown[i + 2]) * 16 + HexDigitValue(shown[i + 3]));
      i += 3;
    } else {
      out += shown[i];
    }
  }
  return out;
}

}  // namespace gt7p
