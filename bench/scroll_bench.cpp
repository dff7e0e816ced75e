// Scrolling the editor control on the 1,000,000-line file: one row down (the
// rows still on screen are moved, only the uncovered row is painted) and a
// thumb drag to the middle of the file (one full window painted). Both
// include the paint; "rows_painted" counts the text rows each step painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "bench/support/bench_data.h"
#include "bench/support/widget_main.h"
#include "highlight/asm_highlighter.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;
constexpr int kColumns = 120;
constexpr int kRows = 50;

// Counts the lines the text painter asks tokens for: one per painted row.
class TCountingEdit : public TSrcEdit {
 public:
  long painted_rows = 0;

 protected:
  void CollectTokens(int line, std::string_view text, int from, int to,
                     std::vector<TPaintToken>& tokens) override {
    ++painted_rows;
    TSrcEdit::CollectTokens(line, text, from, to, tokens);
  }
};

// The main window's look: Courier New 18 px text, line numbers in Courier
// New 13 px, the assembly highlighter.
struct Editor {
  std::unique_ptr<TSrcAsmHighlighter> highlighter = std::make_unique<TSrcAsmHighlighter>();
  std::unique_ptr<TCountingEdit> edit = std::make_unique<TCountingEdit>();

  Editor() {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(18);
    edit->SetFont(font);
    QFont gutter_font(QStringLiteral("Courier New"));
    gutter_font.setPixelSize(13);
    edit->Gutter().SetFont(gutter_font);
    edit->Gutter().SetShowLineNumbers(true);
    edit->ActiveLine().SetBackground(clNone);
    edit->ActiveLine().SetForeground(clNone);
    edit->Lines().SetAllText(bench::AsmBytes(kLines));
    edit->SetHighlighter(highlighter.get());
    const int width = edit->GutterExtent() + 2 + kColumns * edit->ColumnWidth();
    const int height = kRows * edit->RowHeight();
    edit->resize(width + 40, height + 40);
    edit->show();
    // The viewport holds whole rows, so one row of scrolling uncovers one row.
    const QSize extra = edit->size() - edit->viewport()->size();
    edit->resize(QSize(width, height) + extra);
    QApplication::processEvents();
  }
};

Editor& TheEditor() {
  static Editor editor;
  return editor;
}

void BM_ScrollOneRowDown(benchmark::State& state) {
  Editor& e = TheEditor();
  e.edit->SetFirstVisibleRow(1000);
  QApplication::processEvents();
  e.edit->painted_rows = 0;
  for (auto _ : state) {
    e.edit->SetFirstVisibleRow(e.edit->FirstVisibleRow() + 1);
    QApplication::processEvents();
  }
  state.counters["rows_painted"] =
      static_cast<double>(e.edit->painted_rows) / static_cast<double>(state.iterations());
  state.counters["visible_rows"] = e.edit->VisibleRows();
}
BENCHMARK(BM_ScrollOneRowDown)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The thumb dragged to the middle of the file and back towards the top, so
// every step is a jump of more than a window.
void BM_ThumbDragToMiddle(benchmark::State& state) {
  Editor& e = TheEditor();
  e.edit->HandleVerticalScroll(SB_TOP, 0);
  QApplication::processEvents();
  e.edit->painted_rows = 0;
  bool middle = true;
  for (auto _ : state) {
    e.edit->HandleVerticalScroll(SB_THUMBTRACK, middle ? 16384 : 8192);
    QApplication::processEvents();
    middle = !middle;
  }
  e.edit->HandleVerticalScroll(SB_ENDSCROLL, 0);
  state.counters["rows_painted"] =
      static_cast<double>(e.edit->painted_rows) / static_cast<double>(state.iterations());
  state.counters["first_row"] = e.edit->FirstVisibleRow();
}
BENCHMARK(BM_ThumbDragToMiddle)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
