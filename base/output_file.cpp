#include "base/output_file.h"

#include <random>
#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/native_file.h"

namespace gt7p {
namespace fs = std::filesystem;
namespace {

std::string RandomTag() {
  static const char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  thread_local std::mt19937_64 random(std::random_device{}());
  std::string tag(8, '0');
  for (char& c : tag) c = kChars[random() % (sizeof kChars - 1)];
  return tag;
}

// A new temporary file beside `out`, closed again: the name is ours.
fs::path ReservePart(const fs::path& out) {
  const fs::path dir = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  for (int attempt = 0; attempt < 16; ++attempt) {
    // Joined as paths: a string would take a Windows name through the ANSI code page.
    fs::path part = dir / ".";
    part += out.filename();
    part += "." + RandomTag() + ".part";
    NativeFile file;
    if (file.CreateNew(part)) return part;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(part, ec))) break;  // not a name taken by chance
  }
  throw Error(Utf8ToCp936("无法创建文件！"));
}

}  // namespace

void WriteBeside(const fs::path& out, const std::function<void(const fs::path& part)>& write) {
  const fs::path part = ReservePart(out);
  std::error_code ec;
  try {
    write(part);
    ThrowIfWorkAborted();
  } catch (...) {
    fs::remove(part, ec);
    throw;
  }
  fs::rename(part, out, ec);
  if (ec) {
    fs::remove(part, ec);
    throw Error(Utf8ToCp936("无法创建文件！"));
  }
}

}  // namespace gt7p
