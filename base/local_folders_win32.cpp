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

uint64_t ThisProcessId() { return GetCurrentProcessId(); }

bool ProcessRunning(uint64_t id) {
  if (id == 0 || id > 0xFFFFFFFFu) return false;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

std::string MachineName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &n)) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(n), utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace gt7p
