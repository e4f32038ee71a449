// Facts of the local system that differ by platform (local_folders_posix.cpp,
// local_folders_win32.cpp). Texts are code page 936. Nothing throws.
#pragma once

#include <string>

namespace gt7p {

// The folder of the program's own executable file; "" when unknown.
std::string ProgramFolder();

// Which bytes cannot stand in a file name here.
enum class FileNameRules {
  kPosix,    // "/" and NUL
  kWindows,  // \ / : * ? " < > | and control characters
};
FileNameRules NativeFileNameRules();

}  // namespace gt7p
