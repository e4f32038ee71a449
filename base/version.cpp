#include "base/version.h"

namespace gt7p {

const char* ProgramVersion() { return GT7P_VERSION; }

std::string VersionText(const std::string& program) {
  return program + " " + ProgramVersion() + "\n" + GT7P_PRODUCT_NAME + "\n" + GT7P_COPYRIGHT + "\n";
}

}  // namespace gt7p
