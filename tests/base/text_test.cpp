// The shared text and file-name rules.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "base/cp936.h"
#include "base/file_names.h"
#include "base/local_folders.h"
#include "base/text.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

using test::G;

TEST(NumberText, ParsingAndPrinting) {
  double v = 0;
  EXPECT_TRUE(ParseNumber(" -1.5e2 ", v));
  EXPECT_EQ(v, -150);
  EXPECT_TRUE(ParseNumber("5.", v));
  EXPECT_FALSE(ParseNumber("1 2", v));
  EXPECT_FALSE(ParseNumber("0x10", v));
  EXPECT_FALSE(ParseNumber("1e400", v));
  EXPECT_FALSE(ParseNumber("1000e306", v));
  EXPECT_TRUE(ParseNumber("-1e-400", v));  // too small: zero
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(std::signbit(v));
  EXPECT_TRUE(ParseNumber("0.00001e-320", v));
  EXPECT_EQ(v, 0);
  float f = 1;
  EXPECT_FALSE(ParseSingle("3.4028236e38", f));
  EXPECT_TRUE(ParseSingle("3.4028235e38", f));
  EXPECT_TRUE(ParseSingle("1e-50", f));
  EXPECT_EQ(f, 0.0f);
  EXPECT_TRUE(ParseSingle("1e-40", f));  // subnormal, not zero
  EXPECT_GT(f, 0.0f);
  EXPECT_EQ(FormatNumber15(0.01f), "0.00999999977648258");
  EXPECT_EQ(FormatNumber15(1.0), "1");
  EXPECT_EQ(StrToIntDef("2147483647", -1), 2147483647);
  EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
  EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
  EXPECT_EQ(StrToIntDef("12a", -1), -1);
}

TEST(NumberText, ChannelLists) {
  std::vector<int32_t> c;
  EXPECT_TRUE(ParseChannelList(" 1, 3,5-8 ,2", c));
  EXPECT_EQ(c, (std::vector<int32_t>{1, 3, 5, 6, 7, 8, 2}));
  EXPECT_TRUE(ParseChannelList("65535", c));
  EXPECT_EQ(c, (std::vector<int32_t>{65535}));
  // Nothing taken from a bad list: the channels as they were.
  for (const char* bad : {"", "0", "65536", "4-3", "1.5", "x", "1,,2", "1-2-3", "-2", "1,"}) {
    EXPECT_FALSE(ParseChannelList(bad, c)) << bad;
    EXPECT_EQ(c, (std::vector<int32_t>{65535})) << bad;
  }
}

// A character code page 936 lacks is one "?" on every system: never a
// look-alike ("ö" as "o"), never one "?" per UTF-16 half.
TEST(Cp936Text, WhatTheCodePageLacksIsOneQuestionMark) {
  const std::string utf8 = "\xE6\xB5\x8B Bj\xC3\xB6rn d\xF0\x9F\x98\x80";  // "测 Björn d😀"
  const std::string want = "\xB2\xE2 Bj?rn d?";
  EXPECT_EQ(Utf8ToCp936(utf8), want);
  EXPECT_EQ(TextFromPath(PathFromUtf8(utf8)), want);
}

// A text shown is one text only: what the code page can't carry, control
// characters and "\\" are "\xHH", and the shown text gives the bytes back.
TEST(ShownTextTest, EveryByteThatCannotShowIsEscaped) {
  const struct {
    std::string bytes, shown;
  } cases[] = {
      {"AB.DAT", "AB.DAT"},
      {"A\xFF" "B", "A\\xFFB"},                     // lead nothing
      {"A\xA2" "B", "A\\xA2B"},                     // a pair of no character: the ASCII trail is itself
      {"A\xA2\xAB" "B", "A\\xA2\\xABB"},            // the high trail could lead "\xAB" "B"
      {"\xD6\xD0", "\xD6\xD0"},                      // a character stays whole
      {"\x82\x5C", "\x82\x5C"},                      // also with "\\" for a trail byte
      {"A\\x41", "A\\x5Cx41"},                      // "\\" of its own
      {std::string("\n\t\x1B\x7F", 4), "\\x0A\\x09\\x1B\\x7F"},
      {"\x81", "\\x81"},                              // a lead byte at the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShownText(c.bytes), c.shown) << BytesToHex(c.bytes);
    EXPECT_EQ(TextFromShown(c.shown), c.bytes) << c.shown;
  }
  // In a file name only what the code page can't carry is escaped.
  EXPECT_EQ(WithUnconvertibleShown(std::string("A\\\n\xFF\xD6\xD0", 6)), std::string("A\\\n\\xFF\xD6\xD0", 9));
  // Every two-byte text shows apart from every other, in text the code
  // page carries.
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      const std::string bytes{static_cast<char>(a), static_cast<char>(b)};
      ASSERT_EQ(TextFromShown(ShownText(bytes)), bytes) << BytesToHex(bytes);
      ASSERT_EQ(Utf8ToCp936(Cp936ToUtf8(ShownText(bytes))), ShownText(bytes)) << BytesToHex(bytes);
    }
}

