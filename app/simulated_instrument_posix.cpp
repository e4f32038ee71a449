#include "app/simulated_instrument.h"
#include "base/cp936.h"
#include "sim/instrument_simulator.h"

namespace gt7p {
namespace {

class PtySimulatedInstrument : public SimulatedInstrument {
 public:
  // Unpaced: the demo's larger files would take minutes at 19200 baud.
  PtySimulatedInstrument() : simulator_(sim::DemoStores()) {}
  std::string PortEntry() const override { return simulator_.PortPath() + Utf8ToCp936("  (模拟仪器)"); }

 private:
  sim::InstrumentSimulator simulator_;
};

}  // namespace

std::unique_ptr<SimulatedInstrument> StartSimulatedInstrument() { return std::make_unique<PtySimulatedInstrument>(); }

}  // namespace gt7p
