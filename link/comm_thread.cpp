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

std::shared_ptr<EndSignal> TCommThread::Start(SerialPort& port, int64_t silenceMs, int32_t chunkSize,
                                              const ReplyEnd& replyEnd, ReplyFile* target, std::string* replyText) {
  std::unique_ptr<TCommThread> thread(new TCommThread(port, silenceMs, chunkSize, replyEnd, target, replyText));
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

TCommThread::TCommThread(SerialPort& port, int64_t silenceMs, int32_t chunkSize, const ReplyEnd& replyEnd,
                         ReplyFile* target, std::string* replyText)
    : SilenceMs(silenceMs),
      ChunkSize(std::max<int32_t>(chunkSize, 1)),
      Target(target),
      replyEnd_(replyEnd),
      port_(port),
      replyText_(replyText),
      declared_(replyEnd.chars) {
  end_->SetDeclared(declared_);
  if (target) end_->MarkLongReply();
}

bool TCommThread::Take(const char* chars, size_t count) {
  const size_t headChars = replyEnd_.headChars;
  if (declared_ == 0 && replyEnd_.fromHead && received_ < headChars) {
    head_.append(chars, std::min<size_t>(count, headChars - static_cast<size_t>(received_)));
    if (head_.size() == headChars) {
      declared_ = replyEnd_.fromHead(head_);
      end_->SetDeclared(declared_);
      head_ = std::string();
    }
  }
  size_t taken = count;
  if (replyEnd_.runOnLimit > 0 && declared_ > 0) {
    const uint64_t limit = declared_ + replyEnd_.runOnLimit;
    if (received_ + count > limit) taken = static_cast<size_t>(limit - std::min(limit, received_));
  }
  received_ += taken;
  end_->AddReceived(taken);
  if (Target)
    Target->Write(chars, taken);
  else
    replyText_->append(chars, taken);
  return taken == count;
}

void TCommThread::Execute() {
  std::vector<char> buffer(static_cast<size_t>(ChunkSize));
  // The quiet that ends the reception: the silence, or the guard once the
  // declared length is in.
  auto quietLimit = [this]() -> int64_t {
    if (replyEnd_.guardMs > 0 && declared_ > 0 && received_ >= declared_)
      return std::min<int64_t>(replyEnd_.guardMs, SilenceMs);
    return SilenceMs;
  };
  Clock::time_point last = Clock::now();
  bool go = true;
  while (go) {
    const int64_t quietMs = quietLimit();
    if (port_.Interrupted()) break;
    if (MsSince(last) > quietMs) {
      if (quietMs < SilenceMs) end_->MarkEndedOnGuard();
      break;
    }
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
    const int32_t left = static_cast<int32_t>(std::max<int64_t>(quietMs - MsSince(last) + 1, 1));
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
      if (!Take(buffer.data(), static_cast<size_t>(g))) {
        end_->MarkRanOn();  // nothing more is read: the rest would only fill the disk
        go = false;
        break;
      }
      if (!Target && replyText_->size() > kReplyTextLimit) {
        go = false;
        break;
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
