#include <filesystem>

#include "base/local_folders.h"

namespace gt7p {
namespace fs = std::filesystem;

fs::path ProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe.parent_path();
}

std::filesystem::path InstalledDataFolder() {
  const std::filesystem::path program = ProgramFolder();
  if (program.empty()) return program;
  return program.parent_path() / "share" / "gt7p";
}

FileNameRules NativeFileNameRules() { return FileNameRules::kPosix; }

}  // namespace gt7p
