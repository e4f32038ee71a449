// A fresh, empty folder under the system's temporary folder, on every
// platform (mkdtemp is POSIX only).
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace gt7p {
namespace test {

inline std::filesystem::path MakeTempDir(const std::string& prefix) {
  namespace fs = std::filesystem;
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / (prefix + std::to_string(random() % 1000000000));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) return dir;  // false when it was there already
  }
  throw std::runtime_error("no temporary folder could be made");
}

}  // namespace test
}  // namespace gt7p
