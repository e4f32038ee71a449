#include "link/end_signal.h"

namespace gt7p {

void EndSignal::Set() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (set_) return;
  set_ = true;
  changed_.notify_all();
  if (notify_) {
    std::function<void()> notify = std::move(notify_);
    notify_ = nullptr;
    notify();
  }
}

bool EndSignal::IsSet() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return set_;
}

void EndSignal::Wait() const {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return set_; });
}

bool EndSignal::WaitFor(std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return set_; });
}

void EndSignal::NotifyOnSet(std::function<void()> notify) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (set_) {
    notify_ = nullptr;
    if (notify) notify();
    return;
  }
  notify_ = std::move(notify);
}

}  // namespace gt7p
