#include "app/ui_text.h"


#include "base/cp936.h"
#include "settings/ui_fonts.h"

namespace gt7p {

QString FromCore(const std::string& cp936) { return QString::fromStdString(Cp936ToUtf8(cp936)); }

std::string ToCore(const QString& text) { return Utf8ToCp936(text.toStdString()); }

QString FromPath(const std::filesystem::path& path) { return QString::fromStdString(Utf8FromPath(path)); }

std::filesystem::path ToPath(const QString& text) { return PathFromUtf8(text.toStdString()); }

QFont SongFont(int pixels) { return SongPixelFont(pixels); }

}  // namespace gt7p