TEST(TextLines, EveryLineBreakForm) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("\n\nx"), (std::vector<std::string>{"", "", "x"}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(CaseFolds, AsciiLettersOnlyAndNeverATrailByte) {
  // 81h 61h: a double-byte character whose trail byte reads as "a".
  const std::string wide = "\x81\x61";
  EXPECT_EQ(UpperCaseCp936("ab" + wide + "cZ"), "AB" + wide + "CZ");
  EXPECT_EQ(LowerCaseCp936("AB\x81\x41" "Cz"), "ab\x81\x41" "cz");
  EXPECT_EQ(UpperCaseCp936("x\x81"), "X\x81");  // a lead byte at the end stands alone
  EXPECT_TRUE(SameTextCp936("abc.dat", "ABC.DAT"));
  EXPECT_TRUE(SameTextCp936(G("煤a"), G("煤A")));
  EXPECT_FALSE(SameTextCp936(wide, "\x81\x41"));  // trail bytes compare exactly
  EXPECT_FALSE(SameTextCp936("a" + wide, "A\x81\x41"));
  EXPECT_FALSE(SameTextCp936("ab", "abc"));
}

TEST(HexDigits, BothWays) {
  for (int v = 0; v < 16; ++v) {
    EXPECT_EQ(HexDigitValue(kHexDigits[v]), v);
    EXPECT_EQ(HexDigitValue(LowerAscii(kHexDigits[v])), v);
  }
  for (char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0'}) EXPECT_EQ(HexDigitValue(c), -1) << c;
  EXPECT_EQ(BytesToHex(std::string("A\0\xFF", 3)), "4100FF");
  EXPECT_EQ(HexDigits(255, 4), "00FF");
  EXPECT_EQ(HexDigits(0xABC12345u, 4), "2345");  // the lowest digits only
}

TEST(SafeFileNameTest, BytesThatCannotStandInANameBecomeUnderscores) {
  EXPECT_EQ(SafeFileName("../A/B.DAT", FileNameRules::kPosix), ".._A_B.DAT");
  EXPECT_EQ(SafeFileName(std::string("A\0B", 3), FileNameRules::kPosix), "A_B");
  EXPECT_EQ(SafeFileName("a\\b:c*?.DAT", FileNameRules::kPosix), "a\\b:c*?.DAT");
  EXPECT_EQ(SafeFileName("a\\b/c:d*e?f\"g<h>i|j\x01k", FileNameRules::kWindows), "a_b_c_d_e_f_g_h_i_j_k");
  for (FileNameRules rules : {FileNameRules::kPosix, FileNameRules::kWindows}) {
    EXPECT_EQ(SafeFileName(".", rules), "_");
    EXPECT_EQ(SafeFileName("..", rules), "_");
  }
  EXPECT_EQ(SafeFileName("...", FileNameRules::kPosix), "...");
  EXPECT_EQ(SafeFileName("...", FileNameRules::kWindows), ".._");  // Windows would drop the final dots
}

// Under the Windows rules a lead byte (81h-FEh) and a trail byte
// (40h-FEh but 7Fh) are one character, kept whole whatever the trail byte
// looks like; a byte after a lead byte that can't be a trail is a byte of
// its own, judged alone, and so is a lead byte with nothing after it.
TEST(SafeFileNameTest, DoubleByteCharactersUnderTheWindowsRules) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x81\x5C\x81\x7C\\", "\x81\x5C\x81\x7C_"},  // trail bytes "\" and "|", then a "\" of its own
      {"\x81\x40\x81\xFE\xFE\x5C", "\x81\x40\x81\xFE\xFE\x5C"},  // the ends of both ranges
      {"\x81\x81\x5C", "\x81\x81_"},     // the trail byte is itself a lead byte: the "\" stands alone
      {"\x81:", "\x81_"},   {"\x81*", "\x81_"},  {"\x81?", "\x81_"},  {"\x81\"", "\x81_"},
      {"\x81<", "\x81_"},   {"\x81/", "\x81_"},  {"\x81\x7F", "\x81_"}, {"\x81\x0A", "\x81_"},
      {"\x80\x5C", "\x80_"}, {"\xFF\x5C", "\xFF_"},                 // 80h and FFh lead nothing
      {"AB\x81", "AB\x81"},                                          // a lead byte at the end
      {"AB\x81.", "AB\x81_"},                                        // "." is no trail byte: a final dot
      {"CON\x81\x40.X", "CON\x81\x40.X"},                          // no device name
  };
  for (const auto& [name, safe] : cases) EXPECT_EQ(SafeFileName(name, FileNameRules::kWindows), safe) << BytesToHex(name);
  // The POSIX rules take bytes one by one: only "/" and control characters go.
  EXPECT_EQ(SafeFileName("\x81\x5C\x81/\x81\x0A", FileNameRules::kPosix), "\x81\x5C\x81_\x81_");
}

