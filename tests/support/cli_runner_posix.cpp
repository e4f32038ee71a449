#include <sys/wait.h>

#include <cstdio>

#include "tests/support/cli_runner.h"

namespace gt7p {
namespace test {

std::string ShellQuote(const std::string& word) { return "'" + word + "'"; }

CliResult RunCliIn(const std::filesystem::path& dir, const std::filesystem::path& cli, const std::string& args) {
  const std::filesystem::path err = StderrFileIn(dir);
  const std::string command = "cd " + ShellQuote(dir.string()) + " && " + ShellQuote(cli.string()) + " " + args +
                              " 2>" + ShellQuote(err.string());
  CliResult r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  r.out = ReadPipe(pipe);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = TakeFile(err);
  return r;
}

}  // namespace test
}  // namespace gt7p
