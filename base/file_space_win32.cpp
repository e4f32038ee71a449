#include <windows.h>

#include "base/file_space.h"

namespace gt7p {

bool ReserveFileSpace(const std::filesystem::path& path, uint64_t bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILE_ALLOCATION_INFO allocation{};
  allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(bytes);
  const bool reserved = SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof allocation) != 0;
  CloseHandle(file);
  return reserved;
}

}  // namespace gt7p
