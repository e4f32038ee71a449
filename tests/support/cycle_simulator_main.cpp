// The work-cycle tests' instrument for the Windows suite: serves the cycle
// files on a pseudo-terminal, which Wine then maps to a COM port. Prints
// the pseudo-terminal's path as its first line, then one line per command
// it gets, and runs until killed.
//   cycle_simulator [--faulty-handshake]
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <mutex>

#include "tests/support/cycle_simulator.h"

int main(int argc, char** argv) {
  const bool faulty = argc > 1 && std::strcmp(argv[1], "--faulty-handshake") == 0;
  std::mutex out;
  auto simulator = gt7p::test::StartCycleSimulator(faulty, [&out](const std::string& line) {
    const std::lock_guard<std::mutex> hold(out);
    std::cout << line << std::endl;
  });
  {
    const std::lock_guard<std::mutex> hold(out);
    std::cout << simulator->PortPath() << std::endl;
  }
  for (;;) pause();
}
