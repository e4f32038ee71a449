// What flushing a saved file to the disk costs: the save loop's last steps
// (the raw file written as the transfer writes it, converted to QFX beside
// its place, renamed) with and without BesideOptions::flushToDisk,
// alternating, each run a new file of a demo record. Prints the medians per
// saved file and their difference. The line itself (a demo record takes
// about 26 s at 19200 baud) is left out: the flush is measured against the
// part of a save that runs on the PC.
//
// usage: save_flush_bench [RUNS [FOLDER]]
//   RUNS    saves of each kind (default 21)
//   FOLDER  where the files go (default: a new folder in the current one;
//           give a USB stick's or a network folder to measure there)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/median.h"
#include "base/base.h"
#include "records/records.h"
#include "sim/record_maker.h"

namespace {

using gt7p::bench::Median;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  const bool ownFolder = argc <= 2;
  const fs::path folder = ownFolder ? fs::absolute("save_flush_bench.tmp") : fs::path(argv[2]);
  fs::create_directories(folder);
  const std::string raw = gt7p::sim::MakeRawFile(gt7p::sim::DemoSurveyFiles()[0]);

  std::vector<double> plain, flushed;
  for (int i = 0; i < runs * 2; ++i) {
    const bool flush = i % 2 == 1;
    gt7p::BesideOptions options;
    options.flushToDisk = flush;
    options.replaceTaken = [] { return false; };
    const fs::path out = folder / ("ZS" + std::to_string(i) + ".QFX");
    const Clock::time_point start = Clock::now();
    gt7p::WriteBeside(
        out,
        [&](const fs::path& part) {
          std::ofstream(part, std::ios::binary | std::ios::trunc) << raw;
          if (!gt7p::ConvertRawFile(part, gt7p::QfxFormat())) std::exit(1);
        },
        options);
    (flush ? flushed : plain).push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  const double without = Median(plain), with = Median(flushed);
  std::printf("saved file (%zu bytes raw, %ju bytes QFX), median of %d each, in %s:\n", raw.size(),
              static_cast<uintmax_t>(fs::file_size(folder / "ZS0.QFX")), runs, folder.string().c_str());
  std::printf("  without flush  %8.2f ms\n  with flush     %8.2f ms\n  cost           %8.2f ms per file\n", without,
              with, with - without);
  if (ownFolder) fs::remove_all(folder);
  return 0;
}
