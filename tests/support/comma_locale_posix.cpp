#include "tests/support/comma_locale.h"

#include <clocale>
#include <cstdlib>

namespace gt7p {
namespace test {
namespace {

// setlocale reads LOCPATH at every call.
void SetLocPath(const std::string& folder) {
  if (folder.empty())
    unsetenv("LOCPATH");
  else
    setenv("LOCPATH", folder.c_str(), 1);
}

}  // namespace

CommaLocale::CommaLocale() {
  const char* saved = std::getenv("LOCPATH");
  const std::string savedFolder = saved ? saved : "";
  for (const std::string& folder : {savedFolder, std::string(GT7P_LOCALE_DIR)}) {
    SetLocPath(folder);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
      if (!Take(name)) continue;
      name_ = name;
      folder_ = folder;
      return;
    }
  }
  SetLocPath(savedFolder);
  std::setlocale(LC_ALL, "C");
}

std::string CommaLocale::Missing() {
  return "no locale with a decimal comma (de_DE.UTF-8, fr_FR.UTF-8, ru_RU.UTF-8) on the system or in " +
         std::string(GT7P_LOCALE_DIR) + "; scripts/test.sh makes one there";
}

}  // namespace test
}  // namespace gt7p
