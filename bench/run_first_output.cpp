// From F5 to the first line of a boot sector's output in the pane: an
// assembled 512-byte image (so F5 assembles nothing), QEMU without a display,
// the line written through port 0xE9. Each iteration stops the run (Shift+F5)
// and waits for its end before the next F5.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "app/main_window.h"
#include "app/program_run.h"
#include "document/control/src_editor.h"
#include "platform/file_access.h"
#include "platform/process_runner.h"

namespace {

const char kBootSector[] =
    "org 0x7c00\n  mov si, msg\n.next:\n  cs lodsb\n  test al, al\n  jz .halt\n"
    "  out 0xe9, al\n  jmp .next\n.halt:\n  hlt\n  jmp .halt\n"
    "msg: db \"first line\", 13, 10, 0\ntimes 510-($-$$) db 0\ndw 0xaa55\n";

void BM_F5ToFirstOutputLine(benchmark::State& state) {
  const std::string dir = QDir::currentPath().toStdString();
  const std::string nasm = QStandardPaths::findExecutable(QStringLiteral("nasm")).toStdString();
  torvane::WriteFileSafely(dir + "/torvane.ini",
                           "[Options]\nComplier=" + nasm + "\n[Run]\nDisplay=0\n");
  torvane::WriteFileSafely(dir + "/boot.asm", kBootSector);
  torvane::RunProcess(nasm, {"-fbin", "boot.asm", "-oboot.bin"}, dir);
  torvane::TFAsmEd window;
  window.show();
  if (!window.OpenNamedFile(dir + "/boot.asm")) {
    state.SkipWithError("cannot open boot.asm");
    return;
  }
  for (auto _ : state) {
    window.Memo1->clear();
    QElapsedTimer timer;
    timer.start();
    window.Run1->trigger();
    while (!window.Memo1->toPlainText().contains(QStringLiteral("first line"))) {
      QApplication::processEvents(QEventLoop::AllEvents, 1);
      if (timer.elapsed() > 30000) {
        state.SkipWithError("no output within 30 s");
        return;
      }
    }
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    state.PauseTiming();
    window.Stop1->trigger();
    window.ProgramRun1->StopAndWait();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_F5ToFirstOutputLine)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  setenv("TORVANE_CODEPAGE", "UTF-8", 0);
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
