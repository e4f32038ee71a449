// Outputs that are complete or absent: every file the program writes for
// the user (a saved file, new or replacing an older one; every output of
// gt7p-cli) is written beside its place and renamed over it once complete.
#pragma once

#include <filesystem>
#include <functional>

namespace gt7p {

// Makes `out` complete or not at all. The temporary file is made in `out`'s
// folder under an unpredictable name (".NAME.XXXXXXXX.part") that nothing
// stood at (NativeFile::CreateNew), so nothing planted there is written
// through; `write` then makes the file at that path (the writers replace
// it with a file of their own making or write into it), and it takes
// `out`'s place only when `write` returned and the work was not aborted
// (AbortWork). When `write` throws, the temporary file is removed, `out`
// stays as it was and the exception goes on. No temporary file can be made,
// or the complete file can't take `out`'s place (a folder stands there):
// Error "无法创建文件！".
void WriteBeside(const std::filesystem::path& out, const std::function<void(const std::filesystem::path& part)>& write);

}  // namespace gt7p
