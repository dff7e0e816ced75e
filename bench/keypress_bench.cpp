// Key press to repainted row: a typed character goes through the editor's
// key event path (key table, character command, text change) and its row is
// painted on an offscreen window, at the start and at the end of a
// 1,000,000-line document.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <memory>

#include "bench/support/loaded_editor.h"
#include "bench/support/widget_main.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;

TSrcEdit& Editor() {
  return bench::LoadedEditor(kLines);
}

void TypeAndPaint(TSrcEdit& edit) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&edit, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&edit, &release);
  const int y = (edit.Model().DisplayRow() - edit.FirstVisibleRow()) * edit.RowHeight();
  edit.viewport()->repaint(0, y, edit.viewport()->width(), edit.RowHeight());
}

// range(0): 0 types on the first line, 1 on the last.
void BM_KeyPressToRow(benchmark::State& state) {
  TSrcEdit& edit = Editor();
  const int line = state.range(0) == 0 ? 1 : edit.Model().LineCount();
  edit.Lines().SetLine(line - 1, "");
  edit.SetCaretPos({1, line});
  TypeAndPaint(edit);
  // The key really goes in through the event path.
  if (edit.Model().LineCount() != kLines || edit.Lines().GetLine(line - 1) != "a") {
    state.SkipWithError("the key press did not reach the text");
    return;
  }
  QApplication::processEvents();
  int typed = 1;
  for (auto _ : state) {
    TypeAndPaint(edit);
    if (++typed == 200) {  // keep the line short: start it again
      state.PauseTiming();
      edit.Lines().SetLine(line - 1, "");
      edit.SetCaretPos({1, line});
      QApplication::processEvents();
      typed = 0;
      state.ResumeTiming();
    }
  }
  state.counters["lines"] = edit.Model().LineCount();
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
