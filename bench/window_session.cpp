// A user's session with a large file in the real main window: the time from
// the file being chosen to the editor's first paint, then a key at the end,
// and how long the GUI thread is ever kept from its event loop afterwards
// (idle scans, the recovery record) and how much memory the process takes.
//   bench_window_session FILE [SECONDS_AFTER_KEY]
// Prints one line of name=value figures. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise; settings and recovery records go
// to a temporary folder.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "bench/support/bench_data.h"
#include "document/control/src_editor.h"

namespace {

// The process's peak resident memory so far, in MB.
double PeakMb() {
  return static_cast<double>(torvane::bench::PeakRssBytes()) / (1024.0 * 1024.0);
}

double FileMb(const char* path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  return static_cast<double>(file.tellg()) / (1024.0 * 1024.0);
}

class PaintWatch : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    painted = painted || event->type() == QEvent::Paint;
    return false;
  }
};

// Runs the event loop for `ms`, reporting the longest time between two
// turns of a 1 ms timer: the longest the GUI thread was busy elsewhere.
double LongestStallMs(int ms) {
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  qint64 longest = 0;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  tick.start(1);
  while (clock.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  longest = std::max(longest, clock.nsecsElapsed() - last);
  return static_cast<double>(longest) / 1e6;
}

void SendKey(QWidget& target, int key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(&target, &release);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [SECONDS_AFTER_KEY]\n", argv[0]);
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  setenv("XDG_STATE_HOME", dir.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  const int after_key_ms = argc > 2 ? std::atoi(argv[2]) * 1000 : 8000;

  torvane::TFAsmEd window;
  window.resize(800, 600);
  window.show();
  while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  LongestStallMs(300);  // idle start-up work (fonts) out of the way
  const double base = PeakMb();
  torvane::TSrcEditor& editor = *window.SrcEditor1;
  PaintWatch watch;
  editor.viewport()->installEventFilter(&watch);

  QElapsedTimer clock;
  clock.start();
  // As the Open command runs once the dialog has given the name.
  if (!window.OpenNamedFile(argv[1])) {
    std::fprintf(stderr, "open failed\n");
    return 1;
  }
  const double open_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  while (!watch.painted) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  const double first_paint_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  const double open_peak = PeakMb();
  const double stall_open = LongestStallMs(3000);

  clock.restart();
  SendKey(*editor.viewport(), Qt::Key_End, QString(), Qt::ControlModifier);
  SendKey(*editor.viewport(), Qt::Key_X, QStringLiteral("x"));
  QApplication::processEvents();
  const double key_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  const double stall_key = LongestStallMs(after_key_ms);

  const double file_mb = FileMb(argv[1]);
  const double peak = PeakMb();
  std::printf(
      "file_mb=%.1f open_ms=%.1f first_paint_ms=%.1f stall_after_open_ms=%.1f key_ms=%.1f "
      "stall_after_key_ms=%.1f rss_base_mb=%.1f peak_open_over_file=%.2f peak_over_file=%.2f\n",
      file_mb, open_ms, first_paint_ms, stall_open, key_ms, stall_key, base,
      (open_peak - base) / file_mb, (peak - base) / file_mb);
  editor.SetModified(false);  // no question at closing
  return 0;
}
