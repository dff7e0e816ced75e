// Typing through the widget's event path, as the key-press benchmarks time it.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include "view/src_edit.h"

namespace torvane::bench {

// One 'a' pressed and released, then the caret's row painted.
inline void TypeAndPaint(TSrcEdit& edit) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&edit, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&edit, &release);
  const int y = (edit.Model().DisplayRow() - edit.FirstVisibleRow()) * edit.RowHeight();
  edit.viewport()->repaint(0, y, edit.viewport()->width(), edit.RowHeight());
}

// Times TypeAndPaint on the 1-based `line`, emptied first and again every
// 200 keys so it stays short. False (the benchmark skipped) when the first
// key did not reach the text.
inline bool TimeTypingOnLine(benchmark::State& state, TSrcEdit& edit, int line) {
  const auto restart = [&edit, line] {
    edit.Lines().SetLine(line - 1, "");
    edit.SetCaretPos({1, line});
  };
  const int lines = edit.Model().LineCount();
  restart();
  TypeAndPaint(edit);
  if (edit.Model().LineCount() != lines || edit.Lines().GetLine(line - 1) != "a") {
    state.SkipWithError("the key press did not reach the text");
    return false;
  }
  QApplication::processEvents();
  int typed = 1;
  for (auto _ : state) {
    TypeAndPaint(edit);
    if (++typed == 200) {
      state.PauseTiming();
      restart();
      QApplication::processEvents();
      typed = 0;
      state.ResumeTiming();
    }
  }
  return true;
}

}  // namespace torvane::bench
