// The window's communication settings between runs: the group "comm" of the
// program's settings store (ui/store_group.h); and the destination folder
// chosen last, the folder browser's start in a later run: "save/lastFolder".
//
// Reading never fails: a missing or unreadable store gives empty values, and
// what is taken back is decided by RestoreLinkSettings
// (workflow/stored_settings.h). Writing is best effort: a store that can't
// be written leaves the run as it is. The window's thread only.
#pragma once

#include <filesystem>

#include "workflow/workflow.h"

namespace gt7p {

StoredSettings LoadStoredSettings();
void SaveStoredSettings(const StoredSettings& stored);

std::filesystem::path LoadLastFolder();
void SaveLastFolder(const std::filesystem::path& folder);

}  // namespace gt7p
