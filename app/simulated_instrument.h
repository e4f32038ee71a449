// The built-in simulated instrument for `gt7p --simulate`: the demo survey
// files on a pseudo-terminal, served for as long as the returned object
// lives. Where there are no pseudo-terminals (Windows) there is none.
#pragma once

#include <memory>
#include <string>

namespace gt7p {

class SimulatedInstrument {
 public:
  virtual ~SimulatedInstrument() = default;
  // The port entry to offer first in the settings dialog: "PATH  (...)".
  virtual std::string PortEntry() const = 0;
};

// Null when this platform has no simulator.
std::unique_ptr<SimulatedInstrument> StartSimulatedInstrument();

}  // namespace gt7p
