// The settings store that the window and the viewer share: QSettings of the
// organisation "gt7p" and the application "gt7p" in the user's scope, in
// QSettings' default format: the registry under
// HKEY_CURRENT_USER\Software\gt7p\gt7p on Windows, ~/.config/gt7p/gt7p.conf
// on Linux. Each part of the program keeps its own group there ("comm" the
// window's communication settings, "viewer" the viewer's place).
//
// Reading never fails: a missing or unreadable store gives empty values.
// Writing is best effort: a store that can't be written leaves the run as
// it is. The GUI thread only.
#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

namespace gt7p {

// One group of the store, open for as long as this lives.
class StoreGroup {
 public:
  explicit StoreGroup(const QString& group);
  ~StoreGroup();
  StoreGroup(const StoreGroup&) = delete;
  StoreGroup& operator=(const StoreGroup&) = delete;

  QVariant Value(const QString& key) const { return store_.value(key); }
  void SetValue(const QString& key, const QVariant& value) { store_.setValue(key, value); }

 private:
  QSettings store_;
};

}  // namespace gt7p
