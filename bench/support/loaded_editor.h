// The editor the widget benchmarks share: 800 x 600, shown and focused on an
// offscreen window, holding a generated file of `lines` lines. Made on first
// use and kept until the benchmarks have run.
#pragma once

#include <QApplication>
#include <memory>

#include "bench/support/bench_data.h"
#include "bench/support/widget_main.h"
#include "view/src_edit.h"

namespace torvane::bench {

inline TSrcEdit& LoadedEditor(int lines) {
  static TSrcEdit& edit = [lines]() -> TSrcEdit& {
    auto e = std::make_unique<TSrcEdit>();
    e->resize(800, 600);
    e->Lines().ReadFromFile(AsmFile(lines));
    e->show();
    e->setFocus();
    QApplication::processEvents();
    return KeepWidget(std::move(e));
  }();
  return edit;
}

}  // namespace torvane::bench
