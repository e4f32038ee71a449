// The instrument's protocol as bytes in and replies out, without a
// pseudo-terminal: its states, the commands that start over, the time an
// incomplete command is kept, and the faults as the replies carry them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/text.h"
#include "link/exchange.h"
#include "records/records.h"
#include "sim/instrument_protocol.h"
#include "sim/record_maker.h"

namespace gt7p {
namespace sim {
namespace {

using Clock = InstrumentProtocol::Clock;
using std::chrono::milliseconds;

// Digits as the line carries them: one byte of each digit's value.
std::string Wire(const std::string& digits) {
  std::string bytes;
  for (char c : digits) bytes += static_cast<char>(HexDigitValue(c));
  return bytes;
}

class ProtocolTest : public ::testing::Test {
 protected:
  ProtocolTest() {
    const std::vector<SurveyFile> demo = DemoSurveyFiles();
    stores_.memory = {MakeFileReply(demo[0]), MakeFileReply(demo[1])};
    stores_.card = {MakeFileReply(demo[2])};
  }
  // The reply to `digits` read in one piece, "" when none came.
  std::string Send(const std::string& digits, Clock::time_point at = Clock::now()) {
    const InstrumentProtocol::Outcome outcome = protocol_.Take(Wire(digits), at, faults_);
    startedOver_ = outcome.startOver;
    last_ = outcome.reply ? *outcome.reply : Reply();
    return outcome.reply ? outcome.reply->bytes : std::string();
  }
  std::string Directory() {
    Send("02");
    Send("00");
    return Send("00");
  }
  std::string RequestFile(const std::string& name, bool card = false) {
    Send("02");
    Send(card ? "01" : "00");
    Send("01");
    return Send(FileNameCommand(name));
  }
  std::string Header(size_t i) const { return stores_.memory[i].substr(4, kHeaderRecordChars); }

