// Wall time against line time of a whole session with the instrument: the
// directory and 5 files of 2,000 to 20,000 characters from the simulator
// paced as the 19200-baud line (1920 characters a second), fetched as
// gt7p-cli get --all fetches them (the port opened and closed around each
// file), once with replies ending when complete and once with full
// silences (the receive delay 3 s).
//
// usage: link_exchange_bench [RUNS]      RUNS default 3; a run takes about 100 s
//
// Per exchange: the line time of its replies ("1020", "10", the file
// request's "10", the directory or file), the wall time, and what the wall
// time costs on top of the line time; medians over the runs. For full
// silences also the timing the silences alone give: the line time, 1 s per
// short command and the receive delay after the directory or file.

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

constexpr double kLineRate = 1920;
constexpr int kDelay = 3;

// The directory's settings for the bench's window stand-in.
class BenchUi : public bench::QuietUi {
 public:
  CommSettings ChooseCommSettings(LinkSettings& settings) override {
    CommSettings chosen;
    chosen.portName = port;
    chosen.receiveDelay = kDelay;
    chosen.shown = {true};
    chosen.columnChoice = "1=1";
    chosen.fullSilence = settings.fullSilence;
    return chosen;
  }
  std::string port;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each run's line as it ends
  // Five files of about 2,000 to 20,000 characters: 4 channels each.
  std::vector<sim::SurveyFile> files;
  std::vector<std::string> replies;
  for (int target : {2000, 6000, 10000, 15000, 20000}) {
    sim::SurveyFile file = sim::DemoSurveyFiles()[0];
    file.name = "BN" + std::to_string(target / 1000) + ".DAT";
    file.channels = 4;
    file.samples = ((target - 326) / 4 - 64) / 4;
    files.push_back(file);
    replies.push_back(sim::MakeFileReply(file));
  }
  const bench::ForkedSimulator simulator(replies);
  const std::string& port = simulator.port();
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "gt7p-exchange-bench.T7P";

  // The exchanges in order: the directory, then each file. Their replies'
  // characters, and the silences the Parts' timing adds.
  std::vector<std::string> names = {"directory"};
  std::vector<double> line = {(4 + 2 + 8 + 316.0 * files.size()) / kLineRate};
  std::vector<double> silences = {2 * 1.0 + kDelay};
  for (size_t i = 0; i < files.size(); ++i) {
    names.push_back(files[i].name + " (" + std::to_string(replies[i].size()) + ")");
    line.push_back((4 + 2 + 2 + static_cast<double>(replies[i].size())) / kLineRate);
    silences.push_back(3 * 1.0 + kDelay);
  }
  const size_t exchanges = names.size();
  // wall[mode][exchange][run]; mode 0 replies end when complete, 1 full silences.
  std::vector<std::vector<std::vector<double>>> wall(2, std::vector<std::vector<double>>(exchanges));
  std::printf("paced simulator on %s, %d run(s), receive delay %d s\n", port.c_str(), runs, kDelay);
  for (int run = 1; run <= runs; ++run) {
    for (int mode = 0; mode < 2; ++mode) {
      InstrumentLink link;
      BenchUi ui;
      ui.port = port;
      LinkSettings settings;
      settings.fullSilence = mode == 1;
      auto start = std::chrono::steady_clock::now();
      ListDirectory(link, ui, settings);
      wall[mode][0].push_back(SecondsSince(start));
      for (size_t i = 0; i < files.size(); ++i) {
        start = std::chrono::steady_clock::now();
        if (!link.OpenCommPort(ui, settings.portName)) {
          std::fprintf(stderr, "can't open %s\n", settings.portName.c_str());
          return 1;
        }
        FetchInstrumentFile(link, ui, settings, files[i].name, out);
        link.CloseCommPort();
        wall[mode][i + 1].push_back(SecondsSince(start));
        if (std::filesystem::file_size(out) != replies[i].size()) std::fprintf(stderr, "short file %s\n", files[i].name.c_str());
      }
      double total = 0;
      for (size_t e = 0; e < exchanges; ++e) total += wall[mode][e].back();
      std::printf("run %d, %s: %.2f s\n", run, mode == 0 ? "ending when complete" : "full silences", total);
    }
  }

  std::printf("\nmedians, seconds   %10s %10s %10s %10s %10s %10s\n", "line", "wall", "on top", "wall", "on top",
              "silences");
  std::printf("%-18s %10s %10s %10s %10s %10s %10s\n", "exchange", "", "complete", "complete", "full", "full",
              "alone");
  double sums[6] = {0, 0, 0, 0, 0, 0};
  for (size_t e = 0; e < exchanges; ++e) {
    const double on = Median(wall[0][e]), off = Median(wall[1][e]);
    const double row[6] = {line[e], on, on - line[e], off, off - line[e], line[e] + silences[e]};
    std::printf("%-18s", names[e].c_str());
    for (int k = 0; k < 6; ++k) {
      std::printf(" %10.3f", row[k]);
      sums[k] += row[k];
    }
    std::printf("\n");
  }
  std::printf("%-18s", "total");
  for (double sum : sums) std::printf(" %10.3f", sum);
  std::printf("\n%-18s", "per exchange");
  for (double sum : sums) std::printf(" %10.3f", sum / static_cast<double>(exchanges));
  std::printf("\nfull silences against the silences alone: %+.2f %%\n", 100 * (sums[3] - sums[5]) / sums[5]);
  std::filesystem::remove(out);
  return 0;
}
