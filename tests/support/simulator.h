// A simulated instrument on a pseudo-terminal for one test (POSIX only).
#pragma once

#include <memory>

#include "sim/instrument_simulator.h"

namespace gt7p {
namespace test {

// Serves `stores` unpaced, with `faults`, until the result is gone.
std::unique_ptr<sim::InstrumentSimulator> StartSimulator(sim::InstrumentStores stores = sim::DemoStores(),
                                                         const sim::SimulatorFaults& faults = {});

}  // namespace test
}  // namespace gt7p
