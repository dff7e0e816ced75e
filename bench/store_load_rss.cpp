// Peak memory of a process that only loads the million-line file into a line
// store; reported as counters next to the file size.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/support/bench_data.h"
#include "document/string_list.h"

namespace torvane {
namespace {

void BM_LoadPeakRss(benchmark::State& state) {
  const std::string path = bench::AsmFile(1'000'000);
  const auto file_size = static_cast<double>(std::filesystem::file_size(path));
  const double before = static_cast<double>(bench::PeakRssBytes());
  int lines = 0;
  for (auto _ : state) {
    TSrcEditStringList store;
    store.ReadFromFile(path);
    lines = store.LineCount();
    state.counters["peak_rss_MB"] = static_cast<double>(bench::PeakRssBytes()) / 1e6;
  }
  state.counters["lines"] = lines;
  state.counters["file_MB"] = file_size / 1e6;
  state.counters["rss_before_MB"] = before / 1e6;
  state.counters["peak_over_file"] = static_cast<double>(bench::PeakRssBytes()) / file_size;
}
// One load: a second would only show the same peak again.
BENCHMARK(BM_LoadPeakRss)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
