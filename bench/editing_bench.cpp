// Editing the 1,000,000-line file through the command path of a real (not
// shown) editor control: typing one character at the end and at the start,
// with the line-store notifications and invalidation that follow but no
// painting; and undoing a 100,000-line paste.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cstdlib>
#include <memory>

#include "bench/support/bench_data.h"
#include "bench/support/widget_main.h"
#include "editor/edit_controller.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

struct TLoadedEditor {
  explicit TLoadedEditor(int lines) : controller(edit.Model()) {
    edit.resize(800, 600);
    edit.Lines().SetAllText(bench::AsmBytes(lines));
  }
  TCustomSrcEdit edit;
  TSrcEditController controller;
};

TLoadedEditor& MillionLines() {
  static TLoadedEditor editor(1000000);
  return editor;
}

// state.range(0): 0 types at the start of the first line, 1 at the end of
// the last. Every character is undone again (untimed) so the line stays put.
void BM_TypeOneCharacter(benchmark::State& state) {
  TLoadedEditor& e = MillionLines();
  TSrcEditModel& model = e.edit.Model();
  const int last = model.LineCount();
  const TBufferPos at = state.range(0) == 0
                            ? TBufferPos{1, 1}
                            : TBufferPos{static_cast<int>(model.LineText(last).size()) + 1, last};
  model.SetCaretAndDeselect(at);
  for (auto _ : state) {
    e.controller.ProcessCommand(ecChar, 'x');
    state.PauseTiming();
    e.controller.ProcessCommand(ecDeleteLastChar);
    state.ResumeTiming();
  }
  e.controller.UndoList().Clear();
  e.controller.RedoList().Clear();
}
BENCHMARK(BM_TypeOneCharacter)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A 100,000-line paste into the middle of the 1,000,000-line file, undone.
void BM_UndoLargePaste(benchmark::State& state) {
  TLoadedEditor& e = MillionLines();
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(bench::AsmBytes(100000)));
  QGuiApplication::clipboard()->setMimeData(data);
  const int lines = e.edit.Model().LineCount();
  for (auto _ : state) {
    state.PauseTiming();
    e.edit.Model().SetCaretAndDeselect({1, 500000});
    e.controller.ProcessCommand(ecPaste);
    state.ResumeTiming();
    e.controller.ProcessCommand(ecUndo);
    state.PauseTiming();
    if (e.edit.Model().LineCount() != lines) {
      state.SkipWithError("undo did not restore the text");
    }
    e.controller.RedoList().Clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoLargePaste)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
