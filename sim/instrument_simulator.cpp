#include "sim/instrument_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "base/cp936.h"
#include "base/text.h"
#include "records/records.h"
#include "sim/record_maker.h"

namespace gt7p {
namespace sim {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBytesPerSecond = 1920.0;
constexpr auto kFrameLimit = std::chrono::milliseconds(500);

std::string HexCount(size_t n) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(n & 0xFFFF));
  return digits;
}

// Name and extension bytes of the 22-digit name form, zeros and blanks
// trimmed: the header field pads with zeros, a hand-made file may not.
std::string NameKey(const std::string& digits) {
  std::string bytes;
  for (size_t i = 0; i + 1 < digits.size() && i < 22; i += 2)
    bytes += static_cast<char>(std::max(HexDigitValue(digits[i]), 0) * 16 + std::max(HexDigitValue(digits[i + 1]), 0));
  bytes.resize(11, '\0');
  auto trim = [](std::string s) {
    std::replace(s.begin(), s.end(), '\0', ' ');
    return Trim(s);
  };
  return trim(bytes.substr(0, 8)) + "." + trim(bytes.substr(8));
}

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

// What the simulator's thread keeps between wake-ups.
struct InstrumentSimulator::Session {
  enum State { kGreet, kTarget, kRequest, kName } state = kGreet;
  int store = 0;
  std::string frame;  // command digits so far
  Clock::time_point frameAt;
  std::string out;    // bytes of the reply being sent
  size_t sent = 0;
  size_t hangUpAt = std::string::npos;  // of `out`: the line goes away there
  size_t pauseAt = std::string::npos;   // of `out`: a pause there
  std::chrono::milliseconds pause{0};
  Clock::time_point resumeAt;           // the end of a pause under way
  std::string trailing;                 // bytes to follow `out` once it is sent,
  std::chrono::milliseconds trailingAfter{0};  //   this long after its last byte
  bool endless = false;                 // `out` grows for as long as it is read
  Clock::time_point outSince, lastWrite;
  bool blocked = false;  // the client's queue is full
  int clients = 0;
  std::mt19937 noise{20240315};

  bool Sending() const { return sent < out.size(); }
  size_t FrameLength() const { return state == kName ? 22 : 2; }
};

InstrumentSimulator::InstrumentSimulator(InstrumentStores stores, SimulatorOptions options)
    : stores_(std::move(stores)), options_(std::move(options)), faults_(options_.faults) {
  if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for the simulator");
  watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_ >= 0 && inotify_add_watch(watch_, PortPath().c_str(), IN_OPEN | IN_CLOSE) < 0) {
    close(watch_);
    watch_ = -1;
  }
  thread_ = std::thread(&InstrumentSimulator::Run, this);
}

