// Shared helpers of every subsystem: the one failure type, code page 936
// texts and their conversion at the edges, text and number rules, file
// names, outputs written beside their place (output_file.h), and the facts
// of the local system (platform files picked by the build).
//
// Texts are code page 936 byte strings (lengths count bytes); only the
// edges convert (cp936.h). Nothing here holds state beyond per-thread code
// page converters; every function may be called from any thread.
//
// Failures: Error (error.h) is what an operation that cannot go on throws,
// with the system's message; ConvertError for a number that can't be read;
// Aborted for work given up on request (the window closing, Ctrl-C). The
// helpers here throw nothing themselves, except WriteBeside, which passes on
// what its writer throws and gives Error "无法创建文件！" when the complete
// file can't take its place.
//
// Numbers: read and printed with "." as the point under every locale.
#pragma once

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/file_space.h"
#include "base/local_folders.h"
#include "base/output_file.h"
#include "base/text.h"
