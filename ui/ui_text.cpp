#include "ui/ui_text.h"

#include <algorithm>

#include "base/cp936.h"

namespace gt7p {

QString FromCore(const std::string& cp936) {
  // Most list cells are digits and Latin letters: they need no code page.
  const bool ascii =
      std::all_of(cp936.begin(), cp936.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return QString::fromLatin1(cp936.data(), static_cast<qsizetype>(cp936.size()));
  return QString::fromStdString(Cp936ToUtf8(cp936));
}

std::string ToCore(const QString& text) { return Utf8ToCp936(text.toStdString()); }

QString FromPath(const std::filesystem::path& path) { return QString::fromStdString(Utf8FromPath(path)); }

std::filesystem::path ToPath(const QString& text) { return PathFromUtf8(text.toStdString()); }

}  // namespace gt7p
