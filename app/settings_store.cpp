#include "app/settings_store.h"

#include "ui/ui.h"

namespace gt7p {

StoredSettings LoadStoredSettings() {
  const StoreGroup store(QStringLiteral("comm"));
  StoredSettings stored;
  for (const StoredRow& row : StoredRows()) stored.*row.text = ToCore(store.Value(row.key).toString());
  return stored;
}

void SaveStoredSettings(const StoredSettings& stored) {
  StoreGroup store(QStringLiteral("comm"));
  for (const StoredRow& row : StoredRows()) store.SetValue(row.key, FromCore(stored.*row.text));
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
