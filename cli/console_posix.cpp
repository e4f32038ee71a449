#include <unistd.h>

#include "cli/console.h"

namespace gt7p {
namespace cli {

// The locale's encoding is taken to be UTF-8, as on every current system.
std::vector<std::string> CommandWords(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void PrepareOutput() {}

bool ProgressOnStderr() { return isatty(STDERR_FILENO) == 1; }

}  // namespace cli
}  // namespace gt7p
