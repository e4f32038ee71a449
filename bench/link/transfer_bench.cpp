// CPU and wall time of a paced transfer: one ~60 KB file from the simulator
// at 1920 bytes/s, fetched as the save command fetches it.
//
// usage: link_transfer_bench [RUNS [BURST]]
//   RUNS   default 3; each run takes about 40 s
//   BURST  bytes the simulator hands on at a time (default 16, as a UART
//          FIFO; 1 makes every byte wake the receive thread)
// The simulator runs in a child process, so the CPU time measured is the
// link's alone: the calling thread and the receive threads.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/median.h"
#include "bench/link/forked_simulator.h"
#include "bench/link/quiet_ui.h"
#include "link/link.h"
#include "sim/record_maker.h"

namespace {

using gt7p::bench::Median;

using namespace gt7p;

using bench::QuietUi;

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const size_t burst = argc > 2 ? static_cast<size_t>(std::max(1, std::atoi(argv[2]))) : 16;
  sim::SurveyFile file = sim::DemoSurveyFiles()[0];
  file.channels = 15;  // 15 x (64 + 4 x 1024) + 326 characters
  const std::string reply = sim::MakeFileReply(file);

  const bench::ForkedSimulator simulator({reply}, burst);
  const std::string& port = simulator.port();
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "gt7p-transfer-bench.T7P";

  // Line time of the replies ("1020", "10", "10", the file) plus the
  // silences that end them: 1 s per short command, the receive delay after
  // the file.
  const int delay = 3;
  const double expected = (4 + 2 + 2 + static_cast<double>(reply.size())) / 1920.0 + 3 * 1.0 + delay;
  std::printf("file reply %zu bytes in bursts of %zu, expected wall time %.3f s\n", reply.size(), burst, expected);
  std::printf("%4s %10s %10s %8s %9s\n", "run", "wall s", "cpu s", "cpu %", "vs exp %");

  std::vector<double> walls, cpus, shares, excess;
  for (int run = 1; run <= runs; ++run) {
    InstrumentLink link;
    QuietUi ui;
    LinkSettings settings;
    settings.receiveDelay = delay;
    settings.fullSilence = true;  // the silences' timing that `expected` counts
    if (!link.OpenCommPort(ui, port)) {
      std::fprintf(stderr, "can't open %s\n", port.c_str());
      break;
    }
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    FetchInstrumentFile(link, ui, settings, file.name, out.string());
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = CpuSeconds() - cpu0;
    link.CloseCommPort();
    if (std::filesystem::file_size(out) != reply.size()) std::fprintf(stderr, "run %d: short file\n", run);
    walls.push_back(wall);
    cpus.push_back(cpu);
    shares.push_back(100 * cpu / wall);
    excess.push_back(100 * (wall - expected) / expected);
    std::printf("%4d %10.3f %10.4f %8.3f %+9.3f\n", run, wall, cpu, shares.back(), excess.back());
  }
  std::printf("%4s %10.3f %10.4f %8.3f %+9.3f\n", "med", Median(walls), Median(cpus), Median(shares), Median(excess));
  std::filesystem::remove(out);
  return 0;
}