  InstrumentStores stores_;
  SimulatorFaults faults_;
  InstrumentProtocol protocol_{stores_};
  Reply last_;
  bool startedOver_ = false;
};

TEST_F(ProtocolTest, HandshakeDirectoryAndFiles) {
  EXPECT_EQ(Send("02"), Wire("1020"));
  EXPECT_TRUE(startedOver_);
  EXPECT_EQ(Send("00"), Wire("10"));
  EXPECT_FALSE(startedOver_);
  EXPECT_EQ(Send("00"), Wire("10000200" + Header(0) + Header(1)));
  EXPECT_FALSE(last_.endless);
  EXPECT_TRUE(protocol_.AtStart());  // a directory ends the session

  EXPECT_EQ(RequestFile("ZS0002.DAT"), Wire(stores_.memory[1]));
  EXPECT_EQ(last_.hangUpAt, std::string::npos);
  EXPECT_EQ(last_.pauseAt, std::string::npos);
  EXPECT_TRUE(last_.trailing.empty());
  EXPECT_EQ(RequestFile("ZS0002  .DAT"), Wire(stores_.memory[1]));  // as the list shows it
  EXPECT_EQ(RequestFile("SD0103.DAT", true), Wire(stores_.card[0]));
  EXPECT_EQ(RequestFile("SD0103.DAT"), Wire("00"));  // not in memory
}

// Out of turn a command is ignored and the next starts over; "02" starts
// over from anywhere, in the middle of a name too (no name begins with a
// control character). Of commands read together, the last one's reply
// counts.
TEST_F(ProtocolTest, CommandsOutOfTurnAndStartingOver) {
  EXPECT_EQ(Send("00"), "");
  EXPECT_EQ(Send("01"), "");
  Send("02");
  Send("01");
  EXPECT_EQ(Send("05"), "");
  EXPECT_EQ(Send("00"), "");  // back at the start: no directory

  Send("02");
  Send("00");
  Send("01");
  Send(FileNameCommand("ZS0001.DAT").substr(0, 10));
  EXPECT_FALSE(protocol_.AtStart());
  EXPECT_EQ(Send("02"), "");  // inside the name: its digits
  protocol_.Reset();          // the client went away
  EXPECT_TRUE(protocol_.AtStart());
  EXPECT_FALSE(protocol_.FrameDeadline());
  Send("02");
  Send("00");
  Send("01");
  EXPECT_EQ(Send("02"), Wire("1020"));  // a name's first byte is never 0
  EXPECT_TRUE(startedOver_);

  EXPECT_EQ(Send("0200"), Wire("10"));
  EXPECT_TRUE(startedOver_);
  EXPECT_EQ(Send("020000"), Wire("10000200" + Header(0) + Header(1)));
}

// An incomplete command is kept for 500 ms from its last byte, then dropped.
TEST_F(ProtocolTest, IncompleteCommandsAreDroppedAfterHalfASecond) {
  const Clock::time_point t0 = Clock::now();
  EXPECT_FALSE(protocol_.FrameDeadline());
  Send("0", t0);
  ASSERT_TRUE(protocol_.FrameDeadline());
  EXPECT_EQ(*protocol_.FrameDeadline(), t0 + milliseconds(500));
  protocol_.DropStaleFrame(t0 + milliseconds(500));
  EXPECT_EQ(Send("2", t0 + milliseconds(400)), Wire("1020"));

  Send("0", t0 + milliseconds(600));
  protocol_.DropStaleFrame(t0 + milliseconds(1101));
  EXPECT_FALSE(protocol_.FrameDeadline());
  EXPECT_EQ(Send("00", t0 + milliseconds(1200)), Wire("10"));  // not "0" "0" and a directory
}

TEST_F(ProtocolTest, FaultsAsTheRepliesCarryThem) {
  faults_.versionReply = "1021";
  faults_.memoryReply = "11";
  EXPECT_EQ(Send("02"), Wire("1021"));
  EXPECT_EQ(Send("01"), Wire("11"));

  faults_ = SimulatorFaults();
  faults_.directoryLeftOut = 1;
  EXPECT_EQ(Directory(), Wire("10000200" + Header(0)));  // the count unchanged
  faults_.directoryLeftOut = 5;
  EXPECT_EQ(Directory(), Wire("10000200"));
  faults_.directoryReply = "1000";
  faults_.endlessReplies = true;
  EXPECT_EQ(Directory(), Wire("1000"));
  EXPECT_TRUE(last_.endless);

  faults_ = SimulatorFaults();
  faults_.cutFileAfter = 100;
  faults_.hangUpAfter = 60;
  faults_.pauseFileAt = 10;
  faults_.pauseMs = 300;
  faults_.trailingDigits = "0A";
  faults_.trailingAfterMs = 20;
  EXPECT_EQ(RequestFile("ZS0001.DAT"), Wire(stores_.memory[0].substr(0, 100)));
  EXPECT_EQ(last_.hangUpAt, 60u);
  EXPECT_EQ(last_.pauseAt, 10u);
  EXPECT_EQ(last_.pause, milliseconds(300));
  EXPECT_EQ(last_.trailing, std::string("\x00\x0A", 2));
  EXPECT_EQ(last_.trailingAfter, milliseconds(20));
  // Beyond the reply: a hang-up once all is sent, no pause.
  faults_.hangUpAfter = 1000;
  faults_.pauseFileAt = 100;
  RequestFile("ZS0001.DAT");
  EXPECT_EQ(last_.hangUpAt, 100u);
  EXPECT_EQ(last_.pauseAt, std::string::npos);

  // Noise in the high bits of every byte, the digits below it.
  faults_ = SimulatorFaults();
  faults_.lineNoise = true;
  const std::string noisy = Directory();
  const std::string clean = Wire("10000200" + Header(0) + Header(1));
  ASSERT_EQ(noisy.size(), clean.size());
  size_t high = 0;
  for (size_t i = 0; i < noisy.size(); ++i) {
    EXPECT_EQ(noisy[i] & 0x0F, clean[i]) << i;
    high += (noisy[i] & 0xF0) != 0;
  }
  EXPECT_GT(high, noisy.size() / 2);
}

}  // namespace
}  // namespace sim
}  // namespace gt7p
