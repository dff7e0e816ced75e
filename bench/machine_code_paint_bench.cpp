// A full repaint of the main window's editor (200 x 60 cells of assembled
// NASM text) with the machine-code column off and on: the column should
// cost no more than a tenth of a paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <ctime>
#include <fstream>
#include <memory>

#include "app/machine_code.h"
#include "app/main_window.h"
#include "bench/support/widget_main.h"
#include "document/control/src_editor.h"

namespace torvane {
namespace {

constexpr int kColumns = 200;
constexpr int kRows = 60;

struct Window {
  QTemporaryDir dir;
  TFAsmEd* window = nullptr;  // kept until the benchmarks have run
  QImage image;

  Window() {
    QDir::setCurrent(dir.path());
    const std::string path = dir.path().toStdString();
    std::ofstream(path + "/torvane.ini") << "[Options]\nComplier=nasm\n[View]\nMachineCode=1\n";
    std::string source =
        "        bits 16\n        org 0x100\n"
        "%macro TWICE 1\n        mov ax, %1\n        add ax, %1\n%endmacro\n";
    for (int i = 0; i < 400; ++i) {
      source += "l" + std::to_string(i) + ":  mov bx, " + std::to_string(i) + "   ; a comment\n";
      source += "        TWICE " + std::to_string(i % 97) + "\n";
      source += "        db \"some data of the program\", 13, 10, 0\n";
      source += "        jmp l" + std::to_string(i) + "\n\n";
    }
    std::ofstream(path + "/p.asm") << source;
    window = &bench::KeepWidget(std::make_unique<TFAsmEd>());
    window->OpenNamedFile(path + "/p.asm");
    window->C1Click();
    TSrcEditor& edit = *window->SrcEditor1;
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(18);
    edit.SetFont(font);
    edit.SideColumnChanged();
    window->show();
    const int width = edit.GutterExtent() + 2 + kColumns * edit.ColumnWidth();
    const int height = kRows * edit.RowHeight();
    window->resize(width + 80, height + 200);
    QApplication::processEvents();
    edit.SetFirstVisibleRow(700);
    image = QImage(edit.viewport()->size(), QImage::Format_RGB32);
  }
};

Window& TheWindow() {
  static Window window;
  return window;
}

void BM_FullRepaint(benchmark::State& state) {
  Window& w = TheWindow();
  w.window->MachineCode1->SetShown(state.range(0) != 0);
  TSrcEditor& edit = *w.window->SrcEditor1;
  const QRect all(QPoint(0, 0), w.image.size());
  for (auto _ : state) {
    QPainter painter(&w.image);
    edit.PaintView(painter, all);
  }
  state.counters["column_px"] = edit.SideColumnWidth();
}
BENCHMARK(BM_FullRepaint)
    ->ArgName("machine_code")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The thread's own time: other programs running meanwhile do not count.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Off and on in turn, so that the load of a busy machine weighs on both
// alike: `share` is the paint with the column over the paint without. A
// switch makes the next few paints unlike the steady ones, so each turn
// paints a few untimed first.
void BM_ColumnShare(benchmark::State& state) {
  constexpr int kSettling = 5;
  constexpr int kTimed = 10;
  Window& w = TheWindow();
  TSrcEditor& edit = *w.window->SrcEditor1;
  const QRect all(QPoint(0, 0), w.image.size());
  double seconds[2] = {0, 0};
  for (auto _ : state) {
    double iteration = 0;
    for (int on = 0; on < 2; ++on) {
      w.window->MachineCode1->SetShown(on != 0);
      // A painter for each paint, as a paint event has.
      for (int i = 0; i < kSettling; ++i) {
        QPainter painter(&w.image);
        edit.PaintView(painter, all);
      }
      const double start = ThreadSeconds();
      for (int i = 0; i < kTimed; ++i) {
        QPainter painter(&w.image);
        edit.PaintView(painter, all);
      }
      const double took = (ThreadSeconds() - start) / kTimed;
      seconds[on] += took;
      iteration += took;
    }
    state.SetIterationTime(iteration);
  }
  state.counters["share"] = seconds[0] > 0 ? seconds[1] / seconds[0] : 0;
}
BENCHMARK(BM_ColumnShare)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
