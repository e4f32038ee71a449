// Ctrl-C, SIGTERM and SIGHUP (a closed terminal) while gt7p-cli talks to
// the instrument or writes a file (Windows: the console's Ctrl-C,
// Ctrl-Break and close), per platform (interrupt_posix.cpp,
// interrupt_win32.cpp).
//
// While an InterruptWatch lives, an interrupt calls its `onInterrupt` (the
// link's Abort) instead of ending the process: the command then leaves
// through its clean-up (port closed, cache and work files removed) and main
// exits with InterruptStatus(). The POSIX signal handler only writes a byte
// to a pipe; a watcher thread reads it and calls `onInterrupt`, so nothing
// but the write runs inside the signal. On Windows the console runs the
// handler on a thread of its own, which calls `onInterrupt` directly; for a
// console that is closing it then waits (a few seconds at most) for the
// watch to end, since the process ends when the handler returns.
#pragma once

#include <functional>
#include <memory>

namespace gt7p {
namespace cli {

class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void()> onInterrupt);
  ~InterruptWatch();  // the handling from before comes back
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The exit status of an interrupt seen by a watch: 130 for Ctrl-C (SIGINT,
// Ctrl-Break), 143 for SIGTERM (a console closing), 129 for SIGHUP; 0 when
// none came.
int InterruptStatus();

}  // namespace cli
}  // namespace gt7p
