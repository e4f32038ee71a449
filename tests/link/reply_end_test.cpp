// When a reply ends: on its guard once its declared length is in, on its
// silence when it stops short or pauses, at its bound when it never stops;
// and auto-detection's probe of each port. Against the simulator, each
// reception timed where the window would wait for it.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "base/error.h"
#include "base/messages.h"
#include "link/exchange.h"
#include "records/converter.h"
#include "sim/instrument_simulator.h"
#include "sim/pseudo_terminal.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"
#include "workflow/comm_settings.h"
#include "workflow/port_detect.h"

namespace gt7p {
namespace test {
namespace {

// The window stand-in, noting of every reception what came, what was
// declared and how long it was waited for.
class TimingUi : public RecordingUi {
 public:
  struct Reception {
    uint64_t received = 0, declared = 0;
    int64_t ms = 0;
  };
  void WaitForEnd(const std::shared_ptr<EndSignal>& end) override {
    const Clock::time_point start = Clock::now();
    end->Wait();
    receptions.push_back({end->Received(), end->Declared(), MsSince(start)});
  }
  std::vector<Reception> receptions;
};

class ReplyEndTest : public ::testing::Test {
 protected:
  void Start(sim::SimulatorFaults faults = {}, int32_t secondMs = kTestSecondMs) {
    sim_ = StartSimulator(sim::DemoStores(), faults);
    link_.SetSecondForTesting(secondMs);
    link_.SetCacheFolders({dir_.path()});
    ASSERT_TRUE(link_.OpenCommPort(ui_, sim_->PortPath()));
  }
  void Fetch() {
    ui_.receptions.clear();
    FetchInstrumentFile(link_, ui_, settings_, "ZS0001.DAT", dest_);
  }
  std::string FetchFailure() {
    return FailureOf([this] { Fetch(); });
  }
  const TimingUi::Reception& FileReception() const { return ui_.receptions.at(3); }

