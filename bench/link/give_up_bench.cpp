// How fast the link gives up, as medians of several runs on a silent
// pseudo-terminal (a reception with 10 s of silence to wait):
//   abort    from InstrumentLink::Abort on another thread to SendCommand's
//            end (goal: about 100 ms at most)
//   hang-up  from the far end's closing to SendCommand's end, and the CPU
//            time of the whole process meanwhile (a spinning receive thread
//            would burn the whole wait)
//
// usage: link_give_up_bench [RUNS]   (default 20)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "bench/median.h"
#include "base/error.h"
#include "bench/link/quiet_ui.h"
#include "link/link.h"
#include "sim/pseudo_terminal.h"

namespace {

using gt7p::bench::Median;

using namespace gt7p;
using Clock = std::chrono::steady_clock;

using bench::QuietUi;

double CpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-3;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// One reception that `stop` ends after 100 ms; the ms from `stop` to the
// end, and the process's CPU ms over the whole reception.
std::pair<double, double> OneRun(bool hangUp) {
  auto pty = std::make_unique<sim::PseudoTerminal>();
  InstrumentLink link;
  QuietUi ui;
  if (!link.OpenCommPort(ui, pty->slavePath())) std::exit(1);
  Clock::time_point ended;
  const double cpu0 = CpuMs();
  std::thread receiver([&] {
    try {
      link.SendCommand(ui, "00", 32, 10, nullptr);
    } catch (const Aborted&) {
    }
    ended = Clock::now();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const Clock::time_point stopped = Clock::now();
  if (hangUp)
    pty->HangUp();
  else
    link.Abort();
  receiver.join();
  return {Ms(ended - stopped), CpuMs() - cpu0};
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::vector<double> abortMs, hangUpMs, hangUpCpu;
  for (int i = 0; i < runs; ++i) {
    abortMs.push_back(OneRun(false).first);
    const auto [ms, cpu] = OneRun(true);
    hangUpMs.push_back(ms);
    hangUpCpu.push_back(cpu);
  }
  std::printf("abort    median %.2f ms, max %.2f ms to the end of the reception (goal 100)\n", Median(abortMs),
              *std::max_element(abortMs.begin(), abortMs.end()));
  std::printf("hang-up  median %.2f ms, max %.2f ms to the end; CPU median %.1f ms per 100 ms reception\n",
              Median(hangUpMs), *std::max_element(hangUpMs.begin(), hangUpMs.end()), Median(hangUpCpu));
  return 0;
}
