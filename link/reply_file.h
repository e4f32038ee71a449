// A file that a long reply is written into: the directory cache, the raw
// file of a transfer. Opened for reading and writing; the receive thread
// writes at the current position, the exchange reads and moves pieces once
// reception has ended. Not thread-safe: the two sides take turns.
// Nothing throws; failed reads come back short.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace gt7p {

class ReplyFile {
 public:
  ReplyFile() = default;
  ReplyFile(const ReplyFile&) = delete;
  ReplyFile& operator=(const ReplyFile&) = delete;
  ~ReplyFile() { Close(); }

  // Deletes any file at `path` (a code page 936 path text) and creates it
  // empty. False when it can't be created (a folder stands there, the
  // folder is missing or not writable).
  bool Create(const std::string& path);
  void Close();
  bool IsOpen() const { return stream_.is_open(); }
  const std::string& path() const { return path_; }

  void Write(const char* data, size_t size);  // at the current position
  void Seek(uint64_t position);
  // Up to `count` characters from the current position.
  std::string Read(size_t count);

 private:
  std::fstream stream_;
  std::string path_;
};

}  // namespace gt7p