  TempDir dir_;
  const std::filesystem::path dest_ = dir_ / "OUT.T7P";
  const std::string raw_ = sim::MakeRawFile(sim::DemoSurveyFiles()[0]);
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  TimingUi ui_;
  LinkSettings settings_;
};

// A receive delay of 10 s (2 s of the test second): a complete file ends
// on the guard; with full silences the delay is waited out, and the file is
// the same.
TEST_F(ReplyEndTest, CompleteRepliesEndOnTheGuardFullSilenceWaitsThemOut) {
  Start();
  settings_.receiveDelay = 10;
  Fetch();
  EXPECT_EQ(ReadFile(dest_), raw_);
  ASSERT_EQ(ui_.receptions.size(), 4u);
  // "1020", "10", the file request's "10" (nobody's length, "once begun"), the file.
  const uint64_t declared[] = {4, 2, 1, raw_.size()};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(ui_.receptions[i].declared, declared[i]) << i;
  EXPECT_EQ(FileReception().received, raw_.size());
  EXPECT_LT(FileReception().ms, 1500);

  settings_.fullSilence = true;
  Fetch();
  EXPECT_EQ(ReadFile(dest_), raw_);
  EXPECT_GE(FileReception().ms, 2000);
  EXPECT_EQ(FileReception().declared, raw_.size());  // still there for the progress display
}

// A pause of 2 s in the middle of a file, a receive delay of 3 s (real
// seconds): the pause is bridged and the file is whole.
TEST_F(ReplyEndTest, APauseWithinTheReceiveDelayIsBridged) {
  sim::SimulatorFaults faults;
  faults.pauseFileAt = 20000;
  faults.pauseMs = 2000;
  Start(faults, 1000);
  settings_.receiveDelay = 3;
  Fetch();
  EXPECT_EQ(ReadFile(dest_), raw_);
  EXPECT_GE(FileReception().ms, 2000);
  EXPECT_LT(FileReception().ms, 5000);  // the guard ended it, not the delay after the last byte
}

// A header that declares more than comes: the reply ends on the receive
// delay's silence, and the exchange leaves the file as it came.
TEST_F(ReplyEndTest, AReplyShortOfItsHeaderEndsOnSilence) {
  sim::SimulatorFaults faults;
  faults.cutFileAfter = 5000;
  Start(faults);
  settings_.receiveDelay = 3;
  Fetch();
  EXPECT_EQ(ReadFile(dest_).size(), 5000u);
  EXPECT_EQ(FileReception().declared, raw_.size());
  EXPECT_GE(FileReception().ms, 3 * kTestSecondMs);
}

// A wrong handshake reply fails with the same message, after no more than
// the second it waited before; a few characters more within the guard are
// part of the reply and fail it too.
TEST_F(ReplyEndTest, WrongHandshakeRepliesFailNoLaterThanBefore) {
  struct Case {
    const char *version, *memory;
    Failure message;
  };
  for (const Case& c : {Case{"1021", "10", Failure::kCardVersionError}, Case{"10201", "10", Failure::kCardVersionError},
                        Case{"1020", "100", Failure::kVersionError}}) {
    sim::SimulatorFaults faults;
    faults.versionReply = c.version;
    faults.memoryReply = c.memory;
    Start(faults, 1000);
    EXPECT_EQ(FetchFailure(), FailureText(c.message)) << c.version << " " << c.memory;
    ASSERT_FALSE(ui_.receptions.empty());
    EXPECT_LE(ui_.receptions.back().ms, 1000) << c.version << " " << c.memory;
    EXPECT_FALSE(Exists(dest_));
    link_.CloseCommPort();
  }
}

// Runs `exchange` with a budget of its own: still under way after it, the
// link is aborted (the reception ends at once) and the case fails saying
// why, in seconds rather than at the test's time-out.
template <typename Exchange>
std::string FailureWithinBudget(InstrumentLink& link, Exchange exchange) {
  constexpr auto kBudget = std::chrono::seconds(5);
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false, late = false;
  std::thread watch([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (!changed.wait_for(lock, kBudget, [&] { return done; })) {
      late = true;
      link.Abort();
    }
  });
  const std::string failure = FailureOf(exchange);
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  changed.notify_all();
  watch.join();
  EXPECT_FALSE(late) << "a reply that never ends was still being received after 5 s: "
                        "reception must stop 4,096 characters past the declared length";
  return failure;
}

// An instrument that never stops sending: reception stops at the bound past
// the declared length (4,096 characters), with or without full silences, and
// the reply is refused: the file's caller removes it, the list stays as it
// was.
TEST_F(ReplyEndTest, RepliesThatNeverEndStopAtTheirBound) {
  ASSERT_EQ(kRunOnLimit, 4096u);
  sim::SimulatorFaults faults;
  faults.endlessReplies = true;
  for (bool fullSilence : {false, true}) {
    Start(faults);  // afresh: the last one is still sending
    settings_.fullSilence = fullSilence;
    EXPECT_EQ(FailureWithinBudget(link_, [this] { Fetch(); }), FailureText(Failure::kReplyTooLong)) << fullSilence;
    ASSERT_EQ(ui_.receptions.size(), 4u) << fullSilence;
    EXPECT_EQ(FileReception().received, raw_.size() + 4096) << fullSilence;
    EXPECT_LE(std::filesystem::file_size(dest_), raw_.size() + 4096);
    link_.CloseCommPort();
  }

  Start(faults);
  link_.CloseCommPort();  // the listing opens it
  ui_.commSettings = Answer(sim_->PortPath(), 0, 3, DefaultColumns());
  EXPECT_EQ(FailureWithinBudget(link_, [this] { ListDirectory(link_, ui_, settings_); }),
            FailureText(Failure::kReplyTooLong));
  EXPECT_EQ(ui_.clears, 0);
  EXPECT_EQ(settings_.portName, "");
  ASSERT_FALSE(ui_.receptions.empty());
  EXPECT_EQ(ui_.receptions.back().received, 8 + 316 * 4 + 4096u);
}

// Auto-detection: a port that can't be opened is passed over, one that
// answers wrongly or not at all gets the handshake's first command and
// nothing more, the first right one is taken.
TEST(AutoDetect, TakesThePortThatAnswersRight) {
  sim::SimulatorFaults wrong;
  wrong.versionReply = "1021";
  const auto liar = StartSimulator(sim::DemoStores(), wrong);
  const auto instrument = StartSimulator();
  const auto later = StartSimulator();
  const sim::PseudoTerminal silent;
  InstrumentLink link;
  link.SetSecondForTesting(kTestSecondMs);
  RecordingUi ui;
  const std::vector<std::string> ports = {"/dev/gt7p-no-such-port", liar->PortPath(), silent.slavePath(),
                                          instrument->PortPath(), later->PortPath()};
  const PortDetection found = DetectInstrumentPort(link, ui, ports);
  EXPECT_EQ(found.port, instrument->PortPath());
  EXPECT_EQ(DetectionReport(found), "/dev/gt7p-no-such-port " + G("无法打开，") + liar->PortPath() +
                                        G(" 应答错误，") + silent.slavePath() + G(" 无应答，") +
                                        instrument->PortPath() + G(" 找到仪器"));
  EXPECT_EQ(liar->Received(), Bytes({0, 2}));
  EXPECT_EQ(instrument->Received(), Bytes({0, 2}));
  EXPECT_EQ(later->Received(), "");
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(ui.statuses.back(), "");

  // The settings of a listing get the port; none answering is an error
  // that says what was tried.
  CommSettings chosen;
  chosen.portName = AutoDetectPortName();
  EXPECT_EQ(ResolveAutoDetect(chosen, link, ui, ports).portName, instrument->PortPath());
  EXPECT_TRUE(ResolveAutoDetect(chosen, link, ui, ports).autoDetectPort);
  EXPECT_EQ(FailureOf([&] { ResolveAutoDetect(chosen, link, ui, {liar->PortPath()}); }),
            G("未找到仪器！已试：") + liar->PortPath() + G(" 应答错误"));
  chosen.portName = later->PortPath();
  EXPECT_FALSE(ResolveAutoDetect(chosen, link, ui, ports).autoDetectPort);
  EXPECT_EQ(later->Received(), "");  // a port named as such is not probed
}

}  // namespace
}  // namespace test
}  // namespace gt7p
