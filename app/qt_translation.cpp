#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace gt7p {

bool InstallQtTranslation(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral(":/translations/qtbase_zh_CN.qm")) || !app.installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace gt7p
