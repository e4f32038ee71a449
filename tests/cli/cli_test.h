// The fixture of the gt7p-cli tests: the program run as a user would, in a
// fresh folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/cli_runner.h"
#include "tests/support/files.h"

namespace gt7p {
namespace test {

inline std::string Slurp(const std::filesystem::path& p) { return ReadFile(p); }

// The boundary under the simulator's refraction line (gt7p-cli sample
// --index 7 to 9): 4 m below x = 0, dipping 8 degrees; its depth at x m.
inline double BoundaryDepth(double x) { return 4 + x * std::tan(8 * 3.14159265358979323846 / 180); }

// The number after "KEY": in a JSON text; NaN where there is none.
inline double JsonNumber(const std::string& json, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(json, m, std::regex("\"" + key + "\": (-?[0-9.]+)"))) return NAN;
  return std::stod(m[1]);
}

class CliTest : public ::testing::Test {
 protected:
  CliResult Run(const std::string& args) { return RunCliIn(dir_, std::filesystem::absolute(GT7P_CLI), args); }
  size_t FileCount() { return folder_.Count(); }

  TempDir folder_;
  const std::filesystem::path dir_ = folder_.path();
};

}  // namespace test
}  // namespace gt7p
