// The instrument's side of the protocol without a line: the bytes a client
// sends go in, the replies come out. Each command digit arrives as one byte
// of that value, each reply digit leaves as one byte whose low 4 bits carry
// it.
//
//   "02"                        -> "1020"    (from any state: starts over)
//   then "00" / "01"            -> "10"      (instrument memory / card)
//   then "00"                   -> the directory: "10", 4-digit count, "00",
//                                  one 316-digit header per file
//   or   "01"                   -> "10", then the 22-digit file name
//                               -> the file's reply, or "00" when unknown
// A command is 2 bytes (22 for the name; a name never begins with a
// control character, so "0x" there is a command); anything else is ignored
// and the next command starts over. Bytes of an incomplete command are
// dropped after 500 ms. Faults (SimulatorFaults) bend the replies for
// tests: other handshake replies, cut or paused files, digits after a file,
// a line that hangs up, replies that never end; the Reply says what the
// line is to do with them (instrument_simulator.h sends them).
//
// No thread, no line, nothing that blocks or throws: one caller at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace gt7p {
namespace sim {

// Deviations for tests.
struct SimulatorFaults {
  std::string versionReply = "1020";  // reply to "02"
  std::string memoryReply = "10";     // reply to "00"/"01" after it
  int directoryLeftOut = 0;           // headers left out, the count unchanged
  std::string directoryReply;         // when not empty: sent instead of the directory
  int64_t cutFileAfter = -1;          // file replies stop after this many characters
  int64_t hangUpAfter = -1;           // the line goes away (the pseudo-terminal closes)
                                      // after this many characters of a file reply
  bool lineNoise = false;             // random high nibbles on every byte sent
  int64_t pauseFileAt = -1;           // file replies pause after this many characters
  int32_t pauseMs = 0;                //   for this long
  std::string trailingDigits;         // sent after a whole file reply,
  int32_t trailingAfterMs = 0;        //   this long after its last character
  bool endlessReplies = false;        // directory and file replies never end: "0" after "0"
  bool keepSending = false;           // a new command's reply (a new handshake's too) waits
                                      // until the last reply and its trailing digits are out
};

// File replies as the instrument sends them: 4 status characters, the
// 316-digit header, 6 characters, the channel data.
struct InstrumentStores {
  std::vector<std::string> memory, card;
};

// A reply and what the line does with it.
struct Reply {
  std::string bytes;                           // on the line, noise included
  size_t hangUpAt = std::string::npos;         // the line goes away once this many bytes are sent
  size_t pauseAt = std::string::npos;          // the line pauses once this many bytes are sent,
  std::chrono::milliseconds pause{0};          //   for this long
  std::string trailing;                        // bytes after the whole reply,
  std::chrono::milliseconds trailingAfter{0};  //   this long after its last byte
  bool endless = false;                        // more "0" bytes for as long as they are read
  bool afterRest = false;                      // sent after what is left of the last reply (and
                                               //   its trailing bytes), not in its place
};

class InstrumentProtocol {
 public:
  using Clock = std::chrono::steady_clock;
  using Log = std::function<void(const std::string&)>;

  // `log` gets one line per command. The stores must outlive this.
  explicit InstrumentProtocol(const InstrumentStores& stores, Log log = Log());

  // What the bytes of one read brought about: the reply of the last command
  // they completed (a later command's reply replaces an earlier one), and
  // whether one of them was "02" (a client starting over wants no leftovers
  // of an earlier reply, unless the instrument keeps sending them).
  struct Outcome {
    std::optional<Reply> reply;
    bool startOver = false;
  };
  Outcome Take(const std::string& bytes, Clock::time_point now, const SimulatorFaults& faults);

  // When the bytes of an incomplete command are dropped; none without them.
  std::optional<Clock::time_point> FrameDeadline() const;
  // Drops them once `now` is past that.
  void DropStaleFrame(Clock::time_point now);

  // Waiting for "02", with no command begun.
  bool AtStart() const { return state_ == kGreet; }
  // The client went away: the next one starts with "02".
  void Reset();

 private:
  enum State { kGreet, kTarget, kRequest, kName };
  size_t FrameLength() const { return state_ == kName ? 22 : 2; }
  std::optional<Reply> Handle(const SimulatorFaults& faults, bool& startOver);
  Reply Encoded(const std::string& digits, bool noisy);
  std::string Directory(const std::vector<std::string>& files, const SimulatorFaults& faults) const;
  std::string FileReply(const std::vector<std::string>& files, const SimulatorFaults& faults) const;
  void Say(const std::string& line) const {
    if (log_) log_(line);
  }

  const InstrumentStores& stores_;
  const Log log_;
  State state_ = kGreet;
  int store_ = 0;      // 0 memory, 1 card
  std::string frame_;  // command digits so far
  Clock::time_point frameAt_;
  std::mt19937 noise_{20240315};
};

}  // namespace sim
}  // namespace gt7p
