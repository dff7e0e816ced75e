// Code folding on the 1,000,000-line generated file with NASM-like regions:
// a full rescan (with and without the highlighter's string and comment test
// for brace tokens), collapsing and expanding a block of 100,000 lines, and
// a typed key to its repainted row at the end of the file with folding on.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "bench/support/bench_data.h"
#include "bench/support/typing.h"
#include "bench/support/widget_main.h"
#include "highlight/asm_highlighter.h"
#include "highlight/range_states.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;
constexpr int kBlockStart = 1000;
constexpr int kBlockLines = 100000;

void AddRegions(TFoldRegions& regions) {
  regions.Add(frkKeyword, "%macro", "%endmacro", true);
  regions.Add(frkKeyword, "%if", "%endif", true);
  regions.Add(frkChar, "{", "}");
  regions.SkipRegions().Add(srkToCloseChar, "\"", "\"", "\\");
  regions.SkipRegions().Add(srkToCloseChar, "'", "'");
  regions.SkipRegions().Add(srkToLineEnd, ";", "");
}

// range(0): 1 with the assembly highlighter's attribute test.
void BM_FullRescan(benchmark::State& state) {
  TSrcEditStringList lines;
  lines.ReadFromFile(bench::AsmFile(kLines));
  TSrcAsmHighlighter highlighter;
  TFoldRegions regions;
  AddRegions(regions);
  TRangeStateCache states(lines);
  TSrcEditFolds folds(lines);
  folds.SetRegions(&regions);
  if (state.range(0) == 1) {
    states.SetHighlighter(&highlighter);
    folds.SetRangeStates(&states);
  }
  for (auto _ : state) {
    folds.RescanFolds();
    benchmark::DoNotOptimize(folds.Ranges().AllCount());
  }
  state.counters["ranges"] = folds.Ranges().AllCount();
}
BENCHMARK(BM_FullRescan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// An editor model with the highlighter and folding on, holding the file
// with a macro block of 100,000 lines.
struct TBlockModel {
  TBlockModel() {
    model.Lines().ReadFromFile(bench::AsmFile(kLines));
    model.Lines().InsertLine(kBlockStart - 1, "%macro big 0");
    model.Lines().InsertLine(kBlockStart + kBlockLines, "%endmacro");
    model.SetHighlighter(&highlighter);
    model.CodeFolding().SetHighlighterFoldRegions(false);
    AddRegions(model.CodeFolding().FoldRegions());
    model.CodeFolding().SetEnabled(true);
    model.RescanFolds();
    model.SetCaretPos({1, kLines});
  }
  TSrcEditFoldRange& Block() { return *model.Folds().Ranges().FindFoldStartAt(kBlockStart); }

  TSrcAsmHighlighter highlighter;
  TSrcEditModel model;
};

void BM_CollapseBlock(benchmark::State& state) {
  TBlockModel m;
  if (m.Block().LastLine - m.Block().FirstLine != kBlockLines + 1) {
    state.SkipWithError("the block was not found");
    return;
  }
  for (auto _ : state) {
    m.model.CollapseFold(m.Block());
    state.PauseTiming();
    m.model.ExpandFold(m.Block());
    state.ResumeTiming();
  }
  state.counters["hidden"] = m.Block().HiddenLineCount + 1;
}
BENCHMARK(BM_CollapseBlock)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ExpandBlock(benchmark::State& state) {
  TBlockModel m;
  for (auto _ : state) {
    state.PauseTiming();
    m.model.CollapseFold(m.Block());
    state.ResumeTiming();
    m.model.ExpandFold(m.Block());
  }
  state.counters["lines"] = m.model.LineCount();
}
BENCHMARK(BM_ExpandBlock)->Unit(benchmark::kMillisecond)->Iterations(10);

TSrcEdit& FoldingEditor() {
  static TSrcEdit& edit = []() -> TSrcEdit& {
    auto e = std::make_unique<TSrcEdit>();
    e->resize(800, 600);
    e->Lines().ReadFromFile(bench::AsmFile(kLines));
    e->CodeFolding().SetHighlighterFoldRegions(false);
    AddRegions(e->CodeFolding().FoldRegions());
    e->CodeFolding().SetEnabled(true);
    e->RescanFolds();
    e->show();
    e->setFocus();
    QApplication::processEvents();
    return bench::KeepWidget(std::move(e));
  }();
  return edit;
}

// Typing inside a line never rescans: the fold-token count stays 0.
void BM_KeyPressToRowWithFolding(benchmark::State& state) {
  TSrcEdit& edit = FoldingEditor();
  const int line = edit.Model().LineCount();
  if (!bench::TimeTypingOnLine(state, edit, line)) {
    return;
  }
  if (edit.Model().Folds().FoldTokenChanges() != 0) {
    state.SkipWithError("typing inside a line counted a fold-token change");
  }
}
BENCHMARK(BM_KeyPressToRowWithFolding)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
