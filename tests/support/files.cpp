#include "tests/support/files.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace gt7p {
namespace test {
namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / ("gt7p-test-" + std::to_string(random() % 1000000000));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) {  // false when it was there already
      path_ = dir;
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

size_t TempDir::Count() const {
  return static_cast<size_t>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace test
}  // namespace gt7p
