#include <atomic>

#include "tests/support/cycle_simulator.h"
#include "tests/support/link_test_support.h"

namespace gt7p {
namespace test {

std::unique_ptr<sim::InstrumentSimulator> StartCycleSimulator(bool faultyHandshake,
                                                              std::function<void(const std::string&)> log) {
  sim::InstrumentStores stores;
  for (const auto& f : CycleMemoryFiles()) stores.memory.push_back(sim::MakeFileReply(f));
  for (const auto& f : CycleCardFiles()) stores.card.push_back(sim::MakeFileReply(f));
  sim::SimulatorOptions options;
  if (faultyHandshake) options.faults.versionReply = "1021";
  options.log = std::move(log);
  return std::make_unique<sim::InstrumentSimulator>(std::move(stores), options);
}

namespace {

class PtyInstrument : public CycleInstrument {
 public:
  explicit PtyInstrument(bool faultyHandshake)
      : simulator_(StartCycleSimulator(faultyHandshake, [this](const std::string& line) {
          if (line.find(".DAT -> ") != std::string::npos) requested_ = true;
        })) {}
  std::string Port() const override { return simulator_->PortPath(); }
  bool FileRequested() const override { return requested_; }
  int32_t SecondMs() const override { return kTestSecondMs; }

 private:
  std::atomic<bool> requested_{false};
  std::unique_ptr<sim::InstrumentSimulator> simulator_;  // after requested_: its thread uses it
};

}  // namespace

std::unique_ptr<CycleInstrument> StartCycleInstrument(bool faultyHandshake) {
  return std::make_unique<PtyInstrument>(faultyHandshake);
}

}  // namespace test
}  // namespace gt7p
