// The instrument of the window's work-cycle tests, and the files it holds.
//
// On Linux each test gets a simulator of its own on a pseudo-terminal
// (cycle_instrument_posix.cpp). On Windows the Windows suite runs the
// simulators on the Linux side (cycle_simulator) behind COM ports that Wine
// maps, named by GT7P_WIN_CYCLE_COM and, for the one that answers the
// handshake wrongly, GT7P_WIN_FAULTY_COM; GT7P_WIN_CYCLE_LOG names the
// file where the first one logs its commands (cycle_instrument_win32.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/record_maker.h"

namespace gt7p {
namespace test {

// Small files (2 channels, 16 samples): the protocol's silences, not the
// data, set the pace.
std::vector<sim::SurveyFile> CycleMemoryFiles();
std::vector<sim::SurveyFile> CycleCardFiles();

class CycleInstrument {
 public:
  virtual ~CycleInstrument() = default;
  virtual std::string Port() const = 0;  // code page 936
  // Whether a file was asked for since the instrument was started here.
  virtual bool FileRequested() const = 0;
  // The link's second for the tests that are not about timing.
  virtual int32_t SecondMs() const = 0;
};

// An instrument serving the cycle files; with `faultyHandshake` it answers
// "02" with "1021". Null when there is none here (the test is skipped).
std::unique_ptr<CycleInstrument> StartCycleInstrument(bool faultyHandshake = false);

}  // namespace test
}  // namespace gt7p
