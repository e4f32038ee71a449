// The cycle files served by a simulator on a pseudo-terminal (POSIX only):
// the work-cycle tests' instrument here, and the Windows suite's behind a
// COM port (cycle_simulator_main.cpp).
#pragma once

#include <memory>

#include "sim/instrument_simulator.h"
#include "tests/support/cycle_instrument.h"

namespace gt7p {
namespace test {

// `log` gets one line per command, on the simulator's thread; a file
// request's line holds ".DAT -> ".
std::unique_ptr<sim::InstrumentSimulator> StartCycleSimulator(bool faultyHandshake,
                                                              std::function<void(const std::string&)> log);

}  // namespace test
}  // namespace gt7p
