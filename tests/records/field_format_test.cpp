#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "records/field_format.h"
#include "records/field_table.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

using test::G;
std::string Fmt(const std::string& value, const char* kind, const std::string& templ) {
  return FormatFieldValue(value, kind, templ);
}
std::string Hex(const std::string& bytes) { return BytesToHex(bytes); }

std::string MethodTemplate() {
  for (const std::string& entry : HeaderGroupZeroEntries()) {
    FieldSpec fieldSpec = ParseFieldSpec(entry);
    if (fieldSpec.name == G("探测方法")) return fieldSpec.templ;
  }
  return {};
}

TEST(FormatFieldValue, WorkedExamples) {
  EXPECT_EQ(Fmt("46494C4530303031444154", "A", "16*.*6*"), "FILE0001.DAT");
  EXPECT_EQ(Fmt("4142000000000000444154", "A", "16*.*6*"), "AB      .DAT");
  EXPECT_EQ(Fmt("20061231235959", "B", G("4*年*2*月*2*日*2*:*2*:*2*")), G("2006年12月31日23:59:59"));
  EXPECT_EQ(Fmt("0433", "H", G("2*.*2*（≤5V）")), G("4.20（≤5V）"));
  EXPECT_EQ(Fmt("018000", "H", "2*.*4*m/ms"), "1.5000m/ms");
  EXPECT_EQ(Fmt("001240", "H", "4*.*2*m"), "18.25m");
  EXPECT_EQ(Fmt("000100", "H", "6*"), "256");
  EXPECT_EQ(Fmt("FFFFFFFF", "H", G("8*μs")), G("-1μs"));
  EXPECT_EQ(Fmt("01", "H", G("2*◇0◇内◇1◇外◇2◇先断◇3◇先短")), G("外"));
  EXPECT_EQ(Fmt("10", "H", MethodTemplate()), G("单点测厚（低阻尼）"));
  EXPECT_EQ(Fmt("31", "H", MethodTemplate()), G("双边相遇折射击剖面探测"));
  EXPECT_EQ(Fmt("23", "H", G("1*-*1*（解析层-出错号）")), G("2-3（解析层-出错号）"));
}

TEST(FormatFieldValue, EmptyArgumentsAndShortValues) {
  EXPECT_EQ(Fmt("", "H", "4*"), "");
  EXPECT_EQ(Fmt("00FF", "", "4*"), "");
  EXPECT_EQ(Fmt("00FF", "H", ""), "");
  EXPECT_EQ(Fmt("00010", "H", "6*"), "16");     // the chunk is what is left
  EXPECT_EQ(Fmt("12", "H", "2*x*2*y*"), "18x0y");  // an exhausted value gives an empty chunk, read as 0
  EXPECT_EQ(Fmt("00FF", "Hex", "4*"), "255");    // only the first letter of the kind counts
  EXPECT_EQ(Fmt("00FF", "Z", "4*u*"), "u");      // unknown kind: literals only
}

TEST(FormatFieldValue, FixedPointFractions) {
  EXPECT_EQ(Fmt("0400", "H", "2*.*2*"), "4.00");
  EXPECT_EQ(Fmt("0480", "H", "2*.*2*"), "4.50");
  EXPECT_EQ(Fmt("0420", "H", "2*.*2*"), "4.13");  // 0.125: halves away from zero
  EXPECT_EQ(Fmt("0460", "H", "2*.*2*"), "4.38");  // 0.375
  EXPECT_EQ(Fmt("04FF", "H", "2*.*2*"), "4.00");  // 0.996 rounds to 1: only the zeros are kept
  EXPECT_EQ(Fmt("000008", "H", "2*.*4*"), "0.0001");  // 8/65536 = 0.0001220...
  EXPECT_EQ(Fmt("00FFFF", "H", "2*.*4*"), "0.0000");  // 0.99998 rounds up: no carry
  EXPECT_EQ(Fmt("0a8z", "H", "2*.*2*"), "10.50");     // lower case; a non-digit adds nothing
  // The fraction rule needs the output's first "." to be its last character.
  EXPECT_EQ(Fmt("0102", "H", "1*.*1*.*2*"), "0.1.2");
  EXPECT_EQ(Fmt("12", "H", "1*x.*1*"), "1x.1");  // "x." ends in its first "."
}

TEST(FormatFieldValue, AbsurdFractionCountIsBounded) {
  // A table other than the built-in one could ask for any count; the places
  // stop at kMaxFractionPlaces instead of growing with it.
  const std::string text = Fmt("0480", "H", "2*.*100000000*m");
  EXPECT_EQ(text, "4.5" + std::string(kMaxFractionPlaces - 1, '0') + "m");
  EXPECT_EQ(Fmt("0001", "H", "2*.*2147483647*").size(), 2u + kMaxFractionPlaces);
}

