// What a user feels on a large file, as one line of key=value figures in the
// form the peer component's benchmark prints, so both can run side by side on
// the same file (bench/compare_with_peer.py does that):
//
//   bench_open_figures [FILE]          the editor set up as the main window sets
//                                      it up (default: the generated
//                                      1,000,000-line file)
//   bench_open_figures --long-line MB  a file of one line of MB megabytes
//   bench_open_figures --window FILE   the whole program: Open to the title
//
// One mode per process, since peak memory only ever grows. Each time KEY is
// followed by KEY_cpu, this thread's processor time for it, which a loaded
// machine does not stretch.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/editor_configuration.h"
#include "app/main_window.h"
#include "bench/support/bench_data.h"
#include "document/control/src_editor.h"
#include "highlight/asm_highlighter.h"
#include "highlight/rescan.h"
#include "platform/file_access.h"
#include "platform/gui/dialogs.h"

namespace torvane {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The processor time this thread spent, which a loaded machine does not
// stretch as it stretches the time on the clock.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double g_last_cpu_ms = 0;  // of the last TimeMs

double TimeMs(const std::function<void()>& work) {
  const double cpu = ThreadCpuMs();
  const Clock::time_point start = Clock::now();
  work();
  g_last_cpu_ms = ThreadCpuMs() - cpu;
  return MsSince(start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

double PeakMb() {
  return static_cast<double>(bench::PeakRssBytes()) / (1024.0 * 1024.0);
}

// Peak resident memory only grows; this starts a new peak from now on, so a
// figure does not include what an earlier step of this process used.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void Print(const char* key, double value) {
  std::printf(" %s=%.1f", key, value);
}

// A figure of TimeMs and, as KEY_cpu, its processor time.
void PrintTimed(const char* key, double value) {
  Print(key, value);
  std::printf(" %s_cpu=%.1f", key, g_last_cpu_ms);
}

// The main window's editor: its configuration, 800x600, shown. The font is
// the peer's (Liberation Mono 10 pt) rather than the window's 18 px, so the
// painted areas hold the same text.
struct Editor {
  TSrcAsmHighlighter highlighter;
  TSrcEditor edit;
  QImage image;

  Editor() {
    ConfigureSourceEditor(edit, highlighter);
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPointSize(10);
    font.setFixedPitch(true);
    edit.SetFont(font);
    edit.resize(800, 600);
    edit.show();
    // A moment of idle event loop, as between the window showing and a
    // file being chosen: the work the program leaves for idle turns is
    // done by then.
    QEventLoop idle;
    QTimer::singleShot(100, &idle, &QEventLoop::quit);
    idle.exec();
    // The image stands for the window's backing store, which is in memory
    // long before a file is opened: its pages are touched here, so the
    // first paint's figure does not include faulting them in.
    image = QImage(edit.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
  }

  void Render() { edit.render(&image); }

  void Key(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&edit, &release);
  }

  // Types 'x' at `pos` and renders: the first time, then the median of 20.
  void KeyFigures(TBufferPos pos, const char* key, const char* warm_key) {
    edit.SetCaretPos(pos);
    QApplication::processEvents();
    Render();
    PrintTimed(key, TimeMs([&] {
                 Key(Qt::Key_X, QStringLiteral("x"));
                 Render();
               }));
    std::vector<double> warm;
    std::vector<double> warm_cpu;
    for (int i = 0; i < 20; ++i) {
      warm.push_back(TimeMs([&] {
        Key(Qt::Key_X, QStringLiteral("x"));
        Render();
      }));
      warm_cpu.push_back(g_last_cpu_ms);
    }
    Print(warm_key, Median(warm));
    std::printf(" %s_cpu=%.1f", warm_key, Median(warm_cpu));
  }
};

// A full highlight pass: every line through the per-line protocol, every
// token's kind and attribute, every end state, as painting every line would.
double FullHighlightPass(const TSrcEditStringList& lines, TSrcCustomHighlighter& h) {
  return TimeMs([&] {
    long kinds = 0;
    h.ResetRangeState();
    for (int i = 0; i < lines.LineCount(); ++i) {
      h.StartLine(lines.GetLine(i), i);
      for (; !h.AtLineEnd(); h.AdvanceToken()) {
        kinds += h.TokenKind() + (h.TokenAttributes() != nullptr ? 1 : 0);
      }
      h.RestoreRangeState(h.SaveRangeState());
    }
    if (kinds == 42) {
      std::printf(" ");  // keeps the loop from being optimised away
    }
  });
}

// One plain read() of the whole file into a fresh buffer: what the disk (the
// page cache here) and the kernel give, the yardstick of the open.
double PlainReadMs(const std::string& path) {
  const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
  return TimeMs([&] {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::unique_ptr<char[]> buffer(new char[size]);
    std::size_t got = 0;
    while (got < size) {
      const ssize_t n = ::read(fd, buffer.get() + got, size - got);
      if (n <= 0) {
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
  });
}

int LargeFile(const std::string& path) {
  Editor e;
  // For profiling: the open and nothing else in the process ("bare").
  const char* only = std::getenv("TORVANE_BENCH_LOAD_ONLY");
  if (only != nullptr && std::strcmp(only, "bare") == 0) {
    Print("load_ms", TimeMs([&] { e.edit.OpenDocument(path, nullptr, 0); }));
    Print("load_ms_cpu", g_last_cpu_ms);
    std::printf("\n");
    return 0;
  }
  // The file comes from the page cache in every figure, as in the peer's run.
  std::string bytes;
  ReadFileBytes(path, &bytes);
  const double read_ms = TimeMs([&] { ReadFileBytes(path, &bytes); });
  std::string().swap(bytes);
  malloc_trim(0);
  const double plain_read_ms = PlainReadMs(path);
  malloc_trim(0);
  ResetPeak();
  const double base = PeakMb();

  const double load_ms = TimeMs([&] { e.edit.OpenDocument(path, nullptr, 0); });
  const double load_cpu = g_last_cpu_ms;
  const double rss_open = std::max(PeakMb(), base);
  // For profiling the open alone, or ("paint") with the first paint.
  if (only != nullptr && std::strcmp(only, "paint") != 0) {
    std::printf("load_ms=%.1f\n", load_ms);
    return 0;
  }
  const double paint_ms = TimeMs([&] { e.Render(); });
  if (only != nullptr) {
    std::printf("load_ms=%.1f paint_ms=%.1f\n", load_ms, paint_ms);
    return 0;
  }
  const double paint_cpu = g_last_cpu_ms;
  const double paint2_ms = TimeMs([&] { e.Render(); });
  const double paint2_cpu = g_last_cpu_ms;
  const double rss = std::max(PeakMb(), base);
  const double file_mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024);
  std::printf("lines=%d", e.edit.Lines().LineCount());
  Print("file_mb", file_mb);
  Print("read_ms", read_ms);
  Print("plain_read_ms", plain_read_ms);
  Print("load_ms", load_ms);
  Print("load_ms_cpu", load_cpu);
  std::printf(" load_over_read=%.2f", load_ms / plain_read_ms);
  PrintTimed("style_ms", FullHighlightPass(e.edit.Lines(), e.highlighter));
  Print("paint_ms", paint_ms);
  Print("paint_ms_cpu", paint_cpu);
  Print("paint2_ms", paint2_ms);
  Print("paint2_ms_cpu", paint2_cpu);
  // Ctrl+End from the top: the view jumps to the last lines and paints them.
  PrintTimed("ctrl_end_ms", TimeMs([&] {
               e.Key(Qt::Key_End, QString(), Qt::ControlModifier);
               e.Render();
             }));
  const int last = e.edit.Lines().LineCount();
  e.KeyFigures({static_cast<int>(e.edit.Lines().GetLine(last - 1).size()) + 1, last}, "key_end_ms",
               "key_end_warm_ms");
  e.KeyFigures({1, 1}, "key_start_ms", "key_start_warm_ms");
  Print("rss_base_mb", base);
  Print("rss_open_mb", rss_open);  // before the first paint
  std::printf(" rss_open_over_file=%.2f", (rss_open - base) / file_mb);
  Print("rss_mb", rss);

  // Select all, type one letter, undo it.
  PrintTimed("select_all_type_ms", TimeMs([&] {
               e.Key(Qt::Key_A, QStringLiteral("a"), Qt::ControlModifier);
               e.Key(Qt::Key_X, QStringLiteral("x"));
               e.Render();
             }));
  PrintTimed("undo_ms", TimeMs([&] {
               e.Key(Qt::Key_Z, QStringLiteral("z"), Qt::ControlModifier);
               e.Render();
             }));
  std::printf(" undo_lines=%d", e.edit.Lines().LineCount());
  Print("rss_end_mb", PeakMb());
  // Saving the whole text beside cp copying the file (cp does not wait for
  // the disk; the save does, so that a failure leaves the old file).
  const std::filesystem::path saved = std::filesystem::path(path).parent_path() / "saved.asm";
  const std::filesystem::path copied = std::filesystem::path(path).parent_path() / "copied.asm";
  malloc_trim(0);
  ResetPeak();
  const double before_save = PeakMb();
  const double save_ms = TimeMs([&] { e.edit.SaveDocument(saved.string(), nullptr, 0); });
  PrintTimed("save_ms", save_ms);
  // What the save added to the memory in use before it.
  Print("rss_save_extra_mb", std::max(PeakMb() - before_save, 0.0));
  const std::string cp = "cp '" + path + "' '" + copied.string() + "'";
  const double cp_ms = TimeMs([&] {
    if (std::system(cp.c_str()) != 0) {
      std::printf(" cp_failed=1");
    }
  });
  Print("cp_ms", cp_ms);
  std::printf(" save_over_cp=%.2f", save_ms / cp_ms);
  std::filesystem::remove(saved);
  std::filesystem::remove(copied);
  std::printf("\n");
  return 0;
}

std::string LongLineFile(int megabytes) {
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path dir = std::filesystem::path(tmp ? tmp : "/tmp") / "torvane-bench";
  std::filesystem::create_directories(dir);
  const auto path = dir / ("line_" + std::to_string(megabytes) + "mb.asm");
  const auto size = static_cast<std::uintmax_t>(megabytes) * 1000 * 1000;
  if (!std::filesystem::exists(path) || std::filesystem::file_size(path) != size) {
    // A data line: numbers, strings and words, no comment to end it early.
    static constexpr std::string_view kPiece = "0x1F, 255, 'ab', 10h, label_1, ";
    std::string text = "table: db ";
    text.reserve(size);
    while (text.size() + kPiece.size() <= size) {
      text += kPiece;
    }
    text.append(size - text.size(), '0');
    std::ofstream(path, std::ios::binary) << text;
  }
  return path.string();
}

int LongLine(int megabytes) {
  const std::string path = LongLineFile(megabytes);
  Editor e;
  malloc_trim(0);
  ResetPeak();
  const double base = PeakMb();
  const double file_mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024);
  std::printf("file_mb=%.1f", file_mb);
  PrintTimed("load_ms", TimeMs([&] { e.edit.OpenDocument(path, nullptr, 0); }));
  PrintTimed("paint_ms", TimeMs([&] { e.Render(); }));
  const int length = static_cast<int>(e.edit.Lines().GetLine(0).size());
  e.KeyFigures({length + 1, 1}, "key_end_ms", "key_end_warm_ms");
  e.KeyFigures({1, 1}, "key_start_ms", "key_start_warm_ms");
  e.KeyFigures({length / 2, 1}, "key_mid_ms", "key_mid_warm_ms");
  Print("rss_base_mb", base);
  Print("rss_mb", PeakMb());
  Print("rss_over_file", (PeakMb() - base) / file_mb);
  std::printf("\n");
  return 0;
}

// Answers the Open dialog with one file and nothing else.
class OpenAnswer : public TDialogService {
 public:
  explicit OpenAnswer(QString path) : path_(std::move(path)) {}
  std::optional<QString> ChooseFile(const TFileDialogRequest&) override { return path_; }
  int ShowMessage(const TMessageRequest&) override { return mrCancel; }
  int ExecForm(QDialog&) override { return mrCancel; }
  void Beep() override {}

 private:
  QString path_;
};

int WholeWindow(const std::string& path) {
  QTemporaryDir dir;  // the window reads its settings from the current folder
  QDir::setCurrent(dir.path());
  OpenAnswer answer(QString::fromStdString(path));
  ScopedDialogService scope(answer);
  TFAsmEd window;
  window.resize(800, 600);
  window.show();
  QApplication::processEvents();
  const QString before = window.windowTitle();
  const double cpu = ThreadCpuMs();
  const Clock::time_point start = Clock::now();
  window.O2->trigger();
  double title_ms = 0;
  double title_cpu = 0;
  if (window.windowTitle() != before) {
    title_ms = MsSince(start);
    title_cpu = ThreadCpuMs() - cpu;
  }
  QApplication::processEvents();  // the repaint that shows the text
  const double shown_ms = MsSince(start);
  std::printf(
      "open_to_title_ms=%.1f open_to_title_ms_cpu=%.1f open_to_painted_ms=%.1f "
      "open_to_painted_ms_cpu=%.1f rss_mb=%.1f\n",
      title_ms, title_cpu, shown_ms, ThreadCpuMs() - cpu, PeakMb());
  return 0;
}

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TORVANE_CODEPAGE", "UTF-8", 0);
  QApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--long-line") {
    return torvane::LongLine(args.size() > 1 ? std::atoi(args[1].c_str()) : 50);
  }
  if (!args.empty() && args[0] == "--window") {
    return torvane::WholeWindow(args.size() > 1 ? args[1] : torvane::bench::AsmFile(1'000'000));
  }
  return torvane::LargeFile(!args.empty() ? args[0] : torvane::bench::AsmFile(1'000'000));
}
