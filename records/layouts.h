// The two output layouts, ESP and QFX, as constant strings.
//
// Grammar: entries separated by ";" (the last one also followed by ";"),
// 11 columns separated by ",": group digit and output kind, size, offset,
// index, source offset, source kind, source length, mode (F fixed, N from the
// source record, D zeros, T source digits as hex text), hex flag, fixed value,
// template. The file-header entries (group 0) come first; the first ";1"
// starts the channel-header entries. The strings hold only ASCII, so they are
// the same in code page 936.
#pragma once

#include <string>

namespace gt7p {

const std::string& EspLayout();
const std::string& QfxLayout();

}  // namespace gt7p
