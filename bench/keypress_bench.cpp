// Key press to repainted row: a typed character goes through the editor's
// key event path (key table, character command, text change) and its row is
// painted on an offscreen window, at the start and at the end of a
// 1,000,000-line document.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "bench/support/loaded_editor.h"
#include "bench/support/typing.h"
#include "bench/support/widget_main.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;

TSrcEdit& Editor() {
  return bench::LoadedEditor(kLines);
}

// range(0): 0 types on the first line, 1 on the last.
void BM_KeyPressToRow(benchmark::State& state) {
  TSrcEdit& edit = Editor();
  const int line = state.range(0) == 0 ? 1 : edit.Model().LineCount();
  if (bench::TimeTypingOnLine(state, edit, line)) {
    state.counters["lines"] = edit.Model().LineCount();
  }
}
BENCHMARK(BM_KeyPressToRow)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
