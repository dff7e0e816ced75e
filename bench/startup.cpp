// Start-up time: from an idle application object to the main window shown
// and exposed, once cold (first fonts, styles, resources) and then warm.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdlib>

#include "app/main_window.h"

namespace {

void ShowFirstWindow() {
  torvane::TFAsmEd window;
  window.show();
  while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  benchmark::DoNotOptimize(window.winId());
}

void BM_FirstWindowCold(benchmark::State& state) {
  for (auto _ : state) {
    ShowFirstWindow();
  }
}
// Registered first and run once, so it pays every first-use cost.
BENCHMARK(BM_FirstWindowCold)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FirstWindowWarm(benchmark::State& state) {
  for (auto _ : state) {
    ShowFirstWindow();
  }
}
BENCHMARK(BM_FirstWindowWarm)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  // The window reads its settings file from the current directory.
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
