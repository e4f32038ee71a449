// File names: the rules are pure text (code page 936); FolderExists,
// FolderWritable, NotAFileMessage, RequireRegularFile and ReadSmallFile look
// at the file system. Only RequireRegularFile and ReadSmallFile throw.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace gt7p {

// Which bytes cannot stand in a file name.
enum class FileNameRules {
  kPosix,    // "/" and control characters (NUL, LF, TAB, ESC ... and DEL)
  kWindows,  // \ / : * ? " < > |, control characters; device names; a final dot or blank
};

// `path` with its extension replaced by `ext` (added when it has none).
// The extension runs from the last "." that stands after the last path
// delimiter ("/", "\\" or ":"); a double-byte character is read whole, so
// its trail byte is never a delimiter.
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// `name` as a file name that names a file of its own in the folder it is
// put in: every byte that can't stand in a file name under `rules` becomes
// "_" ("." or ".." alone become "_"). Under the Windows rules a double-byte
// character is kept whole (its trail byte may be "\\" or "|"); a name whose
// part before its first "." is a device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, CONIN$, CONOUT$; any case, blanks after it ignored) gets "_"
// after that part ("CON.QFX" gives "CON_.QFX"), and a final "." or blank,
// which Windows would drop, becomes "_".
std::string SafeFileName(const std::string& name, FileNameRules rules);

// True when a folder stands at `path`; false for an empty path.
bool FolderExists(const std::filesystem::path& path);

// True when a file can be made in the folder at `path`: one is made there
// and removed again. False for an empty path or no folder.
bool FolderWritable(const std::filesystem::path& path);

// Why `path` can't be read as a file, as a message that names it:
// "找不到文件：PATH" when nothing is there, "是文件夹，不是文件：PATH" for a
// folder, "不是普通文件：PATH" for a device, a pipe or a socket (reading one
// may block or never end). Empty for a file, or a link to one.
std::string NotAFileMessage(const std::filesystem::path& path);
// Error with that message unless `path` is a file to read.
void RequireRegularFile(const std::filesystem::path& path);

// The whole of a small text file the operator keeps beside the records (a
// picks table, a line's geometry, layer choices), read at once. Error with
// RequireRegularFile's message, or "找不到文件：PATH" when it can't be read,
// or `tooLarge` followed by the path (code page 936) when it holds more than
// `limit` bytes: a file that large is none of ours.
std::string ReadSmallFile(const std::filesystem::path& path, uint64_t limit, const std::string& tooLarge);

}  // namespace gt7p
