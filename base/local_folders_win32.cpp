#include <windows.h>

#include <filesystem>

#include "base/cp936.h"
#include "base/local_folders.h"

namespace gt7p {

std::string ProgramFolder() {
  // Wide, then converted: a code page 936 trail byte can look like "\".
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return TextFromPath(std::filesystem::path(std::wstring(path, n)).parent_path());
}

std::string InstalledDataFolder() { return std::string(); }

FileNameRules NativeFileNameRules() { return FileNameRules::kWindows; }

char PathDelimiter() { return '\\'; }

}  // namespace gt7p
