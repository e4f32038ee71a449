#include "sim/instrument_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "base/text.h"
#include "records/records.h"
#include "sim/record_maker.h"

namespace gt7p {
namespace sim {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBytesPerSecond = 1920.0;
constexpr auto kLineLimit = std::chrono::milliseconds(500);  // a client leaving bytes unread before a hang-up

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> RepliesIn(const fs::path& dir) {
  std::vector<fs::path> paths;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string ext = it->path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), UpperAscii);
    if (ext == ".T7P" && it->is_regular_file(ec)) paths.push_back(it->path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> replies;
  for (const fs::path& path : paths) {
    std::string reply = ReplyFromRawFile(ReadWholeFile(path));
    if (!reply.empty()) replies.push_back(reply);
  }
  return replies;
}

}  // namespace

InstrumentStores DemoStores() {
  std::vector<SurveyFile> demo = DemoSurveyFiles();
  InstrumentStores stores;
  for (size_t i = 0; i < 4 && i < demo.size(); ++i) stores.memory.push_back(MakeFileReply(demo[i]));
  for (size_t i = 2; i < demo.size(); ++i) stores.card.push_back(MakeFileReply(demo[i]));
  SurveyFile extra = demo[0];
  extra.name = "KA0001.DAT";
  extra.placeUtf8 = "淮北桃园矿西翼";
  extra.timestamp = "20240805153318";
  extra.channels = 24;
  extra.seed = 41;
  stores.card.push_back(MakeFileReply(extra));
  extra.name = "KA0002.DAT";
  extra.timestamp = "20240805160402";
  extra.samples = 2048;
  extra.method = 41;
  extra.seed = 42;
  stores.card.push_back(MakeFileReply(extra));
  for (const SurveyFile& shot : LineSurveyFiles()) stores.card.push_back(MakeFileReply(shot));
  return stores;
}

InstrumentStores StoresFromFolder(const fs::path& root) {
  return InstrumentStores{RepliesIn(root), RepliesIn(root / "card")};
}

std::string ReplyFromRawFile(const std::string& raw) {
  const size_t head = 10 + kHeaderRecordChars;
  if (raw.size() < head) return std::string();
  for (size_t i = 0; i < head; ++i)
    if (HexDigitValue(raw[i]) < 0) return std::string();
  return raw.substr(0, 4) + raw.substr(10, kHeaderRecordChars) + raw.substr(4, 6) + raw.substr(head);
}

namespace {

// When the simulator's thread next has something to do: the earliest of
// the times it is told, or never.
struct Wake {
  int timeoutMs = -1;
  void At(Clock::time_point at, Clock::time_point now) {
    const int ms = std::max(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(at - now).count()) + 1, 0);
    timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
  }
};

// The reply on its way out over the pseudo-terminal's master: paced or at
// once, with its pause, its hang-up, its trailing digits and an endless
// reply's growth. The simulator's thread only.
class LineSender {
 public:
  using Log = std::function<void(const std::string&)>;
  LineSender(PseudoTerminal& pty, const SimulatorOptions& options, Log log)
      : pty_(pty), pace_(options.pace), burst_(std::max<size_t>(options.paceBurst, 1)), log_(std::move(log)) {}

  bool Sending() const { return sent_ < out_.size(); }
  size_t Unsent() const { return out_.size() - sent_; }

  // A new reply replaces what is left of the last one, or, one that comes
  // after the rest, waits until that and its trailing bytes are out.
  void Start(Reply reply) {
    if (reply.afterRest && (Sending() || (!trailing_.empty() && !out_.empty()) || !waiting_.empty())) {
      waiting_.push_back(std::move(reply));
      return;
    }
    waiting_.clear();
    out_ = std::move(reply.bytes);
    sent_ = 0;
    outSince_ = Clock::now();
    blocked_ = false;
    hangUpAt_ = reply.hangUpAt;
    pauseAt_ = reply.pauseAt;
    pause_ = reply.pause;
    resumeAt_ = Clock::time_point();
    trailing_ = std::move(reply.trailing);
    trailingAfter_ = reply.trailingAfter;
    endless_ = reply.endless;
  }
  void Drop() {
    out_.clear();
    sent_ = 0;
    waiting_.clear();
  }

