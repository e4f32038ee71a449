#include "base/file_names.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "base/text.h"

namespace gt7p {
namespace {

size_t ExtensionStart(const std::string& path) {
  size_t start = path.size();
  for (size_t i = 0; i < path.size(); i += WholeCharLength(path, i)) {
    if (path[i] == '.')
      start = i;
    else if (path[i] == '/' || path[i] == '\\' || path[i] == ':')
      start = path.size();
  }
  return start;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The names Windows takes for devices, whatever extension follows.
bool IsWindowsDeviceName(const std::string& stem) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  const std::string upper = UpperCaseCp936(stem);
  for (const char* device : kDevices)
    if (upper == device) return true;
  return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}

void MapWindowsNames(std::string& safe) {
  const size_t base = std::min(safe.find('.'), safe.size());
  size_t stem = base;
  while (stem > 0 && safe[stem - 1] == ' ') --stem;
  if (IsWindowsDeviceName(safe.substr(0, stem))) safe.insert(stem, "_");
  if (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.back() = '_';
}

}  // namespace

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
      if (c == '/' || IsControl(c)) safe[i] = '_';
      continue;
    }
    if (WholeCharLength(safe, i) == 2) {
      ++i;
      continue;
    }
    if (IsControl(c) || kWindowsReserved.find(static_cast<char>(c)) != std::string::npos) safe[i] = '_';
  }
  if (rules == FileNameRules::kWindows) MapWindowsNames(safe);
  return safe;
}

bool FolderExists(const std::filesystem::path& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool FolderWritable(const std::filesystem::path& path) {
  if (!FolderExists(path)) return false;
  std::error_code ec;
  for (int n = 0; n < 100; ++n) {
    const std::filesystem::path probe = path / (".gt7p-probe-" + std::to_string(n));
    if (std::filesystem::exists(std::filesystem::symlink_status(probe, ec))) continue;
    const bool made = static_cast<bool>(std::ofstream(probe, std::ios::binary));
    if (made) std::filesystem::remove(probe, ec);
    return made;
  }
  return false;
}

std::string NotAFileMessage(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status there = std::filesystem::status(path, ec);
  if (std::filesystem::is_regular_file(there)) return std::string();
  const Failure failure = std::filesystem::is_directory(there) ? Failure::kFolderNotFile
                          : std::filesystem::exists(there)     ? Failure::kNotRegularFile
                                                               : Failure::kFileNotFound;
  return FailureText(failure) + TextFromPath(path);
}

void RequireRegularFile(const std::filesystem::path& path) {
  const std::string notAFile = NotAFileMessage(path);
  if (!notAFile.empty()) throw Error(notAFile);
}

std::string ReadSmallFile(const std::filesystem::path& path, uint64_t limit, const std::string& tooLarge) {
  RequireRegularFile(path);  // a folder, or a pipe that might never end
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(FailureText(Failure::kFileNotFound) + TextFromPath(path));
  std::string text;
  char buffer[65536];
  // Read to its end rather than by its size: the size may change under us.
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(in.gcount()));
    if (text.size() > limit) throw Error(tooLarge + TextFromPath(path));
  }
  if (in.bad()) throw Error(FailureText(Failure::kFileNotFound) + TextFromPath(path));
  return text;
}

}  // namespace gt7p
