#include "ui/store_place.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <filesystem>

namespace gt7p {

// The files QSettings reads for the organisation "gt7p" and the application
// "gt7p": the application's and the organisation's file, in the user's
// folder and in the system's; ".conf" in the native format, ".ini" in the
// INI format (the tests').
bool StoreFilesArePlain(const QString& userFolder) {
  const QString user =
      userFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) : userFolder;
  const QString system = QLibraryInfo::path(QLibraryInfo::SettingsPath);
  for (const QString& folder : {user, system}) {
    if (folder.isEmpty()) continue;
    for (const QString& name : {QStringLiteral("gt7p/gt7p.conf"), QStringLiteral("gt7p.conf"),
                                QStringLiteral("gt7p/gt7p.ini"), QStringLiteral("gt7p.ini")}) {
      std::error_code ec;
      const auto status = std::filesystem::status(QDir(folder).filePath(name).toStdString(), ec);
      if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
    }
  }
  return true;
}

}  // namespace gt7p
