#include <windows.h>

#include <atomic>
#include <mutex>

#include "cli/interrupt.h"

namespace gt7p {
namespace cli {
namespace {

std::mutex mutex;                       // guards interruptAction against the watch's end
std::function<void()>* interruptAction = nullptr;
HANDLE watchEnded = nullptr;            // set when the watch ends: the clean-up is over
std::atomic<int> status{0};

BOOL WINAPI OnConsoleEvent(DWORD type) {
  const bool closing = type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (interruptAction == nullptr) return FALSE;
    status = closing ? 143 : 130;
    (*interruptAction)();
  }
  // A closing console ends the process when this returns: let the command
  // clean up first (the system allows about 5 s).
  if (closing) WaitForSingleObject(watchEnded, 4000);
  return TRUE;
}

}  // namespace

struct InterruptWatch::Impl {
  std::function<void()> onInterrupt;
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) : impl_(new Impl) {
  impl_->onInterrupt = std::move(onInterrupt);
  std::lock_guard<std::mutex> lock(mutex);
  if (watchEnded == nullptr) watchEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // kept for the process
  ResetEvent(watchEnded);
  interruptAction = &impl_->onInterrupt;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptWatch::~InterruptWatch() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  {
    std::lock_guard<std::mutex> lock(mutex);
    interruptAction = nullptr;
  }
  SetEvent(watchEnded);
}

int InterruptStatus() { return status.load(); }

}  // namespace cli
}  // namespace gt7p
