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

}  // namespace gt7p
