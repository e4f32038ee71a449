#include "base/native_file.h"

#include <random>

namespace gt7p {

bool NativeFile::CreateUnique(const std::filesystem::path& stem, const std::string& suffix) {
  static const char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  thread_local std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string tag(8, '0');
    for (char& c : tag) c = kChars[random() % (sizeof kChars - 1)];
    std::filesystem::path path = stem;
    path += tag + suffix;
    if (CreateNew(path)) return true;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return false;  // not a name taken
  }
  return false;
}

}  // namespace gt7p
