#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "cli/interrupt.h"

namespace gt7p {
namespace cli {
namespace {

int wakePipe[2] = {-1, -1};  // the handler writes the signal's number, the watch's end a 0
std::atomic<int> status{0};

extern "C" void OnSignal(int signo) {
  const int saved = errno;  // write is async-signal-safe; errno is the only state touched
  const char byte = static_cast<char>(signo);
  (void)!write(wakePipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

struct InterruptWatch::Impl {
  std::function<void()> onInterrupt;
  struct sigaction oldInt {}, oldTerm {}, oldHangUp {};
  std::thread watcher;
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) : impl_(new Impl) {
  impl_->onInterrupt = std::move(onInterrupt);
  if (pipe(wakePipe) != 0) return;  // then interrupts end the process as before
  for (int end : wakePipe) fcntl(end, F_SETFD, FD_CLOEXEC);
  fcntl(wakePipe[1], F_SETFL, fcntl(wakePipe[1], F_GETFL) | O_NONBLOCK);
  impl_->watcher = std::thread([this] {
    for (;;) {
      char byte = 0;
      const ssize_t n = read(wakePipe[0], &byte, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || byte == 0) return;
      status = 128 + byte;
      impl_->onInterrupt();
    }
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &impl_->oldInt);
  sigaction(SIGTERM, &action, &impl_->oldTerm);
  // A closed terminal (or ssh session) ends the work as SIGTERM does.
  sigaction(SIGHUP, &action, &impl_->oldHangUp);
}

InterruptWatch::~InterruptWatch() {
  if (!impl_->watcher.joinable()) return;
  sigaction(SIGINT, &impl_->oldInt, nullptr);
  sigaction(SIGTERM, &impl_->oldTerm, nullptr);
  sigaction(SIGHUP, &impl_->oldHangUp, nullptr);
  const char end = 0;
  (void)!write(wakePipe[1], &end, 1);
  impl_->watcher.join();
  for (int& fd : wakePipe) {
    close(fd);
    fd = -1;
  }
}

int InterruptStatus() { return status.load(); }

}  // namespace cli
}  // namespace gt7p