// The extension a saved file's name loses is the one after the last "."
// that no delimiter follows; a trail byte that reads as "\" is none.
TEST(FileNames, ExtensionAfterADoubleByteCharacter) {
  EXPECT_EQ(ChangeFileExt("AB.\x82\x5C", ".QFX"), "AB.QFX");
  EXPECT_EQ(ChangeFileExt("A.B\x82\x5C" "C", ".QFX"), "A.QFX");
  EXPECT_EQ(ChangeFileExt("\x82\x5C.DAT", ".QFX"), "\x82\x5C.QFX");
  EXPECT_EQ(ChangeFileExt("ABCDEFG\x81.DAT", ".QFX"), "ABCDEFG\x81.QFX");  // a lone lead byte takes no "."
  EXPECT_EQ(ChangeFileExt("A.B\\C", ".QFX"), "A.B\\C.QFX");  // a "\" of its own still ends the extension
}

// A name from the instrument must not carry a line break, a tab or an
// escape sequence into a file name, nor name a device on Windows.
TEST(SafeFileNameTest, ControlCharactersDeviceNamesAndFinalDots) {
  for (FileNameRules rules : {FileNameRules::kPosix, FileNameRules::kWindows}) {
    EXPECT_EQ(SafeFileName("A\nB\tC\x1B[2J\x7F.DAT", rules), "A_B_C_[2J_.DAT");
  }
  const std::pair<const char*, const char*> windows[] = {
      {"CON", "CON_"},        {"con.QFX", "con_.QFX"}, {"NUL.DAT", "NUL_.DAT"},   {"Aux.T7P", "Aux_.T7P"},
      {"PRN", "PRN_"},        {"COM1.QFX", "COM1_.QFX"}, {"lpt9.ESP", "lpt9_.ESP"}, {"CON  .DAT", "CON_  .DAT"},
      {"CONIN$.X", "CONIN$_.X"}, {"COM0.QFX", "COM0.QFX"}, {"COM10.QFX", "COM10.QFX"}, {"CONX.QFX", "CONX.QFX"},
      {"X.CON", "X.CON"},     {"AB.", "AB_"},          {"AB ", "AB_"},           {"A.B. .", "A.B. _"},
  };
  for (const auto& [name, safe] : windows) {
    EXPECT_EQ(SafeFileName(name, FileNameRules::kWindows), safe) << name;
    EXPECT_EQ(SafeFileName(name, FileNameRules::kPosix), name);  // these are ordinary names there
  }
}

TEST(FileNames, ExtensionsAndFolders) {
  EXPECT_EQ(ChangeFileExt("C:x", ".QFX"), "C:x.QFX");
  EXPECT_EQ(ChangeFileExt("AB.DAT", ".QFX"), "AB.QFX");
  EXPECT_EQ(ChangeFileExt("dir.d/AB", ".QFX"), "dir.d/AB.QFX");
  EXPECT_FALSE(FolderExists(""));
}

}  // namespace
}  // namespace gt7p
