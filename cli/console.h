// The terminal as gt7p-cli sees it, per platform (console_posix.cpp,
// console_win32.cpp): UTF-8 in from the command line, UTF-8 out unchanged.
#pragma once

#include <string>
#include <vector>

namespace gt7p {
namespace cli {

// The words after the program's name, as UTF-8.
std::vector<std::string> CommandWords(int argc, char** argv);

// Makes stdout and stderr carry the bytes as written: on Windows no "\n" to
// CR LF translation (the output equals the other builds' byte for byte),
// and a console shows the UTF-8.
void PrepareOutput();

// True when stderr is a terminal, where progress lines may be drawn.
bool ProgressOnStderr();

}  // namespace cli
}  // namespace gt7p
