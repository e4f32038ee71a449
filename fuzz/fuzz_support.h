// Shared by the fuzz targets: a failed check aborts, so that libFuzzer
// reports the input; a private folder for the targets that need files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

namespace gt7p {
namespace fuzz {

// A folder of this process's own under the temporary folder, made on first
// use and removed at exit.
const std::string& WorkFolder();

// The whole file, or "" when it can't be read.
std::string ReadWhole(const std::string& path);
void WriteWhole(const std::string& path, const std::string& data);

}  // namespace fuzz
}  // namespace gt7p
