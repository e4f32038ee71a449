// The shell opens every kind it has a program for; when it has none,
// opening the file fails and the window says so by its help window.
#include "app/help_window.h"

namespace gt7p {

bool SystemOpensHelpFile(const std::filesystem::path&) { return true; }

}  // namespace gt7p
