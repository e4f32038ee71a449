// Facts of the local system that differ by platform (local_folders_posix.cpp,
// local_folders_win32.cpp). Nothing throws.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/file_names.h"

namespace gt7p {

// The folder of the program's own executable file; empty when unknown.
std::filesystem::path ProgramFolder();

// Where a package installs the program's data (its manual): on Linux
// PREFIX/share/gt7p for a program in PREFIX/bin; empty on Windows, where
// everything ships beside the program, and when the program's folder is
// unknown.
std::filesystem::path InstalledDataFolder();

// The file-name rules of this system.
FileNameRules NativeFileNameRules();

// The running process's id, and whether a process of that id runs on this
// machine now. A process that can't be looked at (another user's) runs; an
// id of 0 never does.
uint64_t ThisProcessId();
bool ProcessRunning(uint64_t id);

// This machine's name as the system gives it (host name, computer name),
// UTF-8; empty when unknown.
std::string MachineName();

}  // namespace gt7p
