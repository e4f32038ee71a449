// A locale whose decimal point is ",". POSIX (comma_locale_posix.cpp): de_DE,
// fr_FR or ru_RU, UTF-8, as a window gets from its environment: the
// system's own, or the one that scripts/test.sh makes under
// GT7P_LOCALE_DIR when the system has none. Windows
// (comma_locale_win32.cpp): the C runtime's German or French locale.
#pragma once

#include <string>

namespace gt7p {
namespace test {

class CommaLocale {
 public:
  // Switches the whole process (LC_ALL) to the locale when one is found.
  CommaLocale();
  ~CommaLocale();  // back to "C"
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  // "" when no such locale could be had: the tests then fail, never pass
  // without one.
  const std::string& name() const { return name_; }
  // The LOCPATH that finds it, "" for the system's own.
  const std::string& folder() const { return folder_; }
  // Why there is none, for the failure message.
  static std::string Missing();

 private:
  // Switches to `name`; true when it is there and its point is ",".
  static bool Take(const char* name);

  std::string name_, folder_;
};

}  // namespace test
}  // namespace gt7p
