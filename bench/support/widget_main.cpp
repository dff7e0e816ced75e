#include "bench/support/widget_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <vector>

namespace torvane::bench {
namespace {

std::vector<std::unique_ptr<QWidget>>& KeptWidgets() {
  static std::vector<std::unique_ptr<QWidget>> widgets;
  return widgets;
}

}  // namespace

void KeepWidgetImpl(std::unique_ptr<QWidget> widget) {
  KeptWidgets().push_back(std::move(widget));
}

int RunWidgetBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TORVANE_CODEPAGE", "UTF-8", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  KeptWidgets().clear();
  return 0;
}

}  // namespace torvane::bench
