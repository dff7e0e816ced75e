// Undo-list costs behind undoing a large paste: recording and popping a
// 100,000-line text, and 100,000 entries of one group pushed and popped.
#include "editor/undo_list.h"

#include <benchmark/benchmark.h>

#include "bench/support/bench_data.h"

namespace torvane {
namespace {

// One paste entry holding 100,000 lines: the text moves in and out, so the
// cost must not grow with its size.
void BM_PasteEntryRecordAndPop(benchmark::State& state) {
  const std::string text = bench::AsmBytes(static_cast<int>(state.range(0)));
  TSrcEditUndoList list;
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = text;
    state.ResumeTiming();
    list.BeginGroup();
    list.RecordChange(ckPaste, {1, 1}, {1, static_cast<std::int32_t>(state.range(0)) + 1},
                      std::move(copy), smNormal);
    list.EndGroup();
    auto entry = list.PopEntry();
    benchmark::DoNotOptimize(entry->Text.data());
    state.PauseTiming();
    entry.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PasteEntryRecordAndPop)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A paste recorded line by line: 100,000 entries of one group, then all
// popped as one undo step would.
void BM_GroupOfEntriesRecordAndPop(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TSrcEditUndoList list;
  list.SetMaxEntries(count);
  for (auto _ : state) {
    list.BeginGroup();
    for (int i = 1; i <= count; ++i) {
      list.RecordChange(ckInsert, {1, i}, {40, i}, "        mov     eax, [ebx+ecx*4+0x10]",
                        smNormal);
    }
    list.EndGroup();
    const std::uint32_t group = list.PeekEntry()->GroupNumber;
    while (list.PeekEntry() != nullptr && list.PeekEntry()->GroupNumber == group) {
      benchmark::DoNotOptimize(list.PopEntry());
    }
  }
}
BENCHMARK(BM_GroupOfEntriesRecordAndPop)->Arg(100000)->Unit(benchmark::kMillisecond);

// Typing far beyond the default limit of 1024: every entry trims the oldest.
void BM_RecordWithTrimming(benchmark::State& state) {
  TSrcEditUndoList list;
  std::int32_t line = 1;
  for (auto _ : state) {
    list.RecordChange(ckInsert, {1, line}, {2, line}, "x", smNormal);
    ++line;
  }
  state.counters["entries"] = list.Count();
}
BENCHMARK(BM_RecordWithTrimming);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
