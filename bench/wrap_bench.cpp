// Word wrap on the 1,000,000-line document: switching it on (the whole
// layout, and its memory), typing into a long wrapped line at the start and
// at the end (key to repainted rows), and a resize that rewraps everything.
// Then a line of 10,000,000 characters with wrap on: a key in it (target
// under 5 ms) and undoing 20 typed characters (target under 50 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <memory>

#include "bench/support/loaded_editor.h"
#include "bench/support/widget_main.h"
#include "editor/edit_controller.h"
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

constexpr int kHugeLine = 10000000;

// An editor holding one line of 10,000,000 characters of assembly-like text
// and a few short lines, wrapped at the window's width.
TSrcEdit& HugeLineEditor() {
  static TSrcEdit& edit = []() -> TSrcEdit& {
    auto e = std::make_unique<TSrcEdit>();
    e->resize(800, 600);
    const std::string unit = "mov eax, [ebx+4] ; copy the next word ";
    std::string line;
    line.reserve(kHugeLine);
    while (line.size() < static_cast<std::size_t>(kHugeLine)) {
      line += unit;
    }
    line.resize(kHugeLine);
    e->Lines().SetAllText("start:\r\n" + line + "\r\nret\r\n");
    e->WordWrap().SetEnabled(true);
    e->show();
    e->setFocus();
    QApplication::processEvents();
    return bench::KeepWidget(std::move(e));
  }();
  return edit;
}

void SendKey(TSrcEdit& edit, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&edit, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(&edit, &release);
}

// Puts the caret at character `ch` of the long line with its rows on screen.
void CaretInHugeLine(TSrcEdit& edit, int ch) {
  edit.SetCaretPos({ch, 2});
  edit.ScrollCaretIntoView(true);
  QApplication::processEvents();
}

// range(0): where the key goes, in tenths of the line (0 start, 5 middle,
// 10 end). Key to repainted window.
void BM_KeyInTenMillionCharLine(benchmark::State& state) {
  TSrcEdit& edit = HugeLineEditor();
  const int length = static_cast<int>(edit.Lines().GetLine(1).size());
  CaretInHugeLine(edit, 1 + static_cast<int>(static_cast<long>(length) * state.range(0) / 10));
  for (auto _ : state) {
    SendKey(edit, Qt::Key_A, QStringLiteral("a"));
    edit.viewport()->repaint();
  }
  if (static_cast<int>(edit.Lines().GetLine(1).size()) <= length) {
    state.SkipWithError("the key presses did not reach the text");
  }
  state.counters["rows_of_line"] =
      edit.Model().Mapping().RowOfLine(3) - edit.Model().Mapping().RowOfLine(2);
}
BENCHMARK(BM_KeyInTenMillionCharLine)
    ->Arg(0)
    ->Arg(5)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Twenty characters typed in the middle of the long line, then undone with
// Ctrl+Z until they are gone; the undo and its repaint are timed.
void BM_UndoTwentyKeysInTenMillionCharLine(benchmark::State& state) {
  TSrcEdit& edit = HugeLineEditor();
  const std::size_t length = edit.Lines().GetLine(1).size();
  for (auto _ : state) {
    state.PauseTiming();
    // Only these twenty are undone, not keys of an earlier benchmark.
    edit.Controller().UndoList().Clear();
    CaretInHugeLine(edit, static_cast<int>(length / 2));
    for (int i = 0; i < 20; ++i) {
      SendKey(edit, Qt::Key_A, QStringLiteral("a"));
    }
    QApplication::processEvents();
    state.ResumeTiming();
    for (int n = 0; n < 100 && edit.Lines().GetLine(1).size() > length; ++n) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
      QApplication::sendEvent(&edit, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_Z, Qt::ControlModifier);
      QApplication::sendEvent(&edit, &release);
    }
    edit.viewport()->repaint();
  }
  if (edit.Lines().GetLine(1).size() != length) {
    state.SkipWithError("undo did not restore the line");
  }
}
BENCHMARK(BM_UndoTwentyKeysInTenMillionCharLine)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
