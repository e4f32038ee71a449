// Where the settings store lies on this system, looked at without opening
// it (ui/store_group.h).
#pragma once

#include <QString>

namespace gt7p {

// Whether every file QSettings would read for the store is absent or a
// plain file (links followed). Always true where the store is the registry.
// `userFolder`: the user-scope folder the tests set, empty for the
// system's default.
bool StoreFilesArePlain(const QString& userFolder);

}  // namespace gt7p