  // What follows a reply once it is sent: more of an endless one, the
  // trailing digits once their time has come, then a reply that waited.
  void Extend() {
    if (!Sending() && !waiting_.empty() && (trailing_.empty() || out_.empty())) {
      Reply next = std::move(waiting_.front());
      waiting_.pop_front();
      next.afterRest = false;
      Start(std::move(next));
      log_("waited reply of " + std::to_string(out_.size()) + " bytes");
      return;
    }
    if (Sending() || out_.empty() || hangUpAt_ != std::string::npos) return;
    if (endless_) {
      out_.append(4096, '\0');
    } else if (!trailing_.empty() && Clock::now() >= lastWrite_ + trailingAfter_) {
      out_ += trailing_;
      trailing_.clear();
      outSince_ = Clock::now() - std::chrono::microseconds(static_cast<int64_t>(sent_ * 1e6 / kBytesPerSecond));
      log_("trailing " + std::to_string(out_.size() - sent_) + " bytes");
    }
  }

  // The events to wait for on the master (POLLOUT while the client's queue
  // takes more) and when to wake for the line's next step.
  void Plan(Clock::time_point now, short& events, Wake& wake) const {
    if (!Sending() && !trailing_.empty() && !out_.empty()) wake.At(lastWrite_ + trailingAfter_, now);
    if (Sending() && sent_ >= hangUpAt_) {
      wake.timeoutMs = HangUpDue() ? 0 : 5;  // the line goes away now, or once the client has read
    } else if (Sending() && (now < resumeAt_ || sent_ == pauseAt_)) {
      wake.At(sent_ == pauseAt_ ? now : resumeAt_, now);
    } else if (Sending()) {
      if (blocked_ || !pace_) {
        events |= POLLOUT;
      } else {
        const size_t next = sent_ + std::min(burst_, out_.size() - sent_);
        wake.At(outSince_ + std::chrono::microseconds(static_cast<int64_t>(next * 1e6 / kBytesPerSecond)), now);
      }
    }
  }

  // Writes what the line's pace, pause or hang-up allows now.
  void WriteDue() {
    if (sent_ >= hangUpAt_) {
      if (!HangUpDue()) return;
      log_("line gone after " + std::to_string(sent_) + " bytes");
      pty_.HangUp();
      Drop();
      return;
    }
    const Clock::time_point now = Clock::now();
    if (sent_ == pauseAt_) {
      resumeAt_ = now + pause_;
      outSince_ += pause_;  // a paced line goes on at its rate afterwards
      pauseAt_ = std::string::npos;
    }
    if (now < resumeAt_) return;
    const size_t limit = std::min({out_.size(), hangUpAt_, pauseAt_});
    size_t allowed = limit - sent_;
    if (pace_) {
      const double elapsed = std::chrono::duration<double>(Clock::now() - outSince_).count();
      const size_t budget = static_cast<size_t>(elapsed * kBytesPerSecond);
      allowed = budget > sent_ ? std::min(allowed, budget - sent_) : 0;
      if (allowed < std::min(burst_, limit - sent_)) return;
    }
    const ssize_t n = write(pty_.master(), out_.data() + sent_, allowed);
    if (n > 0) sent_ += static_cast<size_t>(n), lastWrite_ = Clock::now();
    blocked_ = n < 0 && errno == EAGAIN;
  }

 private:
  // The line goes away once the client has what was sent before (or has
  // left it unread for a while): a test sees the bytes, then the hang-up.
  // Written bytes reach the client's queue a moment later, so it waits that
  // moment first.
  bool HangUpDue() const {
    const auto since = Clock::now() - lastWrite_;
    return sent_ >= hangUpAt_ && since > std::chrono::milliseconds(50) && (pty_.Unread() == 0 || since > kLineLimit);
  }

