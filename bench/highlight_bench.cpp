// Speed of the assembly and NASM highlighters over the generated 1,000,000-line file:
// the per-line protocol as painting drives it, and a full rescan of range
// states. A counting operator new shows allocations per scanned token.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "bench/support/bench_data.h"
#include "document/string_list.h"
#include "highlight/asm_highlighter.h"
#include "highlight/highlighter_list.h"
#include "highlight/nasm_highlighter.h"
#include "highlight/rescan.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace torvane {
namespace {

constexpr int kLines = 1000000;

struct Document {
  TSrcEditStringList lines;
  long bytes = 0;
  Document() {
    const std::string text = bench::AsmBytes(kLines);
    bytes = static_cast<long>(text.size());
    lines.SetAllText(text);
  }
};

Document& TheDocument() {
  static Document doc;
  return doc;
}

// StartLine, then kind and attribute of every token, then AdvanceToken; no
// TokenText. Driven through the base class, as the painter does. The argument
// picks the highlighter: 0 the assembly one, 1 NASM's.
void BM_ScanAllLinesThroughProtocol(benchmark::State& state) {
  Document& doc = TheDocument();
  // Made through the class list, so the compiler cannot see the dynamic type
  // and every protocol call is a virtual call, as in the painter.
  const std::unique_ptr<TSrcCustomHighlighter> made =
      HighlighterList().Item(static_cast<int>(state.range(0)))->Create();
  state.SetLabel(made->LanguageTitle());
  TSrcCustomHighlighter& h = *made;
  long tokens = 0;
  long allocations = 0;
  for (auto _ : state) {
    const long before = g_allocations.load();
    long kinds = 0;
    h.ResetRangeState();
    for (int i = 0; i < doc.lines.LineCount(); ++i) {
      if (i > 0) {
        h.RestoreRangeState(doc.lines.GetLineRange(i - 1));
      }
      h.StartLine(doc.lines.GetLine(i), i);
      while (!h.AtLineEnd()) {
        kinds += h.TokenKind();
        benchmark::DoNotOptimize(h.TokenAttributes());
        ++tokens;
        h.AdvanceToken();
      }
    }
    benchmark::DoNotOptimize(kinds);
    allocations += g_allocations.load() - before;
  }
  state.SetBytesProcessed(state.iterations() * doc.bytes);
  state.counters["tokens"] = static_cast<double>(tokens) / static_cast<double>(state.iterations());
  state.counters["allocs_per_pass"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ScanAllLinesThroughProtocol)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// The same scan through the NASM highlighter's own type, so the compiler
// calls it without virtual dispatch and inlines the accessors: against the
// one above, what the protocol's per-token calls cost.
void BM_ScanAllLinesNasmDirect(benchmark::State& state) {
  Document& doc = TheDocument();
  TSrcNasmHighlighter h;
  for (auto _ : state) {
    long kinds = 0;
    for (int i = 0; i < doc.lines.LineCount(); ++i) {
      h.StartLine(doc.lines.GetLine(i), i);
      for (; !h.AtLineEnd(); h.AdvanceToken()) {
        kinds += h.TokenKind();
        benchmark::DoNotOptimize(h.TokenAttributes());
      }
    }
    benchmark::DoNotOptimize(kinds);
  }
  state.SetBytesProcessed(state.iterations() * doc.bytes);
}
BENCHMARK(BM_ScanAllLinesNasmDirect)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RescanAllLines(benchmark::State& state) {
  Document& doc = TheDocument();
  TSrcAsmHighlighter h;
  long allocations = 0;
  for (auto _ : state) {
    const long before = g_allocations.load();
    RescanAllLines(doc.lines, &h);
    allocations += g_allocations.load() - before;
  }
  state.SetBytesProcessed(state.iterations() * doc.bytes);
  state.counters["allocs_per_pass"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RescanAllLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One visible screen (60 lines) scanned with TokenText as the painter does.
void BM_PaintScreenWithTokenText(benchmark::State& state) {
  Document& doc = TheDocument();
  TSrcAsmHighlighter h;
  int first = 0;
  for (auto _ : state) {
    for (int i = first; i < first + 60; ++i) {
      h.StartLine(doc.lines.GetLine(i), i);
      for (; !h.AtLineEnd(); h.AdvanceToken()) {
        benchmark::DoNotOptimize(h.TokenText());
      }
    }
    first = (first + 60) % (kLines - 60);
  }
}
BENCHMARK(BM_PaintScreenWithTokenText)->Unit(benchmark::kMicrosecond);

// One screen (60 lines) with what the painter reads of each token: start,
// length and attributes, through the base class. allocs_per_token should be
// 0 for every highlighter. The argument picks the highlighter as above.
void BM_PaintScreenTokenRuns(benchmark::State& state) {
  Document& doc = TheDocument();
  const std::unique_ptr<TSrcCustomHighlighter> made =
      HighlighterList().Item(static_cast<int>(state.range(0)))->Create();
  state.SetLabel(made->LanguageTitle());
  TSrcCustomHighlighter& h = *made;
  int first = 0;
  long tokens = 0;
  long allocations = 0;
  for (auto _ : state) {
    const long before = g_allocations.load();
    for (int i = first; i < first + 60; ++i) {
      h.StartLine(doc.lines.GetLine(i), i);
      for (; !h.AtLineEnd(); h.AdvanceToken()) {
        benchmark::DoNotOptimize(h.TokenStart() + h.TokenLength());
        benchmark::DoNotOptimize(h.TokenAttributes());
        ++tokens;
      }
    }
    allocations += g_allocations.load() - before;
    first = (first + 60) % (kLines - 60);
  }
  state.counters["allocs_per_token"] =
      static_cast<double>(allocations) / static_cast<double>(tokens > 0 ? tokens : 1);
}
BENCHMARK(BM_PaintScreenTokenRuns)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ConstructAsmHighlighter(benchmark::State& state) {
  for (auto _ : state) {
    TSrcAsmHighlighter h;
    benchmark::DoNotOptimize(&h);
  }
}
BENCHMARK(BM_ConstructAsmHighlighter)->Unit(benchmark::kMicrosecond);

void BM_ConstructNasmHighlighter(benchmark::State& state) {
  for (auto _ : state) {
    TSrcNasmHighlighter h;
    benchmark::DoNotOptimize(&h);
  }
}
BENCHMARK(BM_ConstructNasmHighlighter)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
