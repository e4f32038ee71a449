#include "link/reply_file.h"

namespace gt7p {
namespace {

constexpr size_t kBufferBytes = 64 * 1024;

}  // namespace

bool ReplyFile::Create(const std::filesystem::path& path) {
  Close();
  pending_.clear();
  return NativeFile::RemoveUnused(path) && file_.CreateNew(path);
}

bool ReplyFile::CreateUnique(const std::filesystem::path& stem, const std::string& suffix) {
  Close();
  pending_.clear();
  return file_.CreateUnique(stem, suffix);
}

bool ReplyFile::Close() {
  if (!file_.IsOpen()) return !WriteFailed();
  Flush();
  return file_.Close();
}

void ReplyFile::Remove() {
  pending_.clear();
  file_.RemoveAndClose();
}

void ReplyFile::Write(const char* data, size_t size) {
  pending_.append(data, size);
  if (pending_.size() >= kBufferBytes) Flush();
}

bool ReplyFile::Flush() {
  if (!pending_.empty() && file_.IsOpen()) file_.Write(pending_.data(), pending_.size());
  pending_.clear();
  return !WriteFailed();
}

void ReplyFile::Seek(uint64_t position) {
  Flush();
  file_.Seek(position);
}

std::string ReplyFile::Read(size_t count) {
  Flush();
  std::string text(count, '\0');
  text.resize(file_.Read(&text[0], count));
  return text;
}

}  // namespace gt7p
