// Facts of the local system that differ by platform (local_folders_posix.cpp,
// local_folders_win32.cpp). Texts are code page 936. Nothing throws.
#pragma once

#include <string>

#include "base/file_names.h"

namespace gt7p {

// The folder of the program's own executable file; "" when unknown.
std::string ProgramFolder();

// Where a package installs the program's data (its manual): on Linux
// PREFIX/share/gt7p for a program in PREFIX/bin; "" on Windows, where
// everything ships beside the program, and when the program's folder is
// unknown.
std::string InstalledDataFolder();

// The file-name rules of this system.
FileNameRules NativeFileNameRules();

// The delimiter between folder and name in a path text: a backslash on Windows,
// "/" elsewhere.
char PathDelimiter();

}  // namespace gt7p
