// Lines of a text: CR, LF or CR LF end a line; a final line break adds no
// empty line, an empty text has none.
#pragma once

#include <string>
#include <vector>

namespace gt7p {

std::vector<std::string> SplitLines(const std::string& text);

}  // namespace gt7p
