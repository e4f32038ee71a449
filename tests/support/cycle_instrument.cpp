#include "tests/support/cycle_instrument.h"

namespace gt7p {
namespace test {
namespace {

sim::SurveyFile Small(const char* name, int seed) {
  sim::SurveyFile f = sim::DemoSurveyFiles()[0];
  f.name = name;
  f.channels = 2;
  f.samples = 16;
  f.seed = static_cast<uint32_t>(seed);
  return f;
}

}  // namespace

std::vector<sim::SurveyFile> CycleMemoryFiles() {
  return {Small("AB.DAT", 1), Small("CD0002.DAT", 2), Small("EF0003.DAT", 3)};
}

std::vector<sim::SurveyFile> CycleCardFiles() { return {Small("KA0001.DAT", 9)}; }

}  // namespace test
}  // namespace gt7p
