// Holds Wine's desktop for a whole test run.
//
// Wine closes its desktop process (explorer.exe /desktop) a moment after
// the last program that used the desktop has ended, and the next program
// that needs one starts it again. The new desktop process inherits that
// program's standard error: under ctest, a pipe that ctest reads to its
// end, so the test that happened to start it "ran" until the desktop
// process ended, long after the test itself had passed. scripts/
// test-windows.sh starts this program before the tests, its output to a
// file, and Wine's server ends it after them.
#include <windows.h>

#include <cstdio>

int main() {
  // Starts the desktop process here, with this program's output, and
  // makes this program one of the desktop's users for as long as it runs.
  if (GetDesktopWindow() == nullptr) return 1;
  std::puts("ready");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}
