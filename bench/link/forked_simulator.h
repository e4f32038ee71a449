// The paced simulator in a child process of its own, so that a benchmark's
// CPU time is the link's alone. POSIX.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "sim/instrument_simulator.h"

namespace gt7p {
namespace bench {

class ForkedSimulator {
 public:
  // Serves `memory` paced at the line's rate, `burst` bytes at a time.
  explicit ForkedSimulator(std::vector<std::string> memory, size_t burst = 16) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(1);
    child_ = fork();
    if (child_ == 0) {
      sigset_t stop;
      sigemptyset(&stop);
      sigaddset(&stop, SIGTERM);
      pthread_sigmask(SIG_BLOCK, &stop, nullptr);
      sim::SimulatorOptions options;
      options.pace = true;
      options.paceBurst = burst;
      sim::InstrumentSimulator simulator(sim::InstrumentStores{std::move(memory), {}}, options);
      const std::string line = simulator.PortPath() + "\n";
      (void)!write(fds[1], line.data(), line.size());
      int signal = 0;
      sigwait(&stop, &signal);
      _exit(0);
    }
    close(fds[1]);
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') port_ += c;
    close(fds[0]);
  }
  ~ForkedSimulator() {
    kill(child_, SIGTERM);
    waitpid(child_, nullptr, 0);
  }
  ForkedSimulator(const ForkedSimulator&) = delete;
  ForkedSimulator& operator=(const ForkedSimulator&) = delete;

  const std::string& port() const { return port_; }

 private:
  pid_t child_ = 0;
  std::string port_;
};

}  // namespace bench
}  // namespace gt7p
