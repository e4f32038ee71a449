#include <windows.h>

#include <cstdio>

#include "tests/support/cli_runner.h"

namespace gt7p {
namespace test {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

}  // namespace

std::string ShellQuote(const std::string& word) { return "\"" + word + "\""; }

CliResult RunCliIn(const std::filesystem::path& dir, const std::filesystem::path& cli, const std::string& args) {
  const std::filesystem::path err = StderrFileIn(dir);
  // The wide pipe: a narrow one would pass the words in the ANSI code page.
  const std::wstring command = L"cd /d \"" + dir.wstring() + L"\" && \"" + cli.wstring() + L"\" " + Wide(args) +
                               L" 2>\"" + err.wstring() + L"\"";
  // cmd answers 9009 when it could not start the program at all, and
  // _pclose -1 when it could not wait for cmd; under Wine on a loaded
  // machine each happened once in a few thousand runs. Such a run, having
  // printed nothing, is tried again.
  constexpr int kCouldNotStart = 9009, kCouldNotWait = -1;
  CliResult r;
  for (int attempt = 0; attempt < 3; ++attempt) {
    r = CliResult();
    FILE* pipe = _wpopen(command.c_str(), L"rb");
    if (pipe == nullptr) return r;
    r.out = ReadPipe(pipe);
    r.status = _pclose(pipe);
    r.err = TakeFile(err);
    if ((r.status != kCouldNotStart && r.status != kCouldNotWait) || !r.out.empty()) break;
  }
  return r;
}

}  // namespace test
}  // namespace gt7p
