// The link giving up before the silence: a line that goes away (the far end
// of the pseudo-terminal closing, as a USB adapter pulled) and an abort from
// another thread (the window closing, Ctrl-C). Each case leaves a silence of
// several seconds that an early end must not wait for; the checks allow
// generous margins, so a loaded machine does not make them fail.
#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/error.h"
#include "base/messages.h"
#include "link/exchange.h"
#include "link/reply_file.h"
#include "sim/instrument_simulator.h"
#include "sim/pseudo_terminal.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"
#include "workflow/comm_settings.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace test {
namespace {

// CPU time of the whole process (the receive thread included), in ms.
int64_t ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Runs `act` on a thread of its own after `ms`; joined at the end of the scope.
class Later {
 public:
  Later(int ms, std::function<void()> act)
      : thread_([ms, act = std::move(act)] {
          std::this_thread::sleep_for(std::chrono::milliseconds(ms));
          act();
        }) {}
  ~Later() { thread_.join(); }

 private:
  std::thread thread_;
};

const std::string& AbortedText() {
  static const std::string text = FailureText(Failure::kLinkAborted);
  return text;
}

TEST(LineGone, HangUpEndsTheReceptionAtOnceWithoutSpinning) {
  InstrumentLink link;  // the real second: 10 s of silence would end it
  RecordingUi ui;
  auto pty = std::make_unique<sim::PseudoTerminal>();
  ASSERT_TRUE(link.OpenCommPort(ui, pty->slavePath()));
  TempDir dir;
  ReplyFile file;
  ASSERT_TRUE(file.Create(dir / "reply"));
  const int64_t cpuBefore = ProcessCpuMs();
  const Clock::time_point start = Clock::now();
  {
    Later farEnd(300, [&] {
      ASSERT_EQ(write(pty->master(), "\x01\x02\x03", 3), 3);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      pty->HangUp();
    });
    link.SendCommand(ui, "00", 32, 10, &file);
  }
  const int64_t elapsed = MsSince(start), cpu = ProcessCpuMs() - cpuBefore;
  file.Close();
  EXPECT_LT(elapsed, 3000);
  EXPECT_LT(cpu, 1000) << "the receive thread spun";
  EXPECT_TRUE(link.LineGone());
  EXPECT_EQ(ReadFile(dir / "reply"), "123");
  // The next command's reception ends as promptly: the line stays gone.
  const Clock::time_point again = Clock::now();
  link.SendCommand(ui, "02", 4, 10, nullptr);
  EXPECT_LT(MsSince(again), 3000);
  EXPECT_TRUE(link.LineGone());
  EXPECT_EQ(link.ReplyText(), "");
}

TEST(LineGone, TransferCutOffIsAnIncompleteFile) {
  sim::SimulatorFaults faults;
  faults.hangUpAfter = 400;
  auto simulator = StartSimulator(sim::DemoStores(), faults);
  InstrumentLink link;
  link.SetSecondForTesting(500);  // a handshake of 1 s, a receive delay of 5 s
  RecordingUi ui;
  LinkSettings settings;
  settings.receiveDelay = 10;
  ASSERT_TRUE(link.OpenCommPort(ui, simulator->PortPath()));
  TempDir dir;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(FailureOf([&] { FetchInstrumentFile(link, ui, settings, "ZS0001.DAT", dir / "OUT.T7P"); }),
            FailureText(Failure::kIncompleteFile));
  EXPECT_LT(MsSince(start), 4000);  // handshake and request 1.5 s; the silence would add 5 s
  EXPECT_EQ(ReadFile(dir / "OUT.T7P").size(), 400u);
}

class AbortTest : public ::testing::Test {
 protected:
  void SetUp() override { link_.SetCacheFolders({dir_.path()}); }
  // The simulator, paced as the line (a demo file takes about 26 s), telling
  // when a file's reply begins.
  void Start(std::function<void()> onFileReply = nullptr) {
    sim::SimulatorOptions options;
    options.pace = true;
    options.log = [onFileReply](const std::string& line) {
      if (onFileReply && line.find(".DAT -> ") != std::string::npos) onFileReply();
    };
    sim_ = std::make_unique<sim::InstrumentSimulator>(sim::DemoStores(), options);
    settings_.portName = sim_->PortPath();
    settings_.receiveDelay = 10;
  }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
};

TEST_F(AbortTest, EndsAWaitingReceptionAndEveryLaterCommand) {
  sim::PseudoTerminal silent;
  ASSERT_TRUE(link_.OpenCommPort(ui_, silent.slavePath()));
  const Clock::time_point start = Clock::now();
  {
    Later abort(200, [this] { link_.Abort(); });
    EXPECT_EQ(FailureOf([&] { link_.SendCommand(ui_, "00", 32, 10, nullptr); }), AbortedText());
  }
  EXPECT_LT(MsSince(start), 3000);
  EXPECT_TRUE(link_.AbortRequested());
  char sent[8];
  const ssize_t before = read(silent.master(), sent, sizeof sent);
  EXPECT_THROW(link_.SendCommand(ui_, "02", 4, 1, nullptr), Aborted);
  EXPECT_EQ(read(silent.master(), sent, sizeof sent), -1) << "written after the abort";  // nothing new
  EXPECT_EQ(before, 2);
}

TEST_F(AbortTest, DirectoryLeavesThroughItsCleanUp) {
  sim::InstrumentStores stores;
  for (int i = 0; i < 40; ++i) stores.memory.push_back(sim::DemoStores().memory[0]);  // 6 s of directory
  sim::SimulatorOptions options;
  options.pace = true;
  sim_ = std::make_unique<sim::InstrumentSimulator>(stores, options);
  link_.SetSecondForTesting(500);
  ui_.commSettings = Answer(sim_->PortPath(), 0, 10, DefaultColumns());
  std::unique_ptr<Later> abort;
  bool cacheThere = false;
  ui_.onStatus = [&](const std::string& s) {
    if (s != G("正在提取目录信息...")) return;
    cacheThere = Exists(dir_ / kCacheFileName);
    abort = std::make_unique<Later>(300, [this] { link_.Abort(); });
  };
  const Clock::time_point start = Clock::now();
  EXPECT_THROW(ListDirectory(link_, ui_, settings_), Aborted);
  EXPECT_LT(MsSince(start), 5000);  // the directory alone would take 6 s, its silence 5 s more
  abort.reset();
  EXPECT_TRUE(cacheThere);
  EXPECT_FALSE(Exists(dir_ / kCacheFileName));
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_TRUE(ui_.rows.empty());
  EXPECT_EQ(settings_.portName, "");  // nothing stored
}

// The save loop as gt7p-cli get runs it: an abort during a transfer leaves
// the name as it was (the old file, or none) and no temporary file, and
// closes the port.
TEST_F(AbortTest, SaveLoopLeavesNoNewFile) {
  std::unique_ptr<Later> abort;
  Start([&] { abort = std::make_unique<Later>(300, [this] { link_.Abort(); }); });
  link_.SetSecondForTesting(500);
  CaptionRows rows({"ZS0001  .DAT"}, dir_.path());
  LinkFileSource source(link_, ui_, settings_);
  SaveJob job;
  job.format = &QfxFormat();
  EXPECT_EQ(FailureOf([&] { SaveSelectedFiles(source, rows, job); }), AbortedText());
  abort.reset();
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_EQ(dir_.Count(), 0u);
}

TEST_F(AbortTest, SaveLoopKeepsTheOldFileAndClosesThePort) {
  std::unique_ptr<Later> abort;
  Start([&] { abort = std::make_unique<Later>(300, [this] { link_.Abort(); }); });
  link_.SetSecondForTesting(500);
  WriteFile(dir_ / "ZS0001.QFX", "OLD");
  CaptionRows rows({"ZS0001  .DAT", "ZS0002  .DAT"}, dir_.path());
  LinkFileSource source(link_, ui_, settings_);
  SaveJob job;
  job.format = &QfxFormat();
  job.saveChoice = kOverwriteAll;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(FailureOf([&] { SaveSelectedFiles(source, rows, job); }), AbortedText());
  EXPECT_LT(MsSince(start), 8000);  // the file alone takes 26 s
  abort.reset();
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_EQ(ReadFile(dir_ / "ZS0001.QFX"), "OLD");
  EXPECT_EQ(dir_.Count(), 1u);
}

}  // namespace
}  // namespace test
}  // namespace gt7p
