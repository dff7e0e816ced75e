#include "bench/support/widget_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

namespace torvane::bench {

int RunWidgetBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TORVANE_CODEPAGE", "UTF-8", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace torvane::bench
