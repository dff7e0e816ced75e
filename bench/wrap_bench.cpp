// Word wrap on the 1,000,000-line document: switching it on (the whole
// layout, and its memory), typing into a long wrapped line at the start and
// at the end (key to repainted rows), and a resize that rewraps everything.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <memory>

#include "bench/support/loaded_editor.h"
#include "bench/support/widget_main.h"
#include "editor/word_wrap_plugin.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;
constexpr int kLongLine = 2000;

TSrcEdit& Editor() {
  return bench::LoadedEditor(kLines);
}

// Memory of the layout's two tables as allocated.
void LayoutCounters(benchmark::State& state, const TSrcEdit& edit) {
  const TSrcWordWrapPlugin& layout = *edit.Model().WordWrapLayout();
  const double bytes = 4.0 * layout.LineCapacity() + layout.RowCapacity();
  state.counters["rows"] = layout.WrappedRowCount();
  state.counters["layout_MB"] = bytes / 1e6;
  state.counters["bytes_per_row_and_4_per_line"] =
      (bytes - 4.0 * layout.LineCount()) / layout.WrappedRowCount();
}

void BM_WordWrapOn(benchmark::State& state) {
  TSrcEdit& edit = Editor();
  edit.WordWrap().SetEnabled(false);
  QApplication::processEvents();
  // The first switch also measures every line's cells once.
  const auto start = std::chrono::steady_clock::now();
  edit.WordWrap().SetEnabled(true);
  const std::chrono::duration<double, std::milli> first = std::chrono::steady_clock::now() - start;
  state.counters["first_on_ms"] = first.count();
  for (auto _ : state) {
    state.PauseTiming();
    edit.WordWrap().SetEnabled(false);
    state.ResumeTiming();
    edit.WordWrap().SetEnabled(true);
  }
  LayoutCounters(state, edit);
}
BENCHMARK(BM_WordWrapOn)->Unit(benchmark::kMillisecond)->Iterations(10);

// range(0): 0 types at the start of a long first line, 1 of a long last line.
void BM_KeyPressToWrappedRows(benchmark::State& state) {
  TSrcEdit& edit = Editor();
  edit.WordWrap().SetEnabled(true);
  const int line = state.range(0) == 0 ? 1 : edit.Model().LineCount();
  const std::string long_text(kLongLine, 'x');
  auto restart = [&] {
    edit.Lines().SetLine(line - 1, long_text);
    edit.SetCaretPos({1, line});
    // All rows of the line on screen, also at the end of the file.
    edit.SetFirstVisibleRow(
        std::min(edit.Model().Mapping().RowOfLine(line), edit.Model().Mapping().DisplayRowCount()));
    QApplication::processEvents();
  };
  restart();
  int typed = 0;
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&edit, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&edit, &release);
    // The rows of the line that are on screen.
    const TPositionMapping& map = edit.Model().Mapping();
    const int top = std::max(map.RowOfLine(line), edit.FirstVisibleRow());
    const int bottom =
        std::min(map.RowOfLine(line + 1), edit.FirstVisibleRow() + edit.VisibleRows());
    const int y = (top - edit.FirstVisibleRow()) * edit.RowHeight();
    edit.viewport()->repaint(0, y, edit.viewport()->width(), (bottom - top) * edit.RowHeight());
    if (++typed == 200) {
      state.PauseTiming();
      restart();
      typed = 0;
      state.ResumeTiming();
    }
  }
  if (edit.Model().LineCount() != kLines ||
      edit.Lines().GetLine(line - 1).size() != static_cast<std::size_t>(kLongLine + typed)) {
    state.SkipWithError("the key presses did not reach the text");
  }
  state.counters["rows_of_line"] =
      edit.Model().Mapping().RowOfLine(line + 1) - edit.Model().Mapping().RowOfLine(line);
}
BENCHMARK(BM_KeyPressToWrappedRows)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A resize that changes the window's columns: every line is wrapped again
// and the window repainted.
void BM_ResizeRewrap(benchmark::State& state) {
  TSrcEdit& edit = Editor();
  edit.WordWrap().SetEnabled(true);
  bool narrow = false;
  for (auto _ : state) {
    narrow = !narrow;
    edit.resize(narrow ? 700 : 800, 600);
    edit.repaint();
  }
  LayoutCounters(state, edit);
}
BENCHMARK(BM_ResizeRewrap)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
