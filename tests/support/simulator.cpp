#include "tests/support/simulator.h"

namespace gt7p {
namespace test {

std::unique_ptr<sim::InstrumentSimulator> StartSimulator(sim::InstrumentStores stores,
                                                         const sim::SimulatorFaults& faults) {
  sim::SimulatorOptions options;
  options.faults = faults;
  return std::make_unique<sim::InstrumentSimulator>(std::move(stores), options);
}

}  // namespace test
}  // namespace gt7p
