// An instrument on a pseudo-terminal (POSIX only), speaking the protocol
// byte for byte: each command digit arrives as one byte of that value, each
// reply digit leaves as one byte whose low 4 bits carry it.
//
//   "02"                        -> "1020"    (from any state: starts over)
//   then "00" / "01"            -> "10"      (instrument memory / card)
//   then "00"                   -> the directory: "10", 4-digit count, "00",
//                                  one 316-digit header per file
//   or   "01"                   -> "10", then the 22-digit file name
//                               -> the file's reply, or "00" when unknown
// A command is 2 bytes (22 for the name; a name never begins with a
// control character, so "0x" there is a command); bytes of an incomplete
// command are dropped after 500 ms. Replies go out at once, or paced at
// 1920 bytes/s in bursts, as a UART's receive FIFO hands them on. When the last client closes the
// port, whatever it has not read is dropped, as a real line would lose it.
// Faults (SimulatorFaults) bend the replies for tests: other handshake
// replies, cut or paused files, digits after a file, a line that hangs up,
// replies that never end.
//
// Runs its own thread from construction to destruction. Throws
// std::runtime_error when no pseudo-terminal can be had.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/pseudo_terminal.h"

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
};

struct SimulatorOptions {
  bool pace = false;
  size_t paceBurst = 16;  // bytes per burst when paced
  SimulatorFaults faults;
  std::function<void(const std::string&)> log;  // one line per command, on the simulator's thread
};

// File replies as the instrument sends them: 4 status characters, the
// 316-digit header, 6 characters, the channel data.
struct InstrumentStores {
  std::vector<std::string> memory, card;
};

// The demo set: memory holds four of the demo records, the card six (two
// of them shared with memory).
InstrumentStores DemoStores();
// The raw files (*.T7P) of `dir` for memory and of `dir`/card for the card,
// in name order; files too short or not hex are passed over.
InstrumentStores StoresFromFolder(const std::filesystem::path& dir);
// A raw file (status, 6 characters, header, data) back in reply order
// (status, header, 6 characters, data); "" when it is not one.
std::string ReplyFromRawFile(const std::string& raw);

class InstrumentSimulator {
 public:
  explicit InstrumentSimulator(InstrumentStores stores, SimulatorOptions options = SimulatorOptions());
  ~InstrumentSimulator();
  InstrumentSimulator(const InstrumentSimulator&) = delete;
  InstrumentSimulator& operator=(const InstrumentSimulator&) = delete;

  const std::string& PortPath() const { return pty_.slavePath(); }
  int SlaveFd() const { return pty_.slave(); }
  // Every byte the clients sent, in order.
  std::string Received() const;
  void SetFaults(const SimulatorFaults& faults);

 private:
  struct Session;
  void Run();

  PseudoTerminal pty_;
  InstrumentStores stores_;
  const SimulatorOptions options_;
  mutable std::mutex mutex_;
  SimulatorFaults faults_;
  std::string received_;
  int stopPipe_[2] = {-1, -1};
  int watch_ = -1;  // inotify on the slave path: clients coming and going
  std::thread thread_;
};

}  // namespace sim
}  // namespace gt7p
