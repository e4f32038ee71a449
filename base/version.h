// The program's version and the texts that go with it, one source for
// gt7p-cli --version, the window's about box, the Windows programs' version
// resources and the packages. The number is the top CMakeLists.txt's
// project VERSION, the texts are set beside it; only version.cpp is built
// with them, so a new number rebuilds one file.
//
// The texts are UTF-8 (they go straight to the terminal and the toolkit),
// not the core's code page 936.
#pragma once

#include <string>

namespace gt7p {

// "0.1": the project's version as it stands in the packages' names.
const char* ProgramVersion();

// "PROGRAM VERSION", the product's name and the copyright, one a line
// (each line ends in "\n"): what `gt7p-cli --version` prints and the about
// box shows.
std::string VersionText(const std::string& program);

}  // namespace gt7p
