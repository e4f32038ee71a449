// The settings store that the window and the viewer share: QSettings of the
// organisation "gt7p" and the application "gt7p" in the user's scope, in
// QSettings' default format: the registry under
// HKEY_CURRENT_USER\Software\gt7p\gt7p on Windows, ~/.config/gt7p/gt7p.conf
// on Linux. Each part of the program keeps its own group there ("comm" the
// window's communication settings, "viewer" the viewer's place).
//
// Reading never fails: a missing or unreadable store gives empty values.
// Writing is best effort: a store that can't be written leaves the run as
// it is. A store file that is not a plain file (a FIFO, a device, a folder
// planted at its name) is not opened at all, since opening a FIFO would
// block the window at its start: the run goes on with empty values and
// writes nothing. The GUI thread only.
#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

namespace gt7p {

// One group of the store, open for as long as this lives.
class StoreGroup {
 public:
  explicit StoreGroup(const QString& group);
  ~StoreGroup();
  StoreGroup(const StoreGroup&) = delete;
  StoreGroup& operator=(const StoreGroup&) = delete;

  QVariant Value(const QString& key) const { return store_ ? store_->value(key) : QVariant(); }
  void SetValue(const QString& key, const QVariant& value) {
    if (store_) store_->setValue(key, value);
  }
  // Whether the store could be opened (false: values empty, writes dropped).
  bool usable() const { return store_ != nullptr; }

 private:
  std::unique_ptr<QSettings> store_;
};

// Points the user-scope store (both formats) at `folder`: the tests keep
// their settings apart from the user's. The store's place is then known
// without opening it.
void PointStoreAt(const QString& folder);

}  // namespace gt7p
