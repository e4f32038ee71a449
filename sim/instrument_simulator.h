// An instrument on a pseudo-terminal (POSIX only): the protocol of
// instrument_protocol.h behind a line. Replies go out at once, or paced at
// 1920 bytes/s in bursts, as a UART's receive FIFO hands them on; the line
// pauses, hangs up and sends trailing digits as the faults' replies say.
// When the last client closes the port, whatever it has not read is
// dropped, as a real line would lose it (client_watch.h).
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

#include "sim/client_watch.h"
#include "sim/instrument_protocol.h"
#include "sim/pseudo_terminal.h"

namespace gt7p {
namespace sim {

struct SimulatorOptions {
  bool pace = false;
  size_t paceBurst = 16;  // bytes per burst when paced
  SimulatorFaults faults;
  std::function<void(const std::string&)> log;  // one line per command, on the simulator's thread
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
  void Run();
  SimulatorFaults Faults() const;

  PseudoTerminal pty_;
  ClientWatch clients_{pty_.slavePath()};
  InstrumentStores stores_;
  const SimulatorOptions options_;
  mutable std::mutex mutex_;
  SimulatorFaults faults_;
  std::string received_;
  int stopPipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace sim
}  // namespace gt7p
