// What a listening screen reader costs: the key at the end of the
// 1,000,000-line file with and without the editor's accessible interface
// active (events built and read back as a bridge reads them), and a line
// query at the text's end.
#include <benchmark/benchmark.h>

#include <QAccessible>
#include <QApplication>

#include "bench/support/loaded_editor.h"
#include "bench/support/typing.h"
#include "bench/support/widget_main.h"
#include "editor/accessible_text.h"
#include "view/accessibility_events.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;

// As a bridge does with each event: the interface, then what the event
// names (the caret asked back, the changed text).
void ReadEvent(QAccessibleEvent* event) {
  QAccessibleInterface* iface = event->accessibleInterface();
  if (event->type() == QAccessible::TextCaretMoved) {
    benchmark::DoNotOptimize(iface->textInterface()->cursorPosition());
  } else if (event->type() == QAccessible::TextInserted) {
    benchmark::DoNotOptimize(static_cast<QAccessibleTextInsertEvent*>(event)->textInserted());
  }
}

// range(0): 0 without a listener, 1 with the interface made and active.
void BM_KeyAtEnd(benchmark::State& state) {
  TSrcEdit& edit = bench::LoadedEditor(kLines);
  if (state.range(0) == 1) {
    // The offscreen platform has no bridge: a listener stands in for one.
    AccessibilityHooks() = {[] { return true; }, ReadEvent};
    QAccessible::queryAccessibleInterface(&edit)->textInterface()->characterCount();
  } else {
    AccessibilityHooks() = {[] { return false; }, nullptr};
  }
  bench::TimeTypingOnLine(state, edit, edit.Model().LineCount());
  AccessibilityHooks() = {};
}
BENCHMARK(BM_KeyAtEnd)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The last line by an offset at the text's end, as a reader asks for the
// line it reads.
void BM_LineQueryAtEnd(benchmark::State& state) {
  TSrcEdit& edit = bench::LoadedEditor(kLines);
  QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&edit)->textInterface();
  const int offset = text->characterCount() - 1;
  int start = 0;
  int end = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end));
  }
  state.counters["chars"] = text->characterCount();
}
BENCHMARK(BM_LineQueryAtEnd)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The one-time count when a reader first asks: every line of the million.
void BM_FirstQueryCountsAllLines(benchmark::State& state) {
  TSrcEdit& edit = bench::LoadedEditor(kLines);
  for (auto _ : state) {
    TSrcEditAccessibleText text(edit.Model());
    benchmark::DoNotOptimize(text.CharacterCount());
  }
}
BENCHMARK(BM_FirstQueryCountsAllLines)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
