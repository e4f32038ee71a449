// File names and folder texts: the rules are pure text; FolderExists looks
// at the file system. Texts are code page 936. Nothing throws.
#pragma once

#include <string>

namespace gt7p {

// Which bytes cannot stand in a file name.
enum class FileNameRules {
  kPosix,    // "/" and NUL
  kWindows,  // \ / : * ? " < > | and control characters
};

// File-name extension: from the last "." that stands after the last path
// delimiter ("/", "\\" or ":"), "." included; empty when there is none.
std::string ExtractFileExt(const std::string& path);

// `path` with its extension replaced by `ext` (added when it has none).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// `name` with every byte that can't stand in a file name under `rules`
// replaced by "_" ("." or ".." alone become "_"). Under the Windows rules a
// double-byte character is kept whole: its trail byte may be "\" or "|".
std::string SafeFileName(const std::string& name, FileNameRules rules);

// `folder` followed by the local path delimiter, unless it ends in one
// already (an empty text gets one too).
std::string WithTrailingDelimiter(const std::string& folder);

// True when a folder stands at `path`; false for an empty path.
bool FolderExists(const std::string& path);

}  // namespace gt7p
