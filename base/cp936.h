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

// A code page 936 text from the instrument (or a file) as it is shown:
// every byte that is not shown as itself becomes "\xHH", so that every
// text shown stands for one text only. Those are control characters (no
// name can move the cursor or break a line or a column), "\" ("A\x41B" is
// not "AAB"; the trail byte of a double-byte character stays as it is),
// and every byte that doesn't come back from UTF-8 as it was, or only as a
// private-use character no font shows (and the systems map differently):
// 80h-FFh standing alone, the lead byte of a pair that names no such
// character and its trail byte unless that is ASCII ("A\xA2B"; "A\xA2\xABB"
// keeps its "B", which "\xAB" would take into a character; "A\xFFB" is not
// "A\xA2B").
std::string ShownText(const std::string& cp936);
// The "\xHH" of ShownText back as bytes, for a text typed as it was shown;
// double-byte characters are taken whole.
std::string TextFromShown(const std::string& shown);
// Only the bytes that don't come back from UTF-8 as "\xHH", the rest as it
// stands: a name from the instrument as a file name (a "\" in it then
// follows the rule of every "\": kept on POSIX, "_" on Windows).
std::string WithUnconvertibleShown(const std::string& cp936);

// A code page 936 text (a name from the instrument) as a path, and a path
// as a code page 936 text for showing it in a message, a caption or a
// prompt. A path need not fit code page 936 ("d😀", "Björn"): its text then
// shows "?" where a character has no place, so a path is kept and handed on
// as a path, never as its text.
std::filesystem::path PathFromText(const std::string& cp936);
std::string TextFromPath(const std::filesystem::path& path);

// A path from UTF-8 (a command-line word, a toolkit's text) and back, with
// every character kept; on POSIX the bytes are the path's as they are.
inline std::filesystem::path PathFromUtf8(const std::string& utf8) { return std::filesystem::u8path(utf8); }
inline std::string Utf8FromPath(const std::filesystem::path& path) { return path.u8string(); }

}  // namespace gt7p