  PseudoTerminal& pty_;
  const bool pace_;
  const size_t burst_;
  const Log log_;
  std::string out_;  // bytes of the reply being sent
  size_t sent_ = 0;
  size_t hangUpAt_ = std::string::npos;  // of `out_`: the line goes away there
  size_t pauseAt_ = std::string::npos;   // of `out_`: a pause there
  std::chrono::milliseconds pause_{0};
  Clock::time_point resumeAt_;           // the end of a pause under way
  std::string trailing_;                 // bytes to follow `out_` once it is sent,
  std::chrono::milliseconds trailingAfter_{0};  //   this long after its last byte
  bool endless_ = false;                 // `out_` grows for as long as it is read
  std::deque<Reply> waiting_;            // replies to send after `out_` and `trailing_`
  Clock::time_point outSince_, lastWrite_;
  bool blocked_ = false;  // the client's queue is full
};

}  // namespace

InstrumentSimulator::InstrumentSimulator(InstrumentStores stores, SimulatorOptions options)
    : stores_(std::move(stores)), options_(std::move(options)), faults_(options_.faults) {
  if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for the simulator");
  thread_ = std::thread(&InstrumentSimulator::Run, this);
}

InstrumentSimulator::~InstrumentSimulator() {
  char stop = 1;
  (void)!write(stopPipe_[1], &stop, 1);
  thread_.join();
  close(stopPipe_[0]);
  close(stopPipe_[1]);
}

std::string InstrumentSimulator::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void InstrumentSimulator::SetFaults(const SimulatorFaults& faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_ = faults;
}

SimulatorFaults InstrumentSimulator::Faults() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_;
}

// The pump between the protocol and the line: what the client sends goes to
// the protocol, its replies to the sender, until the destructor's stop.
void InstrumentSimulator::Run() {
  const auto log = [this](const std::string& line) {
    if (options_.log) options_.log(line);
  };
  InstrumentProtocol protocol(stores_, log);
  LineSender sender(pty_, options_, log);
  const int watch = clients_.fd();
  for (;;) {
    sender.Extend();
    const Clock::time_point now = Clock::now();
    short events = POLLIN;
    Wake wake;
    sender.Plan(now, events, wake);
    if (const auto deadline = protocol.FrameDeadline()) wake.At(*deadline, now);
    // A hung-up line is left out (fd -1): only the stop remains.
    pollfd fds[3] = {{pty_.master(), events, 0}, {stopPipe_[0], POLLIN, 0}, {watch, POLLIN, 0}};
    if (poll(fds, watch >= 0 ? 3 : 2, wake.timeoutMs) < 0 && errno != EINTR) break;
    if (fds[1].revents) break;
    // The last client gone: what it did not read is lost, the next one starts over.
    if (watch >= 0 && (fds[2].revents & POLLIN) && clients_.Update() == 0 &&
        (sender.Sending() || !protocol.AtStart())) {
      if (sender.Sending()) log("client gone, " + std::to_string(sender.Unsent()) + " bytes dropped");
      sender.Drop();
      protocol.Reset();
      pty_.DiscardUnread();
    }
    if (fds[0].revents & POLLIN) {
      char buffer[256];
      const ssize_t n = read(pty_.master(), buffer, sizeof buffer);
      if (n > 0) {
        const std::string bytes(buffer, static_cast<size_t>(n));
        {
          std::lock_guard<std::mutex> lock(mutex_);
          received_ += bytes;
        }
        InstrumentProtocol::Outcome outcome = protocol.Take(bytes, Clock::now(), Faults());
        // A client starting over wants no leftovers, unless the instrument
        // keeps sending them.
        if (outcome.startOver && !(outcome.reply && outcome.reply->afterRest)) pty_.DiscardUnread();
        if (outcome.reply) sender.Start(std::move(*outcome.reply));
      }
    }
    protocol.DropStaleFrame(Clock::now());
    if (sender.Sending()) sender.WriteDue();
  }
}

}  // namespace sim
}  // namespace gt7p
