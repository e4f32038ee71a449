#include <signal.h>
#include <unistd.h>

#include <cerrno>
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

uint64_t ThisProcessId() { return static_cast<uint64_t>(getpid()); }

bool ProcessRunning(uint64_t id) {
  const auto pid = static_cast<pid_t>(id);
  if (id == 0 || static_cast<uint64_t>(pid) != id || pid < 0) return false;
  return kill(pid, 0) == 0 || errno == EPERM;
}

std::string MachineName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

}  // namespace gt7p
