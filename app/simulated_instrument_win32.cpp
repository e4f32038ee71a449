#include "app/simulated_instrument.h"

namespace gt7p {

std::unique_ptr<SimulatedInstrument> StartSimulatedInstrument() { return nullptr; }

}  // namespace gt7p
