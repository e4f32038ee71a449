#include "base/file_names.h"

#include <filesystem>

#include "base/cp936.h"
#include "base/local_folders.h"
#include "base/text.h"

namespace gt7p {
namespace {

size_t ExtensionStart(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t delimiter = path.find_last_of("/\\:");
  if (dot == std::string::npos || (delimiter != std::string::npos && dot < delimiter)) return path.size();
  return dot;
}

}  // namespace

std::string ExtractFileExt(const std::string& path) { return path.substr(ExtensionStart(path)); }

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  return path.substr(0, ExtensionStart(path)) + ext;
}

std::string SafeFileName(const std::string& name, FileNameRules rules) {
  if (name == "." || name == "..") return "_";
  static const std::string kWindowsReserved = "\\/:*?\"<>|";
  std::string safe = name;
  for (size_t i = 0; i < safe.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(safe[i]);
    if (rules == FileNameRules::kPosix) {
      if (c == '/' || c == '\0') safe[i] = '_';
      continue;
    }
    if (CharLength(safe, i) == 2) {
      const unsigned char trail = static_cast<unsigned char>(safe[i + 1]);
      if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
        ++i;
        continue;
      }
    }
    if (c < 0x20 || kWindowsReserved.find(static_cast<char>(c)) != std::string::npos) safe[i] = '_';
  }
  return safe;
}

std::string WithTrailingDelimiter(const std::string& folder) {
  if (!folder.empty() && folder.back() == PathDelimiter()) return folder;
  return folder + PathDelimiter();
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(PathFromText(path), ec);
}

}  // namespace gt7p