TEST(FormatFieldValue, IntegersAndText) {
  EXPECT_EQ(Fmt("00FF", "H", "4*"), "255");
  EXPECT_EQ(Fmt("0xyz", "H", "4*"), "0");
  EXPECT_EQ(Fmt("80000000", "H", "8*"), "-2147483648");
  EXPECT_EQ(Fmt("000000000FF", "H", "11*"), "255");  // leading zeros beyond 8 digits still fit
  EXPECT_EQ(Fmt("100000000", "H", "9*"), "0");       // wider than 32 bits
  EXPECT_EQ(Fmt("00", "A", "2*"), " ");
  EXPECT_EQ(Fmt("414", "A", "3*"), "A");             // a last single character is ignored
  EXPECT_EQ(Fmt("4G42", "C", "4*"), " B");           // a pair that is no hex number reads 0
  EXPECT_EQ(Fmt("C3BA", "C", "4*"), G("煤"));        // code page 936 bytes pass through
  EXPECT_EQ(Fmt("123456", "B", "2*-*4*"), "12-3456");
}

TEST(FormatFieldValue, CountPiecesAndEnumerations) {
  EXPECT_EQ(Fmt("1234", "H", "0*x*2*"), "18");     // count 0: nothing consumed, no literal
  EXPECT_EQ(Fmt("1234", "H", "a*x*2*"), "18");     // not a number: the same
  EXPECT_EQ(Fmt("1234", "H", "2*x*2"), "18x");     // a last piece without partner is ignored
  EXPECT_EQ(Fmt("05", "H", G("2*◇0◇煤◇1◇土◇2◇岩")), "5");  // code not in the list
  EXPECT_EQ(Fmt("0A", "H", G("2*◇10◇ten◇a◇X")), "ten");
  EXPECT_EQ(Fmt("41", "A", G("2*◇a◇lower")), "lower");     // matched case-insensitively
  EXPECT_EQ(Fmt("41", "A", G("2*◇x◇A◇A◇y")), "A");         // first match is a label: unchanged
  EXPECT_EQ(Fmt("41", "A", G("2*◇A")), "A");               // a code without label: unchanged
}

TEST(EncodeFieldBytes, NumericKinds) {
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "65535")), "FFFF");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "-1")), "FFFF");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "1.50")), "0100");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "4.99")), "0400");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "-4.99")), "FCFF");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "65536")), "0000");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "1e3")), "E803");
  EXPECT_EQ(Hex(EncodeFieldBytes("L", "1024")), "00040000");
  EXPECT_EQ(Hex(EncodeFieldBytes("L", "-2")), "FEFFFFFF");
  EXPECT_EQ(Hex(EncodeFieldBytes(" L ", "4294967297")), "01000000");
  // Far beyond 64 bits: still the lowest bits of the truncated value.
  EXPECT_EQ(Hex(EncodeFieldBytes("L", "1e30")), "00000000");
  EXPECT_EQ(Hex(EncodeFieldBytes("L", "-4294967295.5")), "01000000");
  EXPECT_EQ(Hex(EncodeFieldBytes("I", "1e300")), "0000");
  EXPECT_EQ(Hex(EncodeFieldBytes("S", "0.5")), "0000003F");
  EXPECT_EQ(Hex(EncodeFieldBytes("F", "-2")), "000000C0");
  EXPECT_EQ(Hex(EncodeFieldBytes("S", "0.00999999977648258")), "0AD7233C");
  EXPECT_EQ(Hex(EncodeFieldBytes("S", "2.23517417907715e-08")), "0000C032");
}

TEST(EncodeFieldBytes, NotANumberFails) {
  for (const char* text : {"", "abc", "nan", "inf", "-inf", "1e999", "0x10", "1,5", ".", "1e", "--1"}) {
    for (const char* kind : {"I", "L", "F", "S"}) {
      EXPECT_THROW(EncodeFieldBytes(kind, text), ConvertError) << kind << " " << text;
    }
  }
  EXPECT_THROW(EncodeFieldBytes("S", "1e39"), ConvertError);  // beyond single precision
  EXPECT_NO_THROW(EncodeFieldBytes("S", "1e-50"));           // underflows to zero
}

TEST(EncodeFieldBytes, ByteTextAndOtherKinds) {
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "31")), "1F");
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "256")), "00");
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "-2")), "FE");
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "-1")), "2D");   // -1 is the "not a number" mark
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "2-3")), "32");
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "1.5")), "31");
  EXPECT_EQ(Hex(EncodeFieldBytes("B", "")), "00");
  EXPECT_EQ(Hex(EncodeFieldBytes("C", "AB")), "4142");
  EXPECT_EQ(Hex(EncodeFieldBytes("U", "AB")), "4142");
  EXPECT_EQ(Hex(EncodeFieldBytes("", "AB")), "4142");
  EXPECT_EQ(Hex(EncodeFieldBytes("Q", "AB")), "4142");
}

}  // namespace
}  // namespace gt7p
