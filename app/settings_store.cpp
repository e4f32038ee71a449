#include "app/settings_store.h"

#include "ui/ui.h"

namespace gt7p {

StoredSettings LoadStoredSettings() {
  const StoreGroup store(QStringLiteral("comm"));
  auto text = [&store](const char* key) { return ToCore(store.Value(key).toString()); };
  StoredSettings stored;
  stored.port = text("port");
  stored.target = text("target");
  stored.delay = text("delay");
  stored.columns = text("columns");
  stored.fullSilence = text("fullSilence");
  stored.autoDetect = text("autoDetect");
  return stored;
}

void SaveStoredSettings(const StoredSettings& stored) {
  StoreGroup store(QStringLiteral("comm"));
  store.SetValue("port", FromCore(stored.port));
  store.SetValue("target", FromCore(stored.target));
  store.SetValue("delay", FromCore(stored.delay));
  store.SetValue("columns", FromCore(stored.columns));
  store.SetValue("fullSilence", FromCore(stored.fullSilence));
  store.SetValue("autoDetect", FromCore(stored.autoDetect));
}

std::filesystem::path LoadLastFolder() {
  const StoreGroup store(QStringLiteral("save"));
  return ToPath(store.Value("lastFolder").toString());
}

void SaveLastFolder(const std::filesystem::path& folder) {
  StoreGroup store(QStringLiteral("save"));
  store.SetValue("lastFolder", FromPath(folder));
}

}  // namespace gt7p
