#include <clocale>

#include "tests/support/comma_locale.h"

namespace gt7p {
namespace test {

// The C runtime's locale: what strtod and printf go by here.
CommaLocale::CommaLocale() {
  for (const char* name : {"German_Germany.1252", "French_France.1252", "de-DE"}) {
    if (!Take(name)) continue;
    name_ = name;
    return;
  }
  std::setlocale(LC_ALL, "C");
}

std::string CommaLocale::Missing() { return "the C runtime knows no locale with a decimal comma"; }

}  // namespace test
}  // namespace gt7p
