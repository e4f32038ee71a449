// The end of one reception, shared by the receive thread that sets it and
// the thread that waits for it.
//
// Held by shared_ptr: the receive thread frees itself when it ends, the
// signal lives on for as long as anyone refers to it. Set is final and may
// be called more than once. Nothing here throws.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace gt7p {

class EndSignal {
 public:
  void Set();
  bool IsSet() const;
  // Blocks until the signal is set.
  void Wait() const;
  // Blocks until the signal is set or `limit` has passed; true when set.
  bool WaitFor(std::chrono::milliseconds limit) const;

  // `notify` runs once, on the thread that sets the signal, or at once on
  // the caller's thread when it is set already; it replaces an earlier one,
  // an empty function removes it. It runs under the signal's lock, so it
  // must not call back into this object; once NotifyOnSet returns, the
  // function it replaced is neither running nor going to run.
  void NotifyOnSet(std::function<void()> notify);

  // Bytes the receive thread has taken from the port so far, and the
  // length the reply declares once that is known (0 before), for progress
  // displays while waiting. A long reply is one collected into a file (a
  // directory, a data file): the one worth a progress display.
  void AddReceived(uint64_t bytes) { received_.fetch_add(bytes, std::memory_order_relaxed); }
  uint64_t Received() const { return received_.load(std::memory_order_relaxed); }
  void SetDeclared(uint64_t chars) { declared_.store(chars, std::memory_order_relaxed); }
  uint64_t Declared() const { return declared_.load(std::memory_order_relaxed); }
  void MarkLongReply() { longReply_.store(true); }
  bool LongReply() const { return longReply_.load(); }

  // Set by the receive thread before the signal when the line went away
  // (a hang-up, an I/O error) rather than falling silent.
  void MarkLineGone() { lineGone_.store(true); }
  bool LineGone() const { return lineGone_.load(); }

  // Set by the receive thread before the signal when the reply ran on past
  // its declared length by more than the bound it was given: it stopped
  // reading there, and the reply is refused.
  void MarkRanOn() { ranOn_.store(true); }
  bool RanOn() const { return ranOn_.load(); }

  // Set by the receive thread before the signal when the reply ended on its
  // guard (complete, and quiet for the guard's short time) rather than on
  // its whole silence: the instrument may still have had more to send.
  void MarkEndedOnGuard() { endedOnGuard_.store(true); }
  bool EndedOnGuard() const { return endedOnGuard_.load(); }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_ = false;
  std::function<void()> notify_;
  std::atomic<uint64_t> received_{0};
  std::atomic<uint64_t> declared_{0};
  std::atomic<bool> longReply_{false};
  std::atomic<bool> lineGone_{false};
  std::atomic<bool> ranOn_{false};
  std::atomic<bool> endedOnGuard_{false};
};

}  // namespace gt7p
