#include "link/reply_file.h"

#include <filesystem>

#include "base/cp936.h"

namespace gt7p {
namespace fs = std::filesystem;

bool ReplyFile::Create(const std::string& path) {
  Close();
  const fs::path p = PathFromText(path);
  std::error_code ec;
  // fs::remove would also take an empty folder of that name.
  if (fs::is_directory(fs::symlink_status(p, ec))) return false;
  fs::remove(p, ec);
  stream_.open(p, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
  if (!stream_.is_open()) return false;
  path_ = path;
  return true;
}

void ReplyFile::Close() {
  if (stream_.is_open()) stream_.close();
  stream_.clear();
}

void ReplyFile::Write(const char* data, size_t size) { stream_.write(data, static_cast<std::streamsize>(size)); }

void ReplyFile::Seek(uint64_t position) {
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(position));
  stream_.seekp(static_cast<std::streamoff>(position));
}

std::string ReplyFile::Read(size_t count) {
  std::string text(count, '\0');
  stream_.read(&text[0], static_cast<std::streamsize>(count));
  text.resize(static_cast<size_t>(stream_.gcount()));
  stream_.clear();
  return text;
}

}  // namespace gt7p
