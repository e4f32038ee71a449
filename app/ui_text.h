// Qt edge of the core's texts and the window's font.
#pragma once

#include <QFont>
#include <QString>
#include <filesystem>
#include <string>

namespace gt7p {

QString FromCore(const std::string& cp936);
std::string ToCore(const QString& text);

// A path to and from the toolkit, every character kept.
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& text);

// "宋体" at `pixels` pixels; the family is mapped to an installed Song-style
// CJK font where the system has no font of that name.
QFont SongFont(int pixels);

}  // namespace gt7p
