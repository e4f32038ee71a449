// Temporary folders and whole files for the tests, on every platform.
#pragma once

#include <filesystem>
#include <string>

#include "base/cp936.h"

namespace gt7p {
namespace test {

// The UTF-8 text of a test as the core's code page 936 text.
inline std::string G(const char* utf8) { return Utf8ToCp936(utf8); }

// A fresh, empty folder under the system's temporary folder, removed with
// its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string text() const { return TextFromPath(path_); }
  // A name in the folder; `name` is a code page 936 text, as the core's.
  std::filesystem::path operator/(const std::string& name) const { return path_ / PathFromText(name); }
  // Files and folders directly in it.
  size_t Count() const;
  // Their names (UTF-8), one line each: what a failed count shows.
  std::string Names() const;

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& content);
bool Exists(const std::filesystem::path& path);

// Where `got` differs from `want`, as `od -A d -t x1z` shows bytes (16 a
// line, the offset in decimal): the line before the first difference, then
// up to `lines` differing lines, each as "-" (want) and "+" (got); empty
// when the two are equal.
std::string OdDiff(const std::string& want, const std::string& got, size_t lines = 4);

}  // namespace test
}  // namespace gt7p
