#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/native_file.h"

namespace gt7p {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::error_code Errno(int value) { return std::error_code(value, std::generic_category()); }

// Errors of a file system that lacks an operation rather than of the call.
bool Unsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP || error == EPERM;
}

// `from` to `to` only where nothing stands at `to`; 0 or the errno.
int RenameNew(const char* from, const char* to) {
#if defined(__linux__)
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP) return errno;
#endif
  // A second name fails where anything stands; then the first one goes.
  if (link(from, to) == 0) {
    unlink(from);
    return 0;
  }
  if (!Unsupported(errno)) return errno;
  // No hard links either (FAT, some network file systems): the narrowest
  // check there is, right before the rename.
  struct stat there {};
  if (lstat(to, &there) == 0) return EEXIST;
  if (errno != ENOENT) return errno;
  return rename(from, to) == 0 ? 0 : errno;
}

void FlushFolder(const std::filesystem::path& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // some file systems can't flush a folder: the rename stands all the same
  close(fd);
}

}  // namespace

void NativeFile::Fail() { error_ = std::error_code(errno, std::generic_category()); }

bool NativeFile::CreateNew(const std::filesystem::path& path) {
  Close();
  // O_EXCL fails on any name that is taken, a dangling link included.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(), false;
  // Marks the file in use for RemoveUnused in other processes.
  flock(fd, LOCK_EX | LOCK_NB);
  handle_ = fd;
  path_ = path;
  writeFailed_ = false;
  return true;
}

bool NativeFile::CreateReplacing(const std::filesystem::path& path) {
  struct stat there {};
  if (lstat(path.c_str(), &there) == 0) {
    if (S_ISDIR(there.st_mode)) return error_ = std::make_error_code(std::errc::is_a_directory), false;
    if (unlink(path.c_str()) != 0) return Fail(), false;
  }
  return CreateNew(path);
}

bool NativeFile::OpenRead(const std::filesystem::path& path) {
  Close();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(), false;
  handle_ = fd;
  path_ = path;
  writeFailed_ = false;
  return true;
}

size_t NativeFile::Read(char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = read(Fd(handle_), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail();
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool NativeFile::Write(const char* data, size_t size) {
  if (writeFailed_) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(Fd(handle_), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      Fail();
      writeFailed_ = true;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool NativeFile::Seek(uint64_t position) {
  if (lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) < 0) return Fail(), false;
  return true;
}

bool NativeFile::Size(uint64_t& size) {
  struct stat st {};
  if (fstat(Fd(handle_), &st) != 0) return Fail(), false;
  size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool NativeFile::Close() {
  if (handle_ == kNone) return !writeFailed_;
  if (close(Fd(handle_)) != 0 && errno != EINTR) {
    Fail();
    writeFailed_ = true;
  }
  handle_ = kNone;
  return !writeFailed_;
}

void NativeFile::RemoveAndClose() {
  if (handle_ == kNone) return;
  struct stat mine {}, there {};
  if (fstat(Fd(handle_), &mine) == 0 && lstat(path_.c_str(), &there) == 0 && SameFile(mine, there))
    unlink(path_.c_str());
  close(Fd(handle_));
  handle_ = kNone;
}

bool NativeFile::RemoveUnused(const std::filesystem::path& path) {
  struct stat there {};
  if (lstat(path.c_str(), &there) != 0) return errno == ENOENT;
  if (S_ISDIR(there.st_mode)) return false;
  if (!S_ISREG(there.st_mode)) return unlink(path.c_str()) == 0;  // a link goes, whatever it points at
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat opened {};
  bool removed = false;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 && lstat(path.c_str(), &there) == 0 &&
      SameFile(opened, there))
    removed = unlink(path.c_str()) == 0;
  close(fd);
  return removed;
}

std::error_code NativeFile::Rename(const std::filesystem::path& from, const std::filesystem::path& to, bool replace,
                                   bool durable) {
  const int error = replace ? (rename(from.c_str(), to.c_str()) == 0 ? 0 : errno) : RenameNew(from.c_str(), to.c_str());
  if (error) return Errno(error);
  if (durable) FlushFolder(to.parent_path());
  return std::error_code();
}

std::error_code NativeFile::FlushToDisk(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Errno(errno);
  const int error = fsync(fd) == 0 ? 0 : errno;
  close(fd);
  return error ? Errno(error) : std::error_code();
}

std::string SystemReasonText(const std::error_code& reason) { return reason.message(); }

void LetWritesFailPastSizeLimit() { signal(SIGXFSZ, SIG_IGN); }

}  // namespace gt7p
