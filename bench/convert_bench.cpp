// gt7p-cli convert against cp of the same raw file, both as whole processes
// (start, reading, writing, exit), alternating, as medians of several runs.
// Goal: convert at most twice the time of cp.
//
// Two cases: each run writes a new file, and each run replaces the file of
// the run before. Replacing costs both more: cp frees the old file's pages
// when it truncates it; convert writes beside the old file and renames over
// it, which on ext4 also starts the new file's write-back at once.
//
// usage: convert_bench [RUNS [CHANNELS [SAMPLES]]]
//   RUNS      runs of each command (default 11)
//   CHANNELS  SAMPLES  the raw file made by `gt7p-cli sample` (default
//             150 x 65535: 39 MB)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/median.h"

extern char** environ;

namespace {

using gt7p::bench::Median;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs the command and returns its wall time in ms; exits on failure.
// Written data of the run before is flushed first, so that no run pays for
// another's write-back.
double Run(std::vector<std::string> words) {
  sync();
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "can't start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  const std::string channels = argc > 2 ? argv[2] : "150", samples = argc > 3 ? argv[3] : "65535";
  const std::string cli = GT7P_CLI;
  char pattern[] = "/tmp/gt7p-convert-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path dir = pattern;
  const std::string raw = (dir / "BIG.T7P").string(), copy = (dir / "COPY.T7P").string(),
                    out = (dir / "BIG.QFX").string();
  Run({cli, "sample", "--channels", channels, "--samples", samples, raw});
  std::printf("raw file %s x %s samples: %.1f MB; %d runs each\n", channels.c_str(), samples.c_str(),
              static_cast<double>(fs::file_size(raw)) / 1e6, runs);

  // One of each first, so that the page cache holds the raw file.
  Run({"cp", raw, copy});
  Run({cli, "convert", raw, out});
  for (const bool replacing : {false, true}) {
    std::vector<double> cp, convert;
    for (int i = 0; i < runs; ++i) {
      if (!replacing) fs::remove(copy);
      cp.push_back(Run({"cp", raw, copy}));
      if (!replacing) fs::remove(out);
      convert.push_back(Run({cli, "convert", raw, out}));
    }
    const double cpMs = Median(cp), convertMs = Median(convert);
    std::printf("%s\n", replacing ? "replacing the file of the run before:" : "writing a new file:");
    std::printf("  cp       median %7.1f ms (min %.1f)\n", cpMs, *std::min_element(cp.begin(), cp.end()));
    std::printf("  convert  median %7.1f ms (min %.1f)\n", convertMs,
                *std::min_element(convert.begin(), convert.end()));
    std::printf("  ratio    %.2f (goal <= 2)\n", convertMs / cpMs);
  }
  fs::remove_all(dir);
  return 0;
}
