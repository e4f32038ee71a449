#include "app/settings_store.h"

#include <QSettings>

#include "app/ui_text.h"

namespace gt7p {
namespace {

// In QSettings' default format (the native one: the constructors without a
// format would take it whatever the default): the tests point it, and its
// paths, at a folder of their own; the program never changes them.
const char kOrganisation[] = "gt7p", kApplication[] = "gt7p", kGroup[] = "comm";

}  // namespace

StoredSettings LoadStoredSettings() {
  QSettings store(QSettings::defaultFormat(), QSettings::UserScope, kOrganisation, kApplication);
  store.beginGroup(kGroup);
  auto text = [&store](const char* key) { return ToCore(store.value(key).toString()); };
  StoredSettings stored;
  stored.port = text("port");
  stored.target = text("target");
  stored.delay = text("delay");
  stored.columns = text("columns");
  stored.fullSilence = text("fullSilence");
  stored.autoDetect = text("autoDetect");
  store.endGroup();
  return stored;
}

void SaveStoredSettings(const StoredSettings& stored) {
  QSettings store(QSettings::defaultFormat(), QSettings::UserScope, kOrganisation, kApplication);
  store.beginGroup(kGroup);
  store.setValue("port", FromCore(stored.port));
  store.setValue("target", FromCore(stored.target));
  store.setValue("delay", FromCore(stored.delay));
  store.setValue("columns", FromCore(stored.columns));
  store.setValue("fullSilence", FromCore(stored.fullSilence));
  store.setValue("autoDetect", FromCore(stored.autoDetect));
  store.endGroup();
}

}  // namespace gt7p
