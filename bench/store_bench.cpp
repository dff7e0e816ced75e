// Speed of the line store on generated NASM files: reading, writing, edits in
// the middle of a million lines, expanded lengths and the longest line.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/bench_data.h"
#include "document/src_stream.h"
#include "document/string_list.h"

namespace torvane {
namespace {

const std::string& Bytes(int lines) {
  static std::string cached[3];
  const int slot = lines == 10'000 ? 0 : (lines == 100'000 ? 1 : 2);
  if (cached[slot].empty()) {
    cached[slot] = bench::AsmBytes(lines);
  }
  return cached[slot];
}

void BM_ReadFromStream(benchmark::State& state) {
  const std::string& bytes = Bytes(static_cast<int>(state.range(0)));
  TSrcMemoryStream stream(bytes);
  for (auto _ : state) {
    TSrcEditStringList store;
    store.ReadFromStream(stream);
    benchmark::DoNotOptimize(store.LineCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadFromStream)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

void BM_ReadFromFile(benchmark::State& state) {
  const std::string path = bench::AsmFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TSrcEditStringList store;
    store.ReadFromFile(path);
    benchmark::DoNotOptimize(store.LineCount());
  }
}
BENCHMARK(BM_ReadFromFile)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_WriteToStream(benchmark::State& state) {
  TSrcEditStringList store;
  store.ReadFromBytes(Bytes(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    TSrcMemoryStream stream;
    store.WriteToStream(stream);
    benchmark::DoNotOptimize(stream.Size());
  }
}
BENCHMARK(BM_WriteToStream)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The pieces a save writes, handed to a sink that only counts them: lines
// as read (kept as offsets), and (range 1) the same lines put back as an
// undo puts them back, one record each pointing into one block (range 2:
// that block joined with CR LF, the document's breaks being LF).
void BM_ForEachPiece(benchmark::State& state) {
  const std::string& bytes = Bytes(static_cast<int>(state.range(0)));
  TSrcEditStringList store;
  store.SetFileFormat(sffUnix);
  if (state.range(1) == 0) {
    store.ReadFromBytes(bytes);
  } else if (state.range(1) == 1) {
    store.InsertLinesOfText(0, bytes);
  } else {
    // As undoing a change of the whole text puts it back: joined with CR LF.
    std::string joined;
    for (const char c : bytes) {
      joined += c == '\n' ? "\r\n" : std::string(1, c);
    }
    store.InsertLinesOfText(0, std::move(joined));
  }
  std::size_t pieces = 0;
  for (auto _ : state) {
    store.ForEachPiece([&](std::string_view piece) { pieces += piece.size() > 0 ? 1 : 0; });
  }
  benchmark::DoNotOptimize(pieces);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ForEachPiece)
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond);

void BM_InsertLineMiddle(benchmark::State& state) {
  TSrcEditStringList store;
  store.ReadFromBytes(Bytes(1'000'000));
  const int middle = store.LineCount() / 2;
  for (auto _ : state) {
    store.InsertLine(middle, "    mov eax, [rbx+8]          ; inserted");
    state.PauseTiming();
    store.DeleteLine(middle);  // keep the store at its size
    state.ResumeTiming();
  }
}
BENCHMARK(BM_InsertLineMiddle)->Unit(benchmark::kMicrosecond);

void BM_DeleteLineMiddle(benchmark::State& state) {
  TSrcEditStringList store;
  store.ReadFromBytes(Bytes(1'000'000));
  const int middle = store.LineCount() / 2;
  for (auto _ : state) {
    store.DeleteLine(middle);
    state.PauseTiming();
    store.InsertLine(middle, "    mov eax, [rbx+8]");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteLineMiddle)->Unit(benchmark::kMicrosecond);

// Every line's length computed afresh (a new tab width forgets them all).
void BM_GetExpandedLengthAllLines(benchmark::State& state) {
  TSrcEditStringList store;
  store.ReadFromBytes(Bytes(1'000'000));
  int width = 8;
  for (auto _ : state) {
    state.PauseTiming();
    width = width == 8 ? 4 : 8;
    store.SetTabWidth(width);
    state.ResumeTiming();
    std::int64_t total = 0;
    for (int i = 0; i < store.LineCount(); ++i) {
      total += store.GetExpandedLength(i);
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_GetExpandedLengthAllLines)->Unit(benchmark::kMillisecond);

void BM_LongestLineAfterSetLine(benchmark::State& state) {
  TSrcEditStringList store;
  store.ReadFromBytes(Bytes(1'000'000));
  store.LongestLineLength();
  const int middle = store.LineCount() / 2;
  int round = 0;
  for (auto _ : state) {
    store.SetLine(middle, (++round % 2) != 0 ? "\tnop" : "\tret");
    benchmark::DoNotOptimize(store.LongestLineLength());
  }
}
BENCHMARK(BM_LongestLineAfterSetLine)->Unit(benchmark::kMicrosecond);

// Appending lines that are not in the loaded buffer (a paste, SetAllText of
// typed text): each needs an owned slot, so slot growth must stay linear.
void BM_AppendNewLines(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TSrcEditStringList store;
    for (int i = 0; i < count; ++i) {
      store.AppendLine("\tmov eax, ebx");
    }
    benchmark::DoNotOptimize(store.LineCount());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * count);
}
BENCHMARK(BM_AppendNewLines)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
