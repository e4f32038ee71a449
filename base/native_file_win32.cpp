#include <windows.h>

#include <algorithm>

#include "base/native_file.h"

namespace gt7p {
namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Read and write sharing only: while open the file can't be deleted, so it
// counts as in use, and the converter can still reserve its room by name.
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

std::error_code LastError() { return std::error_code(static_cast<int>(GetLastError()), std::system_category()); }

// A virus scanner or the search indexer opens a new file for a moment
// without sharing it; so may another program. A call that meets such a
// holder is tried again every 50 ms for up to 2 s before it fails:
// `attempt` gives true on success, else leaves the reason in
// GetLastError(). With `replacing`, "access denied" counts as held too (a
// file that is being deleted, or held while it is replaced).
template <typename Attempt>
bool Retrying(Attempt attempt, bool replacing = false) {
  constexpr ULONGLONG kPatienceMs = 2000;
  constexpr DWORD kPauseMs = 50;
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    if (attempt()) return true;
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (replacing && error == ERROR_ACCESS_DENIED);
    if (!held || GetTickCount64() - start >= kPatienceMs) {
      SetLastError(error);
      return false;
    }
    Sleep(kPauseMs);
  }
}

// CreateFileW, tried again while another holds the file.
HANDLE OpenHeld(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  HANDLE file = INVALID_HANDLE_VALUE;
  Retrying([&] {
    file = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  return file;
}

bool DeleteThere(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  // A link to a folder is itself a folder entry: it goes, the folder stays.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != 0
                                                   : DeleteFileW(path.c_str()) != 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return DeleteFileW(path.c_str()) != 0;
}

}  // namespace

void NativeFile::Fail() { error_ = LastError(); }

bool NativeFile::CreateNew(const std::filesystem::path& path) {
  Close();
  // CREATE_NEW fails on any name that is taken; a reparse point is never followed.
  const HANDLE file = OpenHeld(path, GENERIC_READ | GENERIC_WRITE | DELETE, kShare, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return Fail(), false;
  handle_ = reinterpret_cast<intptr_t>(file);
  path_ = path;
  writeFailed_ = false;
  return true;
}

bool NativeFile::CreateReplacing(const std::filesystem::path& path) {
  // No stale reason may pass for a holder: a folder at `path` fails at once.
  if (!Retrying([&] { return SetLastError(ERROR_SUCCESS), DeleteThere(path); }, true)) return Fail(), false;
  return CreateNew(path);
}

bool NativeFile::OpenRead(const std::filesystem::path& path) {
  Close();
  const HANDLE file = OpenHeld(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) return Fail(), false;
  handle_ = reinterpret_cast<intptr_t>(file);
  path_ = path;
  writeFailed_ = false;
  return true;
}

size_t NativeFile::Read(char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(Handle(handle_), data + done, ask, &got, nullptr)) Fail();
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool NativeFile::Write(const char* data, size_t size) {
  if (writeFailed_) return false;
  size_t done = 0;
  while (done < size) {
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(Handle(handle_), data + done, ask, &put, nullptr) || put == 0) {
      Fail();
      if (!error_) error_ = std::make_error_code(std::errc::no_space_on_device);
      writeFailed_ = true;
      return false;
    }
    done += put;
  }
  return true;
}

bool NativeFile::Seek(uint64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(position);
  if (!SetFilePointerEx(Handle(handle_), to, nullptr, FILE_BEGIN)) return Fail(), false;
  return true;
}

bool NativeFile::Size(uint64_t& size) {
  LARGE_INTEGER n;
  if (!GetFileSizeEx(Handle(handle_), &n)) return Fail(), false;
  size = static_cast<uint64_t>(n.QuadPart);
  return true;
}

bool NativeFile::Close() {
  if (handle_ == kNone) return !writeFailed_;
  if (!CloseHandle(Handle(handle_))) {
    Fail();
    writeFailed_ = true;
  }
  handle_ = kNone;
  return !writeFailed_;
}

void NativeFile::RemoveAndClose() {
  if (handle_ == kNone) return;
  // Deleted through the handle: the file this holds, whatever its name now is.
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  SetFileInformationByHandle(Handle(handle_), FileDispositionInfo, &dispose, sizeof dispose);
  CloseHandle(Handle(handle_));
  handle_ = kNone;
}

// Not tried again: a file held is one in use, which stays.
bool NativeFile::RemoveUnused(const std::filesystem::path& path) { return DeleteThere(path); }

std::error_code NativeFile::Rename(const std::filesystem::path& from, const std::filesystem::path& to, bool replace,
                                   bool durable) {
  const DWORD flags = (replace ? MOVEFILE_REPLACE_EXISTING : 0) | (durable ? MOVEFILE_WRITE_THROUGH : 0);
  if (Retrying([&] { return MoveFileExW(from.c_str(), to.c_str(), flags) != 0; }, replace)) return std::error_code();
  const DWORD error = GetLastError();
  if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
    return std::make_error_code(std::errc::file_exists);
  return std::error_code(static_cast<int>(error), std::system_category());
}

std::error_code NativeFile::FlushToDisk(const std::filesystem::path& path) {
  const HANDLE file = OpenHeld(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  std::error_code error;
  if (!FlushFileBuffers(file)) error = LastError();
  CloseHandle(file);
  return error;
}

std::string SystemReasonText(const std::error_code& reason) {
  if (reason.category() != std::system_category()) return reason.message();
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(reason.value()), 0, reinterpret_cast<LPWSTR>(&text), 0,
                                 nullptr);
  std::wstring wide = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) wide.pop_back();
  if (wide.empty()) return "error " + std::to_string(reason.value());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

void LetWritesFailPastSizeLimit() {}

}  // namespace gt7p
