// The editor a Qt programmer gets without an editor component: Qt's own
// QPlainTextEdit with a QSyntaxHighlighter for NASM made of regular
// expressions. It prints the same key=value figures as bench_open_figures
// (first word "qpte"), so bench/compare_with_peer.py puts it beside ours:
//
//   bench_qpte_figures FILE
//
// load_ms reads the file, decodes it and sets it as the text; the
// highlighter is attached first, so it runs over every line during the load
// as it does in such a program. style_ms is a full rehighlight(). No line
// numbers: the widget has none of its own.
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double g_last_cpu_ms = 0;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double TimeMs(const std::function<void()>& work) {
  const double cpu = ThreadCpuMs();
  const Clock::time_point start = Clock::now();
  work();
  g_last_cpu_ms = ThreadCpuMs() - cpu;
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kb = 0;
      status >> kb;
      return static_cast<double>(kb) / 1024.0;
    }
  }
  return 0;
}

void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void Print(const char* key, double value) {
  std::printf(" %s=%.1f", key, value);
}

void PrintTimed(const char* key, double value) {
  Print(key, value);
  std::printf(" %s_cpu=%.1f", key, g_last_cpu_ms);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// NASM by regular expressions, one rule list applied to every block; a
// comment ends the line, strings are single-line.
class NasmHighlighter : public QSyntaxHighlighter {
 public:
  explicit NasmHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    QTextCharFormat instruction;
    instruction.setForeground(QColor(0, 0, 160));
    instruction.setFontWeight(QFont::Bold);
    QTextCharFormat reg;
    reg.setForeground(QColor(128, 0, 128));
    QTextCharFormat directive;
    directive.setForeground(QColor(0, 128, 128));
    QTextCharFormat number;
    number.setForeground(QColor(160, 80, 0));
    QTextCharFormat label;
    label.setForeground(QColor(0, 0, 0));
    label.setFontWeight(QFont::Bold);
    string_.setForeground(QColor(160, 0, 0));
    comment_.setForeground(QColor(0, 128, 0));
    comment_.setFontItalic(true);
    const auto opts = QRegularExpression::CaseInsensitiveOption;
    rules_ = {
        {QRegularExpression(
             QStringLiteral(
                 "\\b(?:mov|movzx|movsx|movsxd|movdqu|movdqa|movaps|movups|movq|movd|lea|push|pop|"
                 "add|adc|sub|sbb|inc|dec|neg|mul|imul|div|idiv|and|or|xor|not|shl|shr|sal|sar|"
                 "rol|ror|rcl|rcr|cmp|test|jmp|je|jne|jz|jnz|ja|jae|jb|jbe|jg|jge|jl|jle|js|jns|"
                 "jo|jno|jc|jnc|loop|call|ret|leave|enter|nop|int|syscall|sysret|hlt|cli|sti|"
                 "cld|std|cpuid|rdtsc|xchg|cmpxchg|bswap|bt|bts|btr|btc|bsf|bsr|setc|sete|setne|"
                 "cmove|cmovne|cmovz|cmovnz|rep|repe|repne|movsb|movsw|movsd|movsq|stosb|stosd|"
                 "stosq|lodsb|scasb|cmpsb|in|out|iret|iretq|pxor|paddd|psubd|pand|por|pcmpeqb|"
                 "pmovmskb|addps|mulps|subps|divps|sqrtps|addsd|mulsd|cvtsi2sd|cvttsd2si|"
                 "vzeroupper|vmovdqu|vpaddd|vpxor)\\b"),
             opts),
         instruction},
        {QRegularExpression(
             QStringLiteral(
                 "\\b(?:[re]?[abcd]x|[abcd][lh]|[re]?[sd]il?|[re]?[sb]pl?|r(?:[89]|1[0-5])"
                 "[dwb]?|[xyz]mm(?:[12]?[0-9]|3[01])|[cdefgs]s|cr[0-8]|dr[0-7]|rip)\\b"),
             opts),
         reg},
        {QRegularExpression(
             QStringLiteral("(?:^|\\s)(?:%[a-z]+|section|segment|global|extern|bits|org|align|"
                            "times|db|dw|dd|dq|dt|resb|resw|resd|resq|equ|default|struc|endstruc|"
                            "istruc|iend|at|incbin)\\b"),
             opts),
         directive},
        {QRegularExpression(QStringLiteral("\\b(?:0[xh][0-9a-f_]+|[0-9][0-9a-f_]*[hqob]|0[bqoy][0-"
                                           "9_]+|[0-9]+(?:\\.[0-9]+)?)\\b"),
                            opts),
         number},
        {QRegularExpression(QStringLiteral("^\\s*[A-Za-z_.?$][A-Za-z0-9_.?$@~#]*:")), label},
    };
    strings_ = QRegularExpression(QStringLiteral("'[^']*'|\"[^\"]*\"|`[^`]*`"));
  }

 protected:
  void highlightBlock(const QString& text) override {
    // The comment starts at the first ';' outside a string.
    qsizetype comment = -1;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text[i];
      if (!quote.isNull()) {
        if (c == quote) {
          quote = QChar();
        }
      } else if (c == u'\'' || c == u'"' || c == u'`') {
        quote = c;
      } else if (c == u';') {
        comment = i;
        break;
      }
    }
    const QString code = comment >= 0 ? text.left(comment) : text;
    for (const auto& [pattern, format] : rules_) {
      for (auto it = pattern.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        setFormat(static_cast<int>(m.capturedStart()), static_cast<int>(m.capturedLength()),
                  format);
      }
    }
    for (auto it = strings_.globalMatch(code); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      setFormat(static_cast<int>(m.capturedStart()), static_cast<int>(m.capturedLength()), string_);
    }
    if (comment >= 0) {
      setFormat(static_cast<int>(comment), static_cast<int>(text.size() - comment), comment_);
    }
  }

 private:
  std::vector<std::pair<QRegularExpression, QTextCharFormat>> rules_;
  QRegularExpression strings_;
  QTextCharFormat string_;
  QTextCharFormat comment_;
};

