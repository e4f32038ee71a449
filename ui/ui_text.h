// The toolkit's strings and the core's: code page 936 texts and paths,
// converted here and nowhere else.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace gt7p {

// A code page 936 text of the core for the toolkit, and back ("?" for what
// code page 936 can't hold).
QString FromCore(const std::string& cp936);
std::string ToCore(const QString& text);

// A path to and from the toolkit, every character kept.
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& text);

// A text of the program's own, written in UTF-8 in the source.
inline QString Ui(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace gt7p
