// The serial link over a pseudo-terminal: bytes on the wire, the receive
// thread's end rules, opening and the line settings.
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <thread>

#include "base/messages.h"
#include "link/end_signal.h"
#include "link/instrument_link.h"
#include "link/reply_file.h"
#include "sim/pseudo_terminal.h"
#include "tests/support/link_test_support.h"

namespace gt7p {
namespace test {
namespace {

// The far end of the line: logs what the client sends and answers each
// read with `answer(bytes)`. The line starts cooked, as a terminal would,
// so that only the client's own settings make it raw.
class Peer {
 public:
  explicit Peer(std::function<std::string(const std::string&)> answer = nullptr) : answer_(std::move(answer)) {
    termios t{};
    tcgetattr(pty_.slave(), &t);
    t.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    t.c_iflag |= ICRNL | IXON;
    t.c_oflag |= OPOST | ONLCR;
    tcsetattr(pty_.slave(), TCSANOW, &t);
    thread_ = std::thread([this] { Run(); });
  }
  ~Peer() {
    stop_ = true;
    thread_.join();
  }
  const std::string& port() const { return pty_.slavePath(); }
  int slave() const { return pty_.slave(); }
  void Send(const std::string& bytes) { ASSERT_EQ(write(pty_.master(), bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  // What came so far, once at least `count` bytes are in (or after 2 s).
  std::string Got(size_t count) {
    for (auto start = Clock::now(); MsSince(start) < 2000; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (got_.size() >= count) break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::string got = got_;
    got_.clear();
    return got;
  }

 private:
  void Run() {
    while (!stop_) {
      pollfd p{pty_.master(), POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      char buffer[256];
      ssize_t n = read(pty_.master(), buffer, sizeof buffer);
      if (n <= 0) continue;
      std::string bytes(buffer, static_cast<size_t>(n));
      {
        std::lock_guard<std::mutex> lock(mutex_);
        got_ += bytes;
      }
      if (answer_) {
        std::string reply = answer_(bytes);
        (void)!write(pty_.master(), reply.data(), reply.size());
      }
    }
  }

  sim::PseudoTerminal pty_;
  std::function<std::string(const std::string&)> answer_;
  std::mutex mutex_;
  std::string got_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { link_.SetSecondForTesting(kTestSecondMs); }
  void Open(Peer& peer) { ASSERT_TRUE(link_.OpenCommPort(ui_, peer.port())); }
  void Send(const std::string& command, ReplyFile* target = nullptr, int32_t chunk = 4) {
    link_.SendCommand(ui_, command, chunk, 1, target);
  }
  InstrumentLink link_;
  RecordingUi ui_;
};

TEST_F(SerialLinkTest, CommandDigitsGoOutAsByteValues) {
  // 33 characters back end each reception at once.
  Peer peer([](const std::string&) { return std::string(33, '\x01'); });
  Open(peer);
  const std::pair<const char*, std::string> cases[] = {
      {"02", Bytes({0x00, 0x02})},
      {"1A", Bytes({0x01, 0x0A})},
      {"1a", Bytes({0x01, 0x0A})},
      {"G", Bytes({0x00})},
      {"0A0D", Bytes({0x00, 0x0A, 0x00, 0x0D})},  // no CR added before LF
  };
  for (const auto& c : cases) {
    Send(c.first);
    EXPECT_EQ(peer.Got(c.second.size()), c.second) << c.first;
  }
}

TEST_F(SerialLinkTest, EachByteGivesTheDigitOfItsLowNibble) {
  const std::string replies[] = {Bytes({0x31, 0x30, 0x32, 0x30}), Bytes({0x01, 0x00, 0x02, 0x00}),
                                 Bytes({0xF1, 0xA5, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F})};
  size_t next = 0;
  Peer peer([&](const std::string&) { return replies[next++]; });
  Open(peer);
  Send("02");
  EXPECT_EQ(link_.ReplyText(), "1020");
  Send("02");
  EXPECT_EQ(link_.ReplyText(), "1020");
  // CR, LF, ^C, XON, XOFF and DEL pass the raw line unchanged.
  Send("02");
  EXPECT_EQ(link_.ReplyText(), "15DA313F");
}

TEST_F(SerialLinkTest, SilentLineEndsAfterTheTimeOutOnly) {
  link_.SetSecondForTesting(1000);  // the real second
  Peer peer;
  Open(peer);
  auto start = Clock::now();
  Send("00");
  int64_t elapsed = MsSince(start);
  EXPECT_GT(elapsed, 1000);
  EXPECT_LT(elapsed, 1300);
  EXPECT_EQ(link_.ReplyText(), "");

  // A byte every 900 ms keeps the reception going.
  std::thread talker([&] {
    for (int i = 0; i < 3; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(900));
      peer.Send(Bytes({i}));
    }
  });
  start = Clock::now();
  Send("00");
  elapsed = MsSince(start);
  talker.join();
  EXPECT_EQ(link_.ReplyText(), "012");
  EXPECT_GT(elapsed, 3700);
  EXPECT_LT(elapsed, 4100);
}

TEST_F(SerialLinkTest, BabblingLineEndsPastThirtyTwoCharacters) {
  Peer peer;
  Open(peer);
  std::atomic<bool> babble{true};
  std::thread babbler([&] {
    while (babble) {
      peer.Send(std::string(8, '\x07'));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  auto start = Clock::now();
  Send("02");
  const int64_t elapsed = MsSince(start);
  babble = false;
  babbler.join();
  EXPECT_LT(elapsed, 500);
  EXPECT_GE(link_.ReplyText().size(), 33u);
  EXPECT_LE(link_.ReplyText().size(), 36u);  // the whole of the read that passed 32
}

TEST_F(SerialLinkTest, FileTargetTakesEveryByteAsOneCharacter) {
  std::mt19937 random(7);
  std::string sent, expected;
  for (int i = 0; i < 5000; ++i) {
    const int b = static_cast<int>(random() & 0xFF);
    sent += static_cast<char>(b);
    expected += "0123456789ABCDEF"[b & 15];
  }
  Peer peer([&](const std::string&) { return sent; });
  Open(peer);
  TempDir dir;
  ReplyFile file;
  ASSERT_TRUE(file.Create(dir / "reply"));
  Send("00", &file, 32);
  file.Close();
  EXPECT_EQ(ReadFile(dir / "reply"), expected);
  EXPECT_EQ(link_.ReplyText(), "");
}

TEST_F(SerialLinkTest, OpenSetsTheLineAndLeavesFlowControlAlone) {
  Peer peer;
  termios before{};
  ASSERT_EQ(tcgetattr(peer.slave(), &before), 0);
  before.c_cflag |= CRTSCTS | HUPCL | PARENB | CSTOPB;
  before.c_iflag |= IXOFF;
  ASSERT_EQ(tcsetattr(peer.slave(), TCSANOW, &before), 0);

  Open(peer);
  EXPECT_EQ(ui_.statuses, (std::vector<std::string>{G("正在连接端口 ") + peer.port() + " ...", ""}));
  termios t{};
  ASSERT_EQ(tcgetattr(peer.slave(), &t), 0);
  EXPECT_EQ(cfgetispeed(&t), speed_t(B19200));
  EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL));
  EXPECT_FALSE(t.c_oflag & OPOST);
  EXPECT_EQ(t.c_cflag & (CRTSCTS | HUPCL), tcflag_t(CRTSCTS | HUPCL));
  link_.CloseCommPort();
  // The port opens again after a close (the simulator keeps the tty open).
  EXPECT_TRUE(link_.OpenCommPort(ui_, peer.port()));
}

TEST_F(SerialLinkTest, PortsThatCannotBeUsed) {
  EXPECT_FALSE(link_.OpenCommPort(ui_, "/dev/no-such-port"));
  EXPECT_EQ(ui_.statuses,
            (std::vector<std::string>{G("正在连接端口 /dev/no-such-port ..."), FailureText(Failure::kConnectFailed)}));
  link_.CloseCommPort();
  link_.CloseCommPort();

  // Opens, but is no serial line: closed again, the connecting text stays.
  ui_.statuses.clear();
  EXPECT_FALSE(link_.OpenCommPort(ui_, "/dev/null"));
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_EQ(ui_.statuses, (std::vector<std::string>{G("正在连接端口 /dev/null ...")}));
}

TEST(EndSignalTest, NotifiesOnceAndNeverAfterRemoval) {
  int calls = 0;
  auto end = std::make_shared<EndSignal>();
  end->NotifyOnSet([&] { ++calls; });
  std::thread([end] { end->Set(); }).join();
  end->Set();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(end->WaitFor(std::chrono::milliseconds(0)));
  end->NotifyOnSet([&] { calls += 10; });  // already set: at once
  EXPECT_EQ(calls, 11);

  auto other = std::make_shared<EndSignal>();
  other->NotifyOnSet([&] { calls += 100; });
  other->NotifyOnSet(nullptr);
  other->Set();
  EXPECT_EQ(calls, 11);
  EXPECT_FALSE(std::make_shared<EndSignal>()->WaitFor(std::chrono::milliseconds(20)));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
