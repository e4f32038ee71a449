#include "ui/store_group.h"

#include "ui/store_place.h"

namespace gt7p {
namespace {

QString& PointedFolder() {
  static QString folder;
  return folder;
}

}  // namespace

// In QSettings' default format (the native one: the constructors without a
// format would take it whatever the default): the tests point it, and its
// paths, at a folder of their own; the program never changes them.
StoreGroup::StoreGroup(const QString& group) {
  if (!StoreFilesArePlain(PointedFolder())) return;
  store_ = std::make_unique<QSettings>(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("gt7p"),
                                       QStringLiteral("gt7p"));
  store_->beginGroup(group);
}

StoreGroup::~StoreGroup() {
  if (store_) store_->endGroup();
}

void PointStoreAt(const QString& folder) {
  for (QSettings::Format format : {QSettings::IniFormat, QSettings::NativeFormat})
    QSettings::setPath(format, QSettings::UserScope, folder);
  PointedFolder() = folder;
}

}  // namespace gt7p
