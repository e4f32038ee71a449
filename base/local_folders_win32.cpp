#include <windows.h>

#include <filesystem>

#include "base/local_folders.h"

namespace gt7p {

std::filesystem::path ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::filesystem::path();
  return std::filesystem::path(std::wstring(path, n)).parent_path();
}

std::filesystem::path InstalledDataFolder() { return std::filesystem::path(); }

FileNameRules NativeFileNameRules() { return FileNameRules::kWindows; }

}  // namespace gt7p
