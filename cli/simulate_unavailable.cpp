// gt7p-cli simulate where there are no pseudo-terminals.
#include <iostream>

#include "cli/cli_common.h"
#include "cli/commands.h"

namespace gt7p {
namespace cli {

int RunSimulate(const std::vector<std::string>&) {
  std::cerr << "gt7p-cli simulate: the simulator needs pseudo-terminals, which this system lacks\n";
  return kExitFailed;
}

}  // namespace cli
}  // namespace gt7p
