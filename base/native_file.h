// A file through the system's own calls (native_file_posix.cpp,
// native_file_win32.cpp), for the files that must not be taken over: the
// temporary files beside an output, the cache, the transfer's file, the
// converter's output.
//
// CreateNew makes a file where nothing stood (O_EXCL, CREATE_NEW): a file
// or a link planted at the name makes it fail, and a link is never
// followed. While open, such a file counts as in use (POSIX: an advisory
// lock; Windows: not shared for deletion), which RemoveUnused respects.
// OpenRead follows links, as any reader does.
//
// Nothing throws. A failed call gives false (or a short read) and keeps the
// system's reason in error(); a failed write stays failed for the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace gt7p {

class NativeFile {
 public:
  NativeFile() = default;
  ~NativeFile() { Close(); }
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;

  // A new, empty file, for reading and writing; false when anything stands
  // at `path` or it can't be made.
  bool CreateNew(const std::filesystem::path& path);
  // Deletes a file or link at `path` (never a folder) and then CreateNew.
  bool CreateReplacing(const std::filesystem::path& path);
  // CreateNew at `stem` followed by eight random letters and digits and
  // `suffix`, another draw when that name is taken; false when none can be
  // made (the folder is missing or not writable).
  bool CreateUnique(const std::filesystem::path& stem, const std::string& suffix);
  bool OpenRead(const std::filesystem::path& path);
  bool IsOpen() const { return handle_ != kNone; }
  const std::filesystem::path& path() const { return path_; }

  // Up to `size` bytes from the position; fewer at the end or on a failure.
  size_t Read(char* data, size_t size);
  // All `size` bytes at the position; false once any write has failed.
  bool Write(const char* data, size_t size);
  bool Seek(uint64_t position);
  bool Size(uint64_t& size);
  // True while every write (and the close itself) went through.
  bool WritesOk() const { return !writeFailed_; }
  const std::error_code& error() const { return error_; }

  // Closes; false when a write failed, now or before.
  bool Close();
  // Deletes the file this made (not one put at its name since), then closes.
  void RemoveAndClose();

  // Removes the link or file at `path` unless a running program holds it
  // through CreateNew; false when something stays there.
  static bool RemoveUnused(const std::filesystem::path& path);

  // Gives the file or link at `from` the name `to` in the same folder.
  // With `replace` a file or link at `to` is replaced in one step (never a
  // folder). Without it the name is taken only where nothing stands:
  // errc::file_exists when anything does. That takes one step where the
  // file system allows it (Linux: renameat2 RENAME_NOREPLACE, else a hard
  // link and the old name's removal; Windows: MoveFileEx without
  // MOVEFILE_REPLACE_EXISTING); on one that has neither (Linux, some
  // network file systems) the name is checked right before the rename.
  // With `durable` the new name is on the disk when this returns (POSIX:
  // the folder is flushed; Windows: MOVEFILE_WRITE_THROUGH), as far as the
  // file system can say; a folder that can't be flushed is no failure.
  static std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to, bool replace,
                                bool durable = false);

  // Writes the data of the file at `path` (closed, or open elsewhere)
  // through to the disk: fsync, FlushFileBuffers.
  static std::error_code FlushToDisk(const std::filesystem::path& path);

 private:
  static constexpr intptr_t kNone = -1;
  void Fail();  // error() := the system's latest error

  intptr_t handle_ = kNone;  // a descriptor or a HANDLE
  std::filesystem::path path_;
  std::error_code error_;
  bool writeFailed_ = false;
};

// The system's words for `reason`, as UTF-8 (for a terminal).
std::string SystemReasonText(const std::error_code& reason);

// A write past the process's file-size limit (ulimit -f) then fails as one
// on a full disk does (EFBIG: WriteError, "写入文件失败！") instead of ending
// the process with SIGXFSZ. For each program's start; nothing to do on
// Windows.
void LetWritesFailPastSizeLimit();

}  // namespace gt7p
