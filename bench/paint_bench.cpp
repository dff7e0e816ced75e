// Painting speed of the editor control on an offscreen image: a full repaint
// of a 200 x 60-cell window of highlighted NASM text, and the repaint after
// the caret moves one row (its old and new cells).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>

#include "bench/support/bench_data.h"
#include "bench/support/widget_main.h"
#include "highlight/asm_highlighter.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kColumns = 200;
constexpr int kRows = 60;

// The main window's look: Courier New 18 px, right edge in silver, no
// active-line colours, blue selection, the highlighter's colours.
struct Editor {
  std::unique_ptr<TSrcAsmHighlighter> highlighter = std::make_unique<TSrcAsmHighlighter>();
  std::unique_ptr<TSrcEdit> edit = std::make_unique<TSrcEdit>();
  QImage image;

  Editor() {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(18);
    edit->SetFont(font);
    edit->ActiveLine().SetBackground(clNone);
    edit->ActiveLine().SetForeground(clNone);
    edit->SelectedColor().SetBackground(clBlue);
    edit->RightEdge().SetColor(clSilver);
    highlighter->CommentAttri()->SetForeground(clGrayText);
    highlighter->CommentAttri()->SetStyle({});
    highlighter->NumberAttri()->SetForeground(clRed);
    highlighter->StringAttri()->SetForeground(clMaroon);
    edit->Lines().SetAllText(bench::AsmBytes(2000));
    edit->SetHighlighter(highlighter.get());
    const int width = edit->GutterExtent() + 2 + kColumns * edit->ColumnWidth();
    const int height = kRows * edit->RowHeight();
    // Size the viewport itself: the scroll bars take their share of the widget.
    edit->resize(width + 40, height + 40);
    edit->show();
    const QSize extra = edit->size() - edit->viewport()->size();
    edit->resize(QSize(width, height) + extra);
    QApplication::processEvents();
    edit->SetFirstVisibleRow(700);
    edit->SetCaretPos({5, 720});
    image = QImage(edit->viewport()->size(), QImage::Format_RGB32);
  }
};

Editor& TheEditor() {
  static Editor editor;
  return editor;
}

void BM_FullRepaint(benchmark::State& state) {
  Editor& e = TheEditor();
  const QRect all(QPoint(0, 0), e.image.size());
  for (auto _ : state) {
    QPainter painter(&e.image);
    e.edit->PaintView(painter, all);
  }
  state.counters["columns"] = e.edit->VisibleColumns();
  state.counters["rows"] = e.edit->VisibleRows();
}
BENCHMARK(BM_FullRepaint)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// What a one-row caret move repaints: the cells the caret left and entered
// (the caret is one pixel left of its cell, so one pixel more on the left).
void BM_RepaintAfterCaretMove(benchmark::State& state) {
  Editor& e = TheEditor();
  TSrcEditModel& model = e.edit->Model();
  int direction = 1;
  for (auto _ : state) {
    const TDisplayPos before = model.DisplayPos();
    model.MoveCaretByRows(direction, false);
    direction = -direction;
    const TDisplayPos after = model.DisplayPos();
    QPainter painter(&e.image);
    for (const TDisplayPos& p : {before, after}) {
      const QRect cell(e.edit->ColumnToX(p.Column) - 1,
                       (p.Row - e.edit->FirstVisibleRow()) * e.edit->RowHeight(),
                       e.edit->ColumnWidth() + 2, e.edit->RowHeight());
      e.edit->PaintView(painter, cell);
    }
  }
}
BENCHMARK(BM_RepaintAfterCaretMove)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
