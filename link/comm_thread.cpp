#include "link/comm_thread.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "base/text.h"
#include "link/reply_file.h"
#include "link/serial_port.h"

namespace gt7p {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

constexpr size_t kReplyTextLimit = 32;

}  // namespace

std::shared_ptr<EndSignal> TCommThread::Start(SerialPort& port, int32_t timeoutSeconds, int32_t secondMs,
                                              int32_t chunkSize, ReplyFile* target, std::string* replyText) {
  std::unique_ptr<TCommThread> thread(new TCommThread(port, timeoutSeconds, secondMs, chunkSize, target, replyText));
  std::shared_ptr<EndSignal> end = thread->end_;
  std::thread([self = thread.get()] {
    std::unique_ptr<TCommThread> owned(self);
    try {
      owned->Execute();
    } catch (...) {
      // Out of memory while collecting: the reply stays short and the
      // caller's reply test judges it.
    }
    owned->end_->Set();
  }).detach();
  thread.release();
  return end;
}

TCommThread::TCommThread(SerialPort& port, int32_t timeoutSeconds, int32_t secondMs, int32_t chunkSize,
                         ReplyFile* target, std::string* replyText)
    : TimeoutSeconds(timeoutSeconds),
      SecondMs(secondMs),
      ChunkSize(std::max<int32_t>(chunkSize, 1)),
      Target(target),
      port_(port),
      replyText_(replyText) {}

void TCommThread::Execute() {
  const int64_t silenceMs = static_cast<int64_t>(TimeoutSeconds) * SecondMs;
  std::vector<char> buffer(static_cast<size_t>(ChunkSize));
  Clock::time_point last = Clock::now();
  bool go = true;
  while (go) {
    if (port_.Interrupted() || MsSince(last) > silenceMs) break;
    LineStatus status = port_.ReadLineStatus();
    if (status.gone) {
      end_->MarkLineGone();  // not silence: nothing more can come
      break;
    }
    if (status.errors) {
      port_.Purge();
      last = Clock::now();
    }
    // The wait runs 1 ms past the limit, so the next pass ends it.
    const int32_t left = static_cast<int32_t>(std::max<int64_t>(silenceMs - MsSince(last) + 1, 1));
    if (status.waiting == 0) {
      port_.WaitForInput(left);
      continue;
    }
    const int32_t n = static_cast<int32_t>(std::min<uint32_t>(status.waiting, INT32_MAX - ChunkSize));
    const int32_t r = std::min(ChunkSize, n);
    const int32_t k = (n + ChunkSize) / ChunkSize;
    bool gotAny = false;
    for (int32_t i = 0; i < k; ++i) {
      int32_t g = port_.Read(buffer.data(), r);
      if (g < 0) {
        end_->MarkLineGone();
        go = false;
        break;
      }
      if (g == 0) continue;
      gotAny = true;
      for (int32_t j = 0; j < g; ++j) buffer[static_cast<size_t>(j)] = kHexDigits[buffer[static_cast<size_t>(j)] & 15];
      end_->AddReceived(static_cast<uint64_t>(g));
      if (Target) {
        Target->Write(buffer.data(), static_cast<size_t>(g));
      } else {
        replyText_->append(buffer.data(), static_cast<size_t>(g));
        if (replyText_->size() > kReplyTextLimit) {
          go = false;
          break;
        }
      }
    }
    if (gotAny) {
      last = Clock::now();
    } else if (go) {
      // Counted but unreadable (a line gone bad): wait as on an empty pass
      // rather than read again at once.
      port_.WaitForInput(left);
    }
  }
}

}  // namespace gt7p
