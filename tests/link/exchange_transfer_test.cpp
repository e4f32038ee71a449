// The transfer of one file against the simulator: the file-name command,
// the raw file with its header move, and the reply tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "base/messages.h"
#include "base/text.h"
#include "link/exchange.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"

namespace gt7p {
namespace test {
namespace {

// Digits as the bytes that carry them.
std::string Wire(const std::string& digits) {
  std::string bytes;
  for (char c : digits) bytes += static_cast<char>(HexDigitValue(c));
  return bytes;
}

TEST(FileNameCommandTest, NameAndExtensionPadded) {
  EXPECT_EQ(FileNameCommand("AB.DAT"), "4142000000000000444154");
  EXPECT_EQ(FileNameCommand("AB      .DAT"), "4142000000000000444154");  // as the list shows it
  EXPECT_EQ(FileNameCommand("ABCDEFGHIJ.DAT"), "4142434445464748444154");
  EXPECT_EQ(FileNameCommand("AB"), "4142000000000000000000");
  EXPECT_EQ(FileNameCommand(" A.LONG "), "41000000000000004C4F4E47");  // the extension is not cut
  EXPECT_EQ(FileNameCommand("X/Y.D/T"), "582F590000000000442F54");     // "/" is a byte like any other
}

// A caption's extension is its bytes 9-11, whatever they are: "AB.D.T" is
// not "AB.T", and "\\" or ":" there ends nothing.
TEST(FileNameCommandTest, CaptionPartsStandAtFixedPlaces) {
  EXPECT_EQ(FileNameCommand("AB      .D.T"), "4142000000000000442E54");
  EXPECT_EQ(FileNameCommand("AB      .T  "), "4142000000000000540000");
  EXPECT_EQ(FileNameCommand("AB      .D\\T"), "4142000000000000445C54");
  EXPECT_EQ(FileNameCommand("A:B.C   .D:T"), "413A422E43000000443A54");
}

class TransferTest : public ::testing::Test {
 protected:
  void Start(sim::SimulatorFaults faults = {}) {
    sim_ = StartSimulator(sim::DemoStores(), faults);
    link_.SetSecondForTesting(kTestSecondMs);
    ASSERT_TRUE(link_.OpenCommPort(ui_, sim_->PortPath()));
    settings_.receiveDelay = 1;
  }
  void Fetch(const std::string& name) { FetchInstrumentFile(link_, ui_, settings_, name, dest_); }
  std::string FetchFailure(const std::string& name, const std::filesystem::path& dest = {}) {
    return FailureOf([&] { FetchInstrumentFile(link_, ui_, settings_, name, dest.empty() ? dest_ : dest); });
  }

  TempDir dir_;
  const std::filesystem::path dest_ = dir_ / "OUT.T7P";
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
};

TEST_F(TransferTest, RawFileHasTheSixCharactersBeforeTheHeader) {
  Start();
  WriteFile(dest_, std::string(200000, 'x'));  // replaced, not overwritten in place
  Fetch("ZS0001  .DAT");
  const sim::SurveyFile file = sim::DemoSurveyFiles()[0];
  EXPECT_EQ(ReadFile(dest_), sim::MakeRawFile(file));
  EXPECT_EQ(sim_->Received(), Bytes({0, 2, 0, 0, 0, 1}) + Wire("5A53303030310000444154"));
  EXPECT_EQ(link_.ReplyText(), "");
  EXPECT_TRUE(link_.IsOpen());  // the caller closes it
  EXPECT_EQ(ui_.statuses.size(), 2u);  // only those of opening the port
}

TEST_F(TransferTest, CardTargetAndNoisyLine) {
  sim::SimulatorFaults faults;
  faults.lineNoise = true;
  Start(faults);
  settings_.commTarget = 1;
  Fetch("KA0001.DAT");  // on the card only
  EXPECT_EQ(sim_->Received().substr(0, 4), Bytes({0, 2, 0, 1}));
  const std::string raw = ReadFile(dest_);
  EXPECT_EQ(sim::ReplyFromRawFile(raw), sim::DemoStores().card[4]);
}

TEST_F(TransferTest, ShortRepliesStayAsReceived) {
  sim::SimulatorFaults faults;
  faults.cutFileAfter = 100;  // starts with "1": no error, no header move
  Start(faults);
  Fetch("ZS0001.DAT");
  EXPECT_EQ(ReadFile(dest_), sim::DemoStores().memory[0].substr(0, 100));

  faults.cutFileAfter = 3;
  sim_->SetFaults(faults);
  EXPECT_EQ(FetchFailure("ZS0001.DAT"), "");
  EXPECT_EQ(ReadFile(dest_), "102");
}

TEST_F(TransferTest, UnknownFileIsAFailureWithWhatCame) {
  Start();
  EXPECT_EQ(FetchFailure("NONE.DAT"), "");
  EXPECT_EQ(ReadFile(dest_), "00");  // the simulator's answer for a name it lacks
}

TEST_F(TransferTest, HandshakeFailureCreatesNoFile) {
  sim::SimulatorFaults faults;
  faults.memoryReply = "11";
  Start(faults);
  EXPECT_EQ(FetchFailure("ZS0001.DAT"), FailureText(Failure::kVersionError));
  EXPECT_FALSE(Exists(dest_));
}

TEST_F(TransferTest, DestinationThatCannotBeCreated) {
  Start();
  EXPECT_EQ(FetchFailure("ZS0001.DAT", dir_ / "missing/OUT.T7P"), FailureText(Failure::kCantCreateFile));
  EXPECT_EQ(FetchFailure("ZS0001.DAT", dir_.path()), FailureText(Failure::kCantCreateFile));  // a folder stands there
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path()));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
