// The early reply end against an instrument that sends a few digits after
// each file reply, some time after its last character: every file still
// comes out as the full silences would bring it, and stale digits never
// fail the next exchange. The line's second is a real one: the digits fall
// within the handshake's second and the receive delay, as on a real line.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "base/messages.h"
#include "link/exchange.h"
#include "records/converter.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"
#include "workflow/comm_settings.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace test {
namespace {
namespace fs = std::filesystem;

constexpr int32_t kSecondMs = 1000;
const char kTrailing[] = "12345678";

// The list caption of a demo file: the name padded to 8, then its extension.
std::string CaptionOf(const std::string& name) {
  const size_t dot = name.find('.');
  return name.substr(0, dot) + std::string(8 - dot, ' ') + name.substr(dot);
}

// The demo file's raw form, converted as a save converts it.
std::string ExpectedQfx(size_t index) {
  TempDir work;
  WriteFile(work / "X.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[index]));
  EXPECT_TRUE(ConvertRawFile(work / "X.T7P", QfxFormat()));
  return ReadFile(work / "X.T7P");
}

// Every row saved over, nothing asked.
class AllRows : public CaptionRows {
 public:
  using CaptionRows::CaptionRows;
  void SetRowStatus(RowId id, const std::string& text) override { statuses.push_back(Caption(id) + " " + text); }
  OverwriteChoice AskOverwrite(const std::string&, const std::string&) override { return kSkipThis; }
  std::vector<std::string> statuses;
};

sim::SimulatorFaults Trailing(int32_t afterMs, bool keepSending) {
  sim::SimulatorFaults faults;
  faults.trailingDigits = kTrailing;
  faults.trailingAfterMs = afterMs;
  faults.keepSending = keepSending;
  return faults;
}

class EarlyEndTest : public ::testing::TestWithParam<int32_t> {
 protected:
  void Start(const sim::SimulatorFaults& faults) {
    sim_ = StartSimulator(sim::DemoStores(), faults);
    link_.SetSecondForTesting(kSecondMs);
    link_.SetCacheFolders({dir_.path()});
    settings_.portName = sim_->PortPath();
    settings_.receiveDelay = 2;
  }
  // All four files of the instrument's memory, as gt7p-cli get --all saves them.
  AllRows SaveAll() {
    std::vector<std::string> captions;
    for (size_t i = 0; i < 4; ++i) captions.push_back(CaptionOf(sim::DemoSurveyFiles()[i].name));
    AllRows rows(captions, dir_.path());
    LinkFileSource source(link_, ui_, settings_);
    SaveJob job;
    job.format = &QfxFormat();
    job.saveChoice = kOverwriteAll;
    SaveSelectedFiles(source, rows, job);
    return rows;
  }
  void ExpectAllSaved(const AllRows& rows) {
    ASSERT_EQ(rows.statuses.size(), 8u);  // "正在保存", then the outcome, per file
    for (size_t i = 0; i < 4; ++i) {
      const std::string name = sim::DemoSurveyFiles()[i].name;
      EXPECT_EQ(rows.statuses[2 * i + 1], CaptionOf(name) + " " + G("保存完毕"));
      EXPECT_EQ(ReadFile(dir_ / (name.substr(0, name.find('.')) + ".QFX")), ExpectedQfx(i)) << name;
    }
  }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
};

// An instrument that finishes what it was sending before it answers a new
// handshake: from 450 ms on the digits come in front of "1020", the file is
// fetched once more with full silences, and those stay. Every file is the
// instrument's, byte for byte.
TEST_P(EarlyEndTest, TrailingDigitsNeverFailAGetAll) {
  Start(Trailing(GetParam(), true));
  ExpectAllSaved(SaveAll());
  // From 450 ms on the digits come after the handshake went out: recovered.
  if (GetParam() >= 450) {
    EXPECT_TRUE(link_.FullSilencesKept());
  }
  EXPECT_EQ(dir_.Count(), 4u);  // no temporary file left
}

INSTANTIATE_TEST_SUITE_P(Gaps, EarlyEndTest, ::testing::Values(300, 450, 600, 900),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return "After" + std::to_string(info.param) + "ms";
                         });

// Digits that wait in the input queue when a command goes out (the last
// reply ended, the digits came later): the early end discards them, on a
// port just opened (another run's leftovers) and before a command alike;
// with full silences the line is as it always was, and they fail the
// handshake.
TEST(StaleInput, DiscardedWithTheEarlyEndOnly) {
  TempDir dir;
  const auto sim = StartSimulator(sim::DemoStores(), Trailing(300, true));
  RecordingUi ui;
  LinkSettings settings;
  settings.portName = sim->PortPath();
  settings.receiveDelay = 1;
  const fs::path dest = dir / "OUT.T7P";
  const std::string raw = sim::MakeRawFile(sim::DemoSurveyFiles()[0]);
  auto fetchThenWait = [&](InstrumentLink& link) {
    link.SetSecondForTesting(kTestSecondMs);
    link.SetCacheFolders({dir.path()});
    ASSERT_TRUE(link.OpenCommPort(ui, settings.portName));
    FetchInstrumentFile(link, ui, settings, "ZS0001.DAT", dest);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // the digits are in
  };

  InstrumentLink early;
  fetchThenWait(early);
  FetchInstrumentFile(early, ui, settings, "ZS0001.DAT", dest);
  EXPECT_EQ(ReadFile(dest), raw);
  EXPECT_FALSE(early.FullSilencesKept());  // discarded, nothing to recover from
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  early.CloseCommPort();

  // A run after it: the digits wait on the port before it is opened.
  InstrumentLink next;
  next.SetSecondForTesting(kTestSecondMs);
  next.SetCacheFolders({dir.path()});
  ui.commSettings = Answer(sim->PortPath(), 0, 1, DefaultColumns());
  const std::optional<InstrumentDirectory> directory = ReadInstrumentDirectory(next, ui, settings);
  ASSERT_TRUE(directory);
  EXPECT_EQ(directory->headers.size(), 4u);

  InstrumentLink full;
  fetchThenWait(full);
  settings.fullSilence = true;
  EXPECT_EQ(FailureOf([&] { FetchInstrumentFile(full, ui, settings, "ZS0001.DAT", dest); }),
            FailureText(Failure::kCardVersionError));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
