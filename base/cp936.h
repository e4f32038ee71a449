// Conversion between the core's code page 936 byte strings and the edges:
// UTF-8 for the terminal and the window, native paths for the file system.
//
// Bytes that cannot be converted become "?" (towards code page 936) or
// U+FFFD (towards UTF-8); nothing here throws for bad input.
// Implemented with iconv on POSIX (cp936_iconv.cpp) and the Windows
// code-page functions on Windows (cp936_win32.cpp).
#pragma once

#include <filesystem>
#include <string>

namespace gt7p {

std::string Cp936ToUtf8(const std::string& cp936);
std::string Utf8ToCp936(const std::string& utf8);

// A path text of the core as the operating system's path, and back.
std::filesystem::path PathFromText(const std::string& cp936);
std::string TextFromPath(const std::filesystem::path& path);

}  // namespace gt7p
