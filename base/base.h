// Shared helpers of every subsystem: the one failure type, code page 936
// texts and their conversion at the edges, text and number rules, tables
// of comma-separated values (csv.h), file
// names, files made exclusively (native_file.h), outputs written beside
// their place and the writer of an output's file (output_file.h), and the facts of the local system (platform
// files picked by the build), the program's version (version.h).
//
// Texts are code page 936 byte strings (lengths count bytes); only the
// edges convert (cp936.h). Every function may be called from any thread.
//
// Failures: Error (error.h) is what an operation that cannot go on throws,
// with the system's message; ConvertError for a number that can't be read;
// Aborted for work given up on request (the window closing, Ctrl-C). The
// operator's failure sentences are named by Failure (messages.h). The
// helpers here throw nothing themselves, except WriteBeside, which passes on
// what its writer throws and gives Error "无法创建文件！" when no temporary
// file can be made or the complete file can't take its place, and
// OutputWriter, which throws what the writers throw: "无法创建文件！", and
// WriteError ("写入文件失败！" with the system's reason) for a write that
// failed (a full disk).
//
// Paths are std::filesystem::path from the edge (a command-line word, the
// folder browser) to the system call, so a path that code page 936 can't
// hold is used exactly; a path turns into a code page 936 text only to be
// shown (cp936.h). Names from the instrument become paths through
// SafeFileName and PathFromText.
//
// Files that must not be taken over (temporary files, the cache, the
// transfer's file, the converter's output) are made by NativeFile
// (native_file.h): only where nothing stood, never through a link.
//
// State: AbortWork (error.h) is the one process-wide flag, set by
// gt7p-cli's Ctrl-C and SIGTERM.
//
// Numbers: read and printed with "." as the point under every locale.
#pragma once

#include "base/cp936.h"
#include "base/csv.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/file_space.h"
#include "base/local_folders.h"
#include "base/messages.h"
#include "base/native_file.h"
#include "base/output_file.h"
#include "base/text.h"
#include "base/version.h"
