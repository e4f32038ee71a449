#include "base/output_file.h"

#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/native_file.h"

namespace gt7p {
namespace fs = std::filesystem;
namespace {

// A new temporary file beside `out`, closed again: the name is ours.
fs::path ReservePart(const fs::path& out) {
  const fs::path dir = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  // Joined as paths: a string would take a Windows name through the ANSI code page.
  fs::path stem = dir / ".";
  stem += out.filename();
  stem += ".";
  NativeFile file;
  if (!file.CreateUnique(stem, ".part")) throw Error(Utf8ToCp936("无法创建文件！"));
  return file.path();
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
