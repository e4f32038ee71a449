#include <filesystem>

#include "base/cp936.h"
#include "base/local_folders.h"

namespace gt7p {
namespace fs = std::filesystem;

std::string ProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : TextFromPath(exe.parent_path());
}

std::string InstalledDataFolder() {
  const std::string program = ProgramFolder();
  if (program.empty()) return std::string();
  return TextFromPath(PathFromText(program).parent_path() / "share" / "gt7p");
}

FileNameRules NativeFileNameRules() { return FileNameRules::kPosix; }

char PathDelimiter() { return '/'; }

}  // namespace gt7p
