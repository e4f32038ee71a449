// A file that a long reply is written into: the directory cache, the raw
// file of a transfer. Opened for reading and writing; the receive thread
// writes at the current position, the exchange reads and moves pieces once
// reception has ended. Not thread-safe: the two sides take turns.
// Writes are buffered and go to the system when the buffer fills, and
// before any Seek, Read or Close; a failed write (a full disk) is kept for
// WriteFailed. Nothing throws; failed reads come back short.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/native_file.h"

namespace gt7p {

class ReplyFile {
 public:
  ReplyFile() = default;
  ReplyFile(const ReplyFile&) = delete;
  ReplyFile& operator=(const ReplyFile&) = delete;
  ~ReplyFile() { Close(); }

  // Removes a file or link at `path` unless another running program holds
  // it as its own (NativeFile::RemoveUnused), then makes a new empty file
  // where nothing stands (NativeFile::CreateNew). False when it can't be
  // made: a folder or a file in use stands there, the folder is missing or
  // not writable.
  bool Create(const std::filesystem::path& path);
  // A new empty file at `stem`, eight random characters and `suffix`
  // (NativeFile::CreateUnique).
  bool CreateUnique(const std::filesystem::path& stem, const std::string& suffix);
  // Closes; false when a write failed, now or before.
  bool Close();
  // Deletes the file this made (not one put at its name since) and closes.
  void Remove();
  bool IsOpen() const { return file_.IsOpen(); }
  const std::filesystem::path& path() const { return file_.path(); }

  void Write(const char* data, size_t size);  // at the current position
  // Sends what is buffered to the system; false once a write has failed.
  bool Flush();
  bool WriteFailed() const { return !file_.WritesOk(); }
  const std::error_code& error() const { return file_.error(); }
  void Seek(uint64_t position);
  // Up to `count` characters from the current position.
  std::string Read(size_t count);

 private:
  NativeFile file_;
  std::string pending_;  // written, not yet sent to the system
};

}  // namespace gt7p