InstrumentSimulator::~InstrumentSimulator() {
  char stop = 1;
  (void)!write(stopPipe_[1], &stop, 1);
  thread_.join();
  if (watch_ >= 0) close(watch_);
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

void InstrumentSimulator::Run() {
  Session s;
  const size_t burst = std::max<size_t>(options_.paceBurst, 1);
  auto log = [this](const std::string& line) {
    if (options_.log) options_.log(line);
  };
  auto reply = [&](const std::string& digits, bool noisy) {
    s.out.resize(digits.size());
    for (size_t i = 0; i < digits.size(); ++i) {
      int value = std::max(HexDigitValue(digits[i]), 0);
      s.out[i] = static_cast<char>(noisy ? value | (s.noise() & 0xF0) : value);
    }
    s.sent = 0;
    s.outSince = Clock::now();
    s.blocked = false;
    s.hangUpAt = std::string::npos;
    s.pauseAt = std::string::npos;
    s.resumeAt = Clock::time_point();
    s.trailing.clear();
    s.endless = false;
  };
  auto wire = [](const std::string& digits) {
    std::string bytes;
    for (char c : digits) bytes += static_cast<char>(std::max(HexDigitValue(c), 0));
    return bytes;
  };
  auto directory = [&](const std::vector<std::string>& files, const SimulatorFaults& faults) {
    if (!faults.directoryReply.empty()) return faults.directoryReply;
    std::string text = "10" + HexCount(files.size()) + "00";
    size_t whole = files.size() - std::min<size_t>(files.size(), static_cast<size_t>(std::max(faults.directoryLeftOut, 0)));
    for (size_t i = 0; i < whole; ++i) text += files[i].substr(4, kHeaderRecordChars);
    return text;
  };
  auto fileReply = [&](const std::vector<std::string>& files, const SimulatorFaults& faults) {
    const std::string wanted = NameKey(s.frame);
    for (const std::string& file : files) {
      if (NameKey(file.substr(4, 22)) != wanted) continue;
      if (faults.cutFileAfter >= 0 && static_cast<size_t>(faults.cutFileAfter) < file.size())
        return file.substr(0, static_cast<size_t>(faults.cutFileAfter));
      return file;
    }
    return std::string("00");
  };
  auto handle = [&] {
    SimulatorFaults faults;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      faults = faults_;
    }
    const std::vector<std::string>& files = s.store == 0 ? stores_.memory : stores_.card;
    const Session::State was = s.state;
    s.state = Session::kGreet;
    if (was != Session::kName && s.frame == "02") {
      pty_.DiscardUnread();  // a client starting over wants no leftovers
      reply(faults.versionReply, faults.lineNoise);
      s.state = Session::kTarget;
      log("02 -> " + faults.versionReply);
    } else if (was == Session::kTarget && (s.frame == "00" || s.frame == "01")) {
      s.store = s.frame == "00" ? 0 : 1;
      reply(faults.memoryReply, faults.lineNoise);
      s.state = Session::kRequest;
      log(s.frame + " -> " + faults.memoryReply + (s.store == 0 ? " (instrument memory)" : " (card)"));
    } else if (was == Session::kRequest && s.frame == "00") {
      reply(directory(files, faults), faults.lineNoise);
      s.endless = faults.endlessReplies;
      log("00 -> directory, " + std::to_string(files.size()) + " files, " + std::to_string(s.out.size()) + " bytes");
    } else if (was == Session::kRequest && s.frame == "01") {
      reply("10", faults.lineNoise);
      s.state = Session::kName;
      log("01 -> 10");
    } else if (was == Session::kName) {
      reply(fileReply(files, faults), faults.lineNoise);
      if (faults.hangUpAfter >= 0) s.hangUpAt = std::min(s.out.size(), static_cast<size_t>(faults.hangUpAfter));
      if (faults.pauseFileAt >= 0 && static_cast<size_t>(faults.pauseFileAt) < s.out.size()) {
        s.pauseAt = static_cast<size_t>(faults.pauseFileAt);
        s.pause = std::chrono::milliseconds(faults.pauseMs);
      }
      s.trailing = wire(faults.trailingDigits);
      s.trailingAfter = std::chrono::milliseconds(faults.trailingAfterMs);
      s.endless = faults.endlessReplies;
      log(Cp936ToUtf8(NameKey(s.frame)) + " -> " + std::to_string(s.out.size()) + " bytes");
    } else {
      log(BytesToHex(s.frame) + " ignored");
    }
  };
  auto take = [&](const char* data, size_t n) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(data, n);
    }
    const Clock::time_point now = Clock::now();
    for (size_t i = 0; i < n; ++i) {
      s.frame += kHexDigits[data[i] & 15];
      s.frameAt = now;
      // No name begins with a control character: a client that started
      // over without sending the name.
      if (s.state == Session::kName && s.frame.size() == 2 && s.frame[0] == '0') s.state = Session::kGreet;
      if (s.frame.size() == s.FrameLength()) {
        handle();
        s.frame.clear();
      }
    }
  };
  auto clientsChanged = [&] {
    alignas(inotify_event) char events[4096];
    ssize_t n;
    while ((n = read(watch_, events, sizeof events)) > 0) {
      for (char* at = events; at < events + n;) {
        const inotify_event* e = reinterpret_cast<const inotify_event*>(at);
        if (e->mask & IN_OPEN) ++s.clients;
        if (e->mask & IN_CLOSE) s.clients = std::max(s.clients - 1, 0);
        at += sizeof(inotify_event) + e->len;
      }
    }
    if (s.clients == 0 && (s.Sending() || s.state != Session::kGreet)) {
      if (s.Sending()) log("client gone, " + std::to_string(s.out.size() - s.sent) + " bytes dropped");
      s.out.clear();
      s.sent = 0;
      s.state = Session::kGreet;
      s.frame.clear();
      pty_.DiscardUnread();
    }
  };
  // The line goes away once the client has what was sent before (or has
  // left it unread for a while): a test sees the bytes, then the hang-up.
  // Written bytes reach the client's queue a moment later, so it waits that
  // moment first.
  auto hangUpDue = [&] {
    const auto since = Clock::now() - s.lastWrite;
    return s.sent >= s.hangUpAt && since > std::chrono::milliseconds(50) && (pty_.Unread() == 0 || since > kFrameLimit);
  };
  auto writeDue = [&] {
    if (s.sent >= s.hangUpAt) {
      if (!hangUpDue()) return;
      log("line gone after " + std::to_string(s.sent) + " bytes");
      pty_.HangUp();
      s.out.clear();
      s.sent = 0;
      return;
    }
    const Clock::time_point now = Clock::now();
    if (s.sent == s.pauseAt) {
      s.resumeAt = now + s.pause;
      s.outSince += s.pause;  // a paced line goes on at its rate afterwards
      s.pauseAt = std::string::npos;
    }
    if (now < s.resumeAt) return;
    const size_t limit = std::min({s.out.size(), s.hangUpAt, s.pauseAt});
    size_t allowed = limit - s.sent;
    if (options_.pace) {
      const double elapsed = std::chrono::duration<double>(Clock::now() - s.outSince).count();
      const size_t budget = static_cast<size_t>(elapsed * kBytesPerSecond);
      allowed = budget > s.sent ? std::min(allowed, budget - s.sent) : 0;
      if (allowed < std::min(burst, limit - s.sent)) return;
    }
    ssize_t n = write(pty_.master(), s.out.data() + s.sent, allowed);
    if (n > 0) s.sent += static_cast<size_t>(n), s.lastWrite = Clock::now();
    s.blocked = n < 0 && errno == EAGAIN;
  };

  // What follows a reply once it is sent: more of an endless one, the
  // trailing digits once their time has come.
  auto extend = [&] {
    if (s.Sending() || s.out.empty() || s.hangUpAt != std::string::npos) return;
    if (s.endless) {
      s.out.append(4096, '\0');
    } else if (!s.trailing.empty() && Clock::now() >= s.lastWrite + s.trailingAfter) {
      s.out += s.trailing;
      s.trailing.clear();
      s.outSince = Clock::now() - std::chrono::microseconds(static_cast<int64_t>(s.sent * 1e6 / kBytesPerSecond));
      log("trailing " + std::to_string(s.out.size() - s.sent) + " bytes");
    }
  };

  for (;;) {
    extend();
    const Clock::time_point now = Clock::now();
    int timeout = -1;
    short events = POLLIN;
    auto until = [&](Clock::time_point at) {
      int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(at - now).count()) + 1;
      timeout = timeout < 0 ? std::max(ms, 0) : std::min(timeout, std::max(ms, 0));
    };
    if (!s.Sending() && !s.trailing.empty() && !s.out.empty()) until(s.lastWrite + s.trailingAfter);
    if (s.Sending() && s.sent >= s.hangUpAt) {
      timeout = hangUpDue() ? 0 : 5;  // the line goes away now, or once the client has read
    } else if (s.Sending() && (now < s.resumeAt || s.sent == s.pauseAt)) {
      until(s.sent == s.pauseAt ? now : s.resumeAt);
    } else if (s.Sending()) {
      if (s.blocked || !options_.pace) {
        events |= POLLOUT;
      } else {
        const size_t next = s.sent + std::min(burst, s.out.size() - s.sent);
        until(s.outSince + std::chrono::microseconds(static_cast<int64_t>(next * 1e6 / kBytesPerSecond)));
      }
    }
    if (!s.frame.empty()) until(s.frameAt + kFrameLimit);
    // A hung-up line is left out (fd -1): only the stop remains.
    pollfd fds[3] = {{pty_.master(), events, 0}, {stopPipe_[0], POLLIN, 0}, {watch_, POLLIN, 0}};
    if (poll(fds, watch_ >= 0 ? 3 : 2, timeout) < 0 && errno != EINTR) break;
    if (fds[1].revents) break;
    if (watch_ >= 0 && (fds[2].revents & POLLIN)) clientsChanged();
    if (fds[0].revents & POLLIN) {
      char buffer[256];
      ssize_t n = read(pty_.master(), buffer, sizeof buffer);
      if (n > 0) take(buffer, static_cast<size_t>(n));
    }
    if (!s.frame.empty() && Clock::now() - s.frameAt > kFrameLimit) s.frame.clear();
    if (s.Sending()) writeDue();
  }
}

}  // namespace sim
}  // namespace gt7p
