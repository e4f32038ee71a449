#include "base/output_file.h"

#include <filesystem>

#include "base/cp936.h"
#include "base/error.h"

namespace gt7p {

void WriteBeside(const std::string& out, const std::function<void(const std::string& part)>& write) {
  namespace fs = std::filesystem;
  const fs::path outPath = PathFromText(out);
  const fs::path dir = outPath.parent_path().empty() ? fs::path(".") : outPath.parent_path();
  // Joined as paths: string() would take a Windows name through the ANSI code page.
  fs::path part = dir / ".";
  part += outPath.filename();
  part += ".part";
  std::error_code ec;
  try {
    write(TextFromPath(part));
  } catch (...) {
    fs::remove(part, ec);
    throw;
  }
  fs::rename(part, outPath, ec);
  if (ec) {
    fs::remove(part, ec);
    throw Error(Utf8ToCp936("无法创建文件！"));
  }
}

}  // namespace gt7p