struct Editor {
  QPlainTextEdit edit;
  NasmHighlighter highlighter{edit.document()};
  QImage image;

  Editor() {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPointSize(10);
    font.setFixedPitch(true);
    edit.setFont(font);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.resize(800, 600);
    edit.show();
    QApplication::processEvents();
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

  void KeyFigures(QTextCursor::MoveOperation where, const char* key, const char* warm_key) {
    QTextCursor cursor = edit.textCursor();
    cursor.movePosition(where);
    edit.setTextCursor(cursor);
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

int Run(const QString& path) {
  Editor e;
  ResetPeak();
  const double base = PeakMb();
  const double load_ms = TimeMs([&] {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      return;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decode(QStringDecoder::Utf8);
    e.edit.setPlainText(decode(bytes));
  });
  const double load_cpu = g_last_cpu_ms;
  const double rss_open = PeakMb();
  std::printf("qpte lines=%d", e.edit.document()->blockCount());
  Print("load_ms", load_ms);
  Print("load_ms_cpu", load_cpu);
  PrintTimed("style_ms", TimeMs([&] { e.highlighter.rehighlight(); }));
  PrintTimed("paint_ms", TimeMs([&] { e.Render(); }));
  PrintTimed("paint2_ms", TimeMs([&] { e.Render(); }));
  e.KeyFigures(QTextCursor::End, "key_end_ms", "key_end_warm_ms");
  e.KeyFigures(QTextCursor::Start, "key_start_ms", "key_start_warm_ms");
  Print("rss_base_mb", base);
  Print("rss_open_mb", rss_open);
  Print("rss_mb", PeakMb());
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  return Run(QString::fromLocal8Bit(argv[1]));
}
