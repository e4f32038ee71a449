// Outputs that are complete or absent: every file gt7p-cli makes, and a
// saved file that replaces an older one, is written beside its place and
// renamed over it once complete.
#pragma once

#include <functional>
#include <string>

namespace gt7p {

// Makes `out` (a core text) complete or not at all: `write` makes the file
// at the temporary path it is given, beside `out` (".NAME.part"), which
// takes `out`'s place only when `write` returned; when it throws, the
// temporary file is removed, `out` stays as it was and the exception goes
// on. A failed rename throws Error "无法创建文件！".
void WriteBeside(const std::string& out, const std::function<void(const std::string& part)>& write);

}  // namespace gt7p
