#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "cli/console.h"

namespace gt7p {
namespace cli {

// argv holds the words in the ANSI code page, which loses what it lacks:
// the wide command line keeps every character.
std::vector<std::string> CommandWords(int argc, char** argv) {
  std::vector<std::string> words;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : words;
  for (int i = 1; i < count; ++i) {
    const int wideLength = static_cast<int>(wcslen(wide[i]));
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], wideLength, nullptr, 0, nullptr, nullptr);
    std::string word(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], wideLength, word.data(), n, nullptr, nullptr);
    words.push_back(word);
  }
  LocalFree(wide);
  return words;
}

bool ProgressOnStderr() { return _isatty(_fileno(stderr)) != 0; }

void PrepareOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace cli
}  // namespace gt7p
