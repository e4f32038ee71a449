#include "fuzz/fuzz_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace gt7p {
namespace fuzz {
namespace fs = std::filesystem;

namespace {

struct Folder {
  fs::path path;
  Folder() {
    char pattern[] = "/tmp/gt7p-fuzz-XXXXXX";
    const fs::path shm = "/dev/shm";  // a memory file system keeps the many small writes cheap
    std::error_code ec;
    if (fs::is_directory(shm, ec)) {
      std::string inShm = (shm / "gt7p-fuzz-XXXXXX").string();
      if (mkdtemp(&inShm[0]) != nullptr) {
        path = inShm;
        return;
      }
    }
    FUZZ_CHECK(mkdtemp(pattern) != nullptr);
    path = pattern;
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

}  // namespace

const std::string& WorkFolder() {
  static const Folder folder;
  static const std::string text = folder.path.string();
  return text;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWhole(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  FUZZ_CHECK(out.good());
}

}  // namespace fuzz
}  // namespace gt7p
