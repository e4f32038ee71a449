// The options interpret and report share: what to interpret and how.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "interpret/interpret.h"

namespace gt7p {
namespace cli {

// --method, --picks, --band, --velocity, --layers, --origin, --v1 and
// --geometry, and the records; UsageError for a value out of place, Error
// (ExistingFile) for a record or geometry file that is not there.
interpret::Request InterpretRequest(const Args& args);
// The options above that take a value.
const std::vector<std::string>& InterpretValueOptions();

}  // namespace cli
}  // namespace gt7p
