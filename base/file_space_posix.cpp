#include <fcntl.h>
#include <unistd.h>

#include "base/file_space.h"

namespace gt7p {

bool ReserveFileSpace(const std::filesystem::path& path, uint64_t bytes) {
#if defined(__linux__)
  const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool reserved = fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) == 0;
  close(fd);
  return reserved;
#else
  (void)path;
  (void)bytes;
  return false;
#endif
}

}  // namespace gt7p
