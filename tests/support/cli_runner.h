// Runs gt7p-cli as a user would, through the platform's shell
// (cli_runner_posix.cpp: sh; cli_runner_win32.cpp: cmd).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace gt7p {
namespace test {

struct CliResult {
  int status = -1;  // the exit status; -1 when the program did not exit
  std::string out, err;
};

// `word` quoted for the shell's command line (UTF-8).
std::string ShellQuote(const std::string& word);

// `cli args` (args already quoted) with `dir` as the current folder.
CliResult RunCliIn(const std::filesystem::path& dir, const std::filesystem::path& cli, const std::string& args);

// Shared by the platform files (cli_runner.cpp): all of a pipe's output;
// the text of the file that stderr went to, the file then removed; the
// name of that file.
std::string ReadPipe(FILE* pipe);
std::string TakeFile(const std::filesystem::path& path);
// A name in `dir` for one run's stderr, used by no other run (tests run
// side by side, and a file just written may still be held for a moment).
std::filesystem::path StderrFileIn(const std::filesystem::path& dir);

}  // namespace test
}  // namespace gt7p
