// Conversion of a large raw file against a plain copy of the same file.
// Goal: conversion time at most twice the copy's. Run:
//   build/bench/convert_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "records/converter.h"
#include "sim/record_maker.h"

namespace {
namespace fs = std::filesystem;

// 160 channels of 65535 samples: about 42 MB of raw text.
const fs::path& RawFile() {
  static const fs::path path = [] {
    char pattern[] = "/tmp/gt7p-bench-XXXXXX";
    fs::path dir = mkdtemp(pattern);
    fs::path raw = dir / "BIG.T7P";
    gt7p::sim::SurveyFile file = gt7p::sim::DemoSurveyFiles()[0];
    file.channels = 160;
    file.samples = 65535;
    std::ofstream out(raw, std::ios::binary);
    gt7p::sim::WriteRawFile(file, out);
    std::atexit([] { fs::remove_all(RawFile().parent_path()); });
    return raw;
  }();
  return path;
}

void CopyStreams(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
    out.write(buffer.data(), in.gcount());
}

void BM_CopyFile(benchmark::State& state) {
  const fs::path copy = RawFile().parent_path() / "COPY.T7P";
  for (auto _ : state) fs::copy_file(RawFile(), copy, fs::copy_options::overwrite_existing);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(RawFile())));
}

void BM_CopyStreams(benchmark::State& state) {
  const fs::path copy = RawFile().parent_path() / "COPY.T7P";
  for (auto _ : state) CopyStreams(RawFile(), copy);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(RawFile())));
}

void BM_Convert(benchmark::State& state) {
  const bool toQfx = state.range(0) != 0;
  const fs::path target = RawFile().parent_path() / (toQfx ? "BIG.QFX" : "BIG.ESP");
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(RawFile(), target, fs::copy_options::overwrite_existing);
    state.ResumeTiming();
    gt7p::ConvertRawFile(target.string(), toQfx, false);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(RawFile())));
}

BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyStreams)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
