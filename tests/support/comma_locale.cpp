#include "tests/support/comma_locale.h"

#include <clocale>
#include <cstring>

namespace gt7p {
namespace test {

bool CommaLocale::Take(const char* name) {
  if (std::setlocale(LC_ALL, name) == nullptr) return false;
  const std::lconv* numbers = std::localeconv();
  return numbers != nullptr && std::strcmp(numbers->decimal_point, ",") == 0;
}

CommaLocale::~CommaLocale() { std::setlocale(LC_ALL, "C"); }

}  // namespace test
}  // namespace gt7p
