// Building the line map of a 100,000-line listing that the installed NASM
// wrote (instructions, long data, times, macro expansions, %rep), and
// asking it for every line and address: the map is built after every
// assembly, so it must stay well under 100 ms.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <string>

#include "listing/line_map.h"
#include "platform/process_runner.h"

namespace torvane {
namespace {

struct TListingData {
  std::string directory;
  std::string listing;
  std::string binary;
  int lines = 0;
};

const TListingData& Data() {
  static const TListingData data = [] {
    static QTemporaryDir dir;
    TListingData d;
    d.directory = dir.path().toStdString() + "/";
    std::string source =
        "        bits 32\n"
        "%macro TWICE 1\n        mov eax, %1\n        add eax, %1\n%endmacro\n";
    for (int i = 0; i < 9000; ++i) {
      source += "l" + std::to_string(i) + ": mov ebx, " + std::to_string(i) + "\n";
      source += "        TWICE " + std::to_string(i % 97) + "\n";
      source += "        db \"a longer string of data that continues\", 13, 10, 0\n";
      source += "        times 3 nop\n        ; comment\n\n";
      source += "        %rep 2\n        inc ecx\n        %endrep\n";
      source += "        jmp l" + std::to_string(i) + "\n";
    }
    std::ofstream(d.directory + "big.asm") << source;
    RunProcess("nasm", {"-fbin", "big.asm", "-lbig.lst", "-obig.bin"}, d.directory);
    std::ifstream listing(d.directory + "big.lst", std::ios::binary);
    d.listing.assign(std::istreambuf_iterator<char>(listing), std::istreambuf_iterator<char>());
    std::ifstream binary(d.directory + "big.bin", std::ios::binary);
    d.binary.assign(std::istreambuf_iterator<char>(binary), std::istreambuf_iterator<char>());
    for (const char c : d.listing) {
      d.lines += c == '\n' ? 1 : 0;
    }
    return d;
  }();
  return data;
}

void BM_BuildMap(benchmark::State& state) {
  const TListingData& d = Data();
  if (d.lines < 100000) {
    state.SkipWithError("nasm wrote no listing of 100,000 lines");
    return;
  }
  for (auto _ : state) {
    TListingMap map =
        TListingMap::Build(d.listing, d.directory + "big.asm", d.directory, d.binary, true);
    benchmark::DoNotOptimize(map);
  }
  state.counters["listing_lines"] = d.lines;
}
BENCHMARK(BM_BuildMap)->Unit(benchmark::kMillisecond);

void BM_LookUpEveryLineAndAddress(benchmark::State& state) {
  const TListingData& d = Data();
  const TListingMap map =
      TListingMap::Build(d.listing, d.directory + "big.asm", d.directory, d.binary, true);
  for (auto _ : state) {
    std::uint64_t found = 0;
    for (int line = 1; line <= 9000 * 11; ++line) {
      if (const TLineCode* code = map.CodeAt(0, line)) {
        found += code->TotalSize();
      }
    }
    for (std::uint64_t address = 0; address < d.binary.size(); address += 7) {
      found += map.PlaceOfAddress(address) ? 1 : 0;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_LookUpEveryLineAndAddress)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
