// Finding a match at the end of the 1,000,000-line generated file (its last
// line gets a marker), from the first line, in each search mode; backward
// from the end to the first line; and replacing every "rax" (one undo group,
// taken back untimed) in the editor's model. Run:
//   build-bench/bench/bench_find_bench
#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/bench_data.h"
#include "document/string_list.h"
#include "editor/edit_controller.h"
#include "editor/edit_model.h"
#include "editor/text_replace.h"
#include "editor/text_search.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

constexpr int kLines = 1'000'000;

struct TCase {
  const char* name;
  const char* page;
  QString pattern;
  TSearchOptions options;
  bool backward = false;
};

const TCase& CaseOf(int index) {
  static const TCase cases[] = {
      {"plain, match case", "UTF-8", QStringLiteral("zz_marker"), {.match_case = true}},
      {"plain, any case", "UTF-8", QStringLiteral("ZZ_MARKER"), {}},
      {"whole word, any case", "UTF-8", QStringLiteral("zz_marker"), {.whole_word = true}},
      {"regular expression", "UTF-8", QStringLiteral("zz_m\\w+r"), {.regex = true}},
      {"Chinese, match case", "UTF-8", QStringLiteral("标记"), {.match_case = true}},
      {"Chinese, any case", "UTF-8", QStringLiteral("标记"), {}},
      {"plain, any case, GBK", "GBK", QStringLiteral("ZZ_MARKER"), {}},
      {"Chinese, GBK", "GBK", QStringLiteral("标记"), {}},
      {"backward to line 1, any case", "UTF-8", QStringLiteral("GENERATED NASM"), {}, true},
  };
  return cases[index];
}

// The generated file with the marker on its last line, in the case's code
// page (the file's few non-ASCII comments are re-encoded).
TSrcEditStringList& Store(const char* page) {
  static std::string loaded_page;
  static TSrcEditStringList store;
  if (loaded_page != page) {
    std::string bytes = bench::AsmBytes(kLines);
    bytes += "; zz_marker 标记\n";
    if (std::string(page) != "UTF-8") {
      bytes = CodePage::FromName(page).Encode(
          QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    store.ReadFromBytes(bytes);
    loaded_page = page;
  }
  return store;
}

void BM_FindAtTheEnd(benchmark::State& state) {
  const TCase& c = CaseOf(static_cast<int>(state.range(0)));
  ScopedCodePage page(c.page);
  TSrcEditStringList& store = Store(c.page);
  TTextSearch search;
  search.SetPattern(c.pattern, c.options);
  const int last = store.LineCount();
  const TBufferPos from =
      c.backward ? TBufferPos{static_cast<int>(store.GetLine(last - 1).size()) + 1, last}
                 : TBufferPos{1, 1};
  for (auto _ : state) {
    const auto match = search.Find(store, from, c.backward);
    if (!match || match->Start.Line != (c.backward ? 1 : last)) {
      state.SkipWithError("the marker was not found where it is");
      break;
    }
    benchmark::DoNotOptimize(match);
  }
  state.SetLabel(c.name);
}
BENCHMARK(BM_FindAtTheEnd)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

void BM_ReplaceAll(benchmark::State& state) {
  ScopedCodePage page("UTF-8");
  TSrcEditModel model;
  TSrcEditController controller(model);
  model.Lines().SetAllText(bench::AsmBytes(static_cast<int>(state.range(0))));
  TTextSearch search;
  search.SetPattern(QStringLiteral("rax"), {.match_case = true, .whole_word = true});
  int count = 0;
  for (auto _ : state) {
    TSearchScope scope;
    count = ReplaceAllMatches(controller, search, scope, QStringLiteral("r15"));
    state.PauseTiming();
    controller.Undo();
    state.ResumeTiming();
  }
  state.counters["replaced"] = count;
}
BENCHMARK(BM_ReplaceAll)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
