// Where the window keeps its settings between runs: QSettings of the
// organisation "gt7p" and the application "gt7p" in the user's scope, in
// QSettings' default format: the registry under
// HKEY_CURRENT_USER\Software\gt7p\gt7p on Windows, ~/.config/gt7p/gt7p.conf
// on Linux. The communication settings are the group "comm"; other parts of
// the program keep their own groups in the same store.
//
// Reading never fails: a missing or unreadable store gives empty values, and
// what is taken back is decided by RestoreLinkSettings
// (workflow/stored_settings.h). Writing is best effort: a store that can't
// be written leaves the run as it is. The window's thread only.
#pragma once

#include "workflow/workflow.h"

namespace gt7p {

StoredSettings LoadStoredSettings();
void SaveStoredSettings(const StoredSettings& stored);

}  // namespace gt7p
