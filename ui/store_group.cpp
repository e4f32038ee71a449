#include "ui/store_group.h"

namespace gt7p {

// In QSettings' default format (the native one: the constructors without a
// format would take it whatever the default): the tests point it, and its
// paths, at a folder of their own; the program never changes them.
StoreGroup::StoreGroup(const QString& group)
    : store_(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("gt7p"), QStringLiteral("gt7p")) {
  store_.beginGroup(group);
}

StoreGroup::~StoreGroup() { store_.endGroup(); }

}  // namespace gt7p
