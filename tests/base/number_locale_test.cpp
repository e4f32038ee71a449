// The core's numbers read and print "." as the point whatever the process's
// locale (a window takes LC_NUMERIC from its environment).
#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/support/comma_locale.h"

namespace gt7p {
namespace {

TEST(NumberText, UnmovedByADecimalCommaLocale) {
  const test::CommaLocale comma;
  ASSERT_FALSE(comma.name().empty()) << test::CommaLocale::Missing();
  double v = 0;
  EXPECT_TRUE(ParseNumber("4.20", v));
  EXPECT_EQ(v, 4.2);
  EXPECT_TRUE(ParseNumber(" +1.5e-2 ", v));
  EXPECT_EQ(v, 0.015);
  EXPECT_FALSE(ParseNumber("4,20", v));
  float f = 0;
  EXPECT_TRUE(ParseSingle("0.01", f));
  EXPECT_EQ(f, 0.01f);
  EXPECT_EQ(FormatNumber15(0.01f), "0.00999999977648258");
  EXPECT_EQ(FormatNumber15(2.2351741790771484e-08), "2.23517417907715e-08");
  EXPECT_EQ(FormatNumber15(-1234.5), "-1234.5");
}

}  // namespace
}  // namespace gt7p
