// The entry of benchmarks that need a QApplication: offscreen platform and a
// UTF-8 code page unless the caller set others.
#pragma once

#include <memory>

class QWidget;

namespace torvane::bench {

int RunWidgetBenchmarks(int argc, char** argv);

void KeepWidgetImpl(std::unique_ptr<QWidget> widget);

// Keeps a widget the benchmarks share until the benchmarks have run; it is
// destroyed before the application object (a function-static widget would
// outlive it and crash the exit).
template <typename TWidget>
TWidget& KeepWidget(std::unique_ptr<TWidget> widget) {
  TWidget& kept = *widget;
  KeepWidgetImpl(std::move(widget));
  return kept;
}

}  // namespace torvane::bench
