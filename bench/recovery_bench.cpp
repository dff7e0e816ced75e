// Recovery records on a 1,000,000-line file in the main window: what a key
// at the end costs with records kept and without, and how long the GUI
// thread is held by one step of bringing the record up to date (after a key,
// and when the whole text is taken afresh, as after opening the file).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "app/main_window.h"
#include "app/recovery_keeper.h"
#include "bench/support/bench_data.h"
#include "bench/support/typing.h"
#include "bench/support/widget_main.h"
#include "document/control/src_editor.h"

namespace torvane {
namespace {

constexpr int kLines = 1000000;

// The GUI thread's own CPU time in ms: on a loaded machine the wall clock
// also counts the time other processes had the core.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Two windows on the same file: the one with records kept, and one whose
// keeper is gone (nothing hooked into its editor).
TFAsmEd& Window(bool recovery) {
  static QTemporaryDir state;
  static bool once = [] {
    setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 1);
    return true;
  }();
  static_cast<void>(once);
  auto make = [](bool keep) -> TFAsmEd& {
    auto window = std::make_unique<TFAsmEd>();
    window->resize(800, 600);
    window->OpenNamedFile(bench::AsmFile(kLines));
    window->show();
    window->SrcEditor1->setFocus();
    QApplication::processEvents();
    if (!keep) {
      delete RecoveryKeeperOf(*window);
    }
    return bench::KeepWidget(std::move(window));
  };
  if (recovery) {
    static TFAsmEd& on = make(true);
    return on;
  }
  static TFAsmEd& off = make(false);
  return off;
}

// range(0): 0 without records, 1 with.
void BM_KeyAtEnd(benchmark::State& state) {
  TFAsmEd& window = Window(state.range(0) == 1);
  TSrcEdit& edit = *window.SrcEditor1;
  bench::TimeTypingOnLine(state, edit, edit.Model().LineCount());
}
BENCHMARK(BM_KeyAtEnd)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The longest single step: range(0) 0 after a key at the end, 1 when the
// whole text is taken afresh. Counters: the longest step (ms, wall clock and
// the GUI thread's CPU time), the steps
// one update took, and the worker's time to make the record durable (ms).
void BM_RecordStep(benchmark::State& state) {
  TFAsmEd& window = Window(true);
  TRecoveryKeeper& keeper = *RecoveryKeeperOf(window);
  TSrcEditor& editor = *window.SrcEditor1;
  double longest = 0;
  double longest_cpu = 0;
  double steps = 0;
  double write_ms = 0;
  int updates = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int last = editor.Lines().LineCount() - 1;
    editor.Lines().ReplaceLineBytes(last, 0, 1, "m");
    editor.SetModified(true);
    if (state.range(0) == 1) {
      keeper.DocumentDiscarded();  // forgets the chunks, keeps the text
    }
    state.ResumeTiming();
    int n = 0;
    bool done = false;
    while (!done) {
      const auto start = std::chrono::steady_clock::now();
      const double cpu_start = ThreadCpuMs();
      done = keeper.UpdateStep();
      longest_cpu = std::max(longest_cpu, ThreadCpuMs() - cpu_start);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      longest = std::max(longest, took.count());
      ++n;
    }
    state.PauseTiming();
    const auto start = std::chrono::steady_clock::now();
    keeper.WaitForWriter();
    write_ms +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    steps += n;
    ++updates;
    state.ResumeTiming();
  }
  state.counters["longest_step_ms"] = longest;
  state.counters["longest_step_cpu_ms"] = longest_cpu;
  state.counters["steps"] = steps / std::max(updates, 1);
  state.counters["write_ms"] = write_ms / std::max(updates, 1);
}
BENCHMARK(BM_RecordStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
