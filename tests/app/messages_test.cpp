// Messages that help, end to end through the main window: the assembler path
// checked before a run (and the nasm PATH finds offered), the pane's error and
// warning colours and their count, the stopped assembly after 否 to the
// overwrite question, a file changed or deleted by another program, and Qt's
// own texts in Chinese.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTranslator>

#include "app/assembler_check.h"
#include "app/main_window.h"
#include "app/output_pane.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/translations.h"
#include "app_fixture.h"

namespace torvane {
namespace {

class MessagesTest : public WindowTest {
 protected:
  // A stand-in assembler: writes `log` (printf format) as its log and, with
  // `binary`, an output file; every run leaves a line in runs.txt.
  void UseAssembler(const std::string& log, bool binary) {
    const std::string script = Path("fake-nasm");
    Put(script, "#!/bin/sh\necho run >> runs.txt\nlog=${5#-Z}\nprintf '" + log + "' > \"$log\"\n" +
                    (binary ? "printf x > \"${4#-o}\"\n" : ""));
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    Put(Path("torvane.ini"), "[Options]\nComplier=" + script + "\n");
    CloseWindow();
    StartWindow();
  }
  int Runs() {
    return Exists(Path("runs.txt")) ? static_cast<int>(Get(Path("runs.txt")).size() / 4) : 0;
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  QString Pane() { return window_->Memo1->toPlainText(); }
  void Open(const std::string& path) { ASSERT_TRUE(window_->OpenNamedFile(path)); }
  // The colour the pane draws a line's start in, or none for its own.
  QColor PaneColour(int line) {
    const QTextBlock block = window_->Memo1->document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
      if (range.start == 0 && range.length > 0) {
        return range.format.foreground().color();
      }
    }
    return {};
  }
  // Another program's write: a new size and a new modification time.
  void WriteBehindTheEditorsBack(const std::string& path, const std::string& bytes) {
    Put(path, bytes);
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
};

// Sets PATH for the test's length.
class ScopedPath {
 public:
  explicit ScopedPath(const QByteArray& path) : old_(qgetenv("PATH")) { qputenv("PATH", path); }
  ~ScopedPath() { qputenv("PATH", old_); }

 private:
  QByteArray old_;
};

TEST_F(MessagesTest, AnAssemblerThatCannotRunIsSaidBeforehandAndNasmOnPathOffered) {
  if (NasmOnPath().empty()) {
    GTEST_SKIP() << "no nasm on PATH";
  }
  const std::string nasm = NasmOnPath();
  Put(Path("a.asm"), "db 1\n");
  Open(Path("a.asm"));
  // No path set: the question names the setting and the nasm found.
  dialogs_.message_answers.push_back(mrNo);
  window_->C1->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  const TMessageRequest& question = dialogs_.messages[0];
  EXPECT_TRUE(question.text.startsWith(QStringLiteral("还没有设置编译器（NASM）的路径。")));
  EXPECT_TRUE(question.text.contains(QStringLiteral("“选项 > 编译环境设置”")));
  EXPECT_TRUE(question.text.contains(QString::fromStdString(nasm)));
  EXPECT_EQ(question.buttons, TMsgButtons::YesNo);
  EXPECT_EQ(question.default_answer, mrYes);
  EXPECT_FALSE(Exists(Path("a.lst")));
  EXPECT_EQ(ReadAssemblerPath(Dir()), "");
  EXPECT_TRUE(Editor().hasFocus());
  // Yes stores it as the setting and assembles.
  dialogs_.message_answers.push_back(mrYes);
  window_->C1->trigger();
  EXPECT_EQ(ReadAssemblerPath(Dir()), nasm);
  EXPECT_NE(Get(Path("torvane.ini")).find("[Recent]\nFile1=" + Path("a.asm") + "\n"),
            std::string::npos);  // the rest of the file kept
  EXPECT_EQ(window_->AssemblerPath(), nasm);
  EXPECT_EQ(Get(Path("a.bin")), "\x01");
  EXPECT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_TRUE(Pane().startsWith(QStringLiteral("编译完成：")));

  // Without nasm on PATH: a message only. Each kind of bad path says its own.
  const ScopedPath no_path(QFile::encodeName(QPath("")));
  Put(Path("plain"), "");
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0755), 0);
  const std::pair<std::string, QString> cases[] = {
      {"", QStringLiteral("还没有设置")},
      {Path("no-such-nasm"), QStringLiteral("不存在")},
      {Path("plain"), QStringLiteral("不是可以运行的程序")},
      {Path("folder"), QStringLiteral("不是可以运行的程序")},
      {"nasm", QStringLiteral("在 PATH 中找不到编译器“nasm”")},
  };
  for (const auto& [path, said] : cases) {
    Put(Path("torvane.ini"), "[Options]\nComplier=" + path + "\n");
    CloseWindow();
    StartWindow();
    Open(Path("a.asm"));
    window_->Memo1->setPlainText(QStringLiteral("before"));
    const std::size_t before = dialogs_.messages.size();
    window_->C1->trigger();
    ASSERT_EQ(dialogs_.messages.size(), before + 1) << path;
    EXPECT_EQ(dialogs_.messages.back().buttons, TMsgButtons::Ok);
    EXPECT_TRUE(dialogs_.LastMessage().contains(said)) << path;
    EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("编译环境设置"))) << path;
    EXPECT_EQ(Pane(), QString());  // the save cleared it, nothing ran
  }
  EXPECT_TRUE(AssemblerProblem(Path("fake")).contains(QStringLiteral("不存在")));
}

TEST_F(MessagesTest, ErrorAndWarningLinesAreColouredAndCounted) {
  UseAssembler("a.asm:1: error: no good\\na.asm:2: warning: careful\\nother text\\n", false);
  Put(Path("a.asm"), "db 1\ndb 2\n");
  Open(Path("a.asm"));
  window_->C1->trigger();
  EXPECT_EQ(Pane(), QStringLiteral("a.asm:1: error: no good\na.asm:2: warning: careful\nother "
                                   "text\n编译结束：1 个错误，1 个警告。"));
  EXPECT_EQ(PaneColour(0), QColor(0xC0, 0x00, 0x00));
  EXPECT_EQ(PaneColour(1), QColor(0x9A, 0x5B, 0x00));
  EXPECT_FALSE(PaneColour(2).isValid());
  EXPECT_FALSE(PaneColour(3).isValid());
  // The message jumps still find both, and not the count.
  window_->NextMessage1->trigger();
  EXPECT_EQ(Editor().Model().CaretPos().Line, 1);
  window_->NextMessage1->trigger();
  EXPECT_EQ(Editor().Model().CaretPos().Line, 2);
  window_->NextMessage1->trigger();
  EXPECT_EQ(Editor().Model().CaretPos().Line, 1);

  // Warnings only: the binary was written, and the status bar says so too.
  UseAssembler("a.asm:2: warning: careful\\n", true);
  window_->StatusBar1->trigger();
  Open(Path("a.asm"));
  window_->C1->trigger();
  const QString summary = QStringLiteral("编译结束：0 个错误，1 个警告；已生成 a.bin。");
  EXPECT_TRUE(Pane().endsWith(summary));
  ASSERT_NE(window_->StatusBar, nullptr);
  EXPECT_EQ(window_->StatusBar->currentMessage(), summary);
  // A clean run keeps its two lines.
  UseAssembler("", true);
  Open(Path("a.asm"));
  window_->C1->trigger();
  EXPECT_EQ(Pane().split(QLatin1Char('\n')).size(), 2);
  EXPECT_EQ(CountMessages({"x.asm:3:5: fatal: gone", "x.asm:4: note: here"}).Errors, 1);
  EXPECT_EQ(MessageSummary({2, 0}, true, QStringLiteral("x.bin")),
            QStringLiteral("编译结束：2 个错误，0 个警告。"));
}

TEST_F(MessagesTest, NoToTheOverwriteQuestionSaysTheAssemblyStopped) {
  UseAssembler("", true);
  Put(Path("a.asm"), "db 1\n");
  Open(Path("a.asm"));
  TypeText(Editor(), QStringLiteral("db 0\n"));
  WriteBehindTheEditorsBack(Path("a.asm"), "db 9\n");
  dialogs_.message_answers.push_back(mrNo);
  window_->C1->trigger();
  EXPECT_EQ(dialogs_.LastMessage(), DocumentChangedText(Path("a.asm")));
  EXPECT_EQ(Pane(), QStringLiteral("编译已停止：文件没有保存。"));
  EXPECT_EQ(Runs(), 0);
  EXPECT_EQ(Get(Path("a.asm")), "db 9\n");
  // An unnamed document whose dialog is cancelled still ends silently.
  window_->SrcEditor1->SetModified(false);
  window_->N1->trigger();
  window_->Memo1->setPlainText(QStringLiteral("kept"));
  dialogs_.file_answers.push_back(std::nullopt);
  window_->C1->trigger();
  EXPECT_EQ(Pane(), QStringLiteral("kept"));
}

TEST_F(MessagesTest, AFileChangedOnDiskIsOfferedForReloadOnce) {
  Put(Path("a.asm"), "nop\nnop\nnop\n");
  Open(Path("a.asm"));
  Editor().SetCaretPos({1, 1});
  window_->CheckFileOnDisk();
  EXPECT_TRUE(dialogs_.messages.empty());  // nothing changed

  // Unmodified: reloading is the default; through the window's activation.
  WriteBehindTheEditorsBack(Path("a.asm"), "hlt\nret\ncli\n");
  dialogs_.message_answers.push_back(mrYes);
  Editor().SetCaretPos({1, 3});  // stays on its line
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(window_.get(), &activate);
  QApplication::processEvents();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].default_answer, mrYes);
  EXPECT_FALSE(dialogs_.messages[0].text.contains(QStringLiteral("丢失")));
  EXPECT_EQ(EditorText(Editor()), QStringLiteral("hlt\nret\ncli"));
  EXPECT_FALSE(Editor().Modified());
  EXPECT_EQ(Editor().Model().CaretPos().Line, 3);
  window_->CheckFileOnDisk();
  EXPECT_EQ(dialogs_.messages.size(), 1u);

  // Modified: the question says the changes would go; keeping is the default.
  TypeText(Editor(), QStringLiteral("; mine"));
  WriteBehindTheEditorsBack(Path("a.asm"), "theirs\n");
  dialogs_.message_answers.push_back(mrNo);
  window_->CheckFileOnDisk();
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_TRUE(dialogs_.messages[1].text.contains(QStringLiteral("丢失")));
  EXPECT_EQ(dialogs_.messages[1].default_answer, mrNo);
  EXPECT_TRUE(EditorText(Editor()).contains(QStringLiteral("; mine")));
  EXPECT_TRUE(Editor().Modified());
  window_->CheckFileOnDisk();  // asked once about this state
  EXPECT_EQ(dialogs_.messages.size(), 2u);
  // Saving now still asks before overwriting their version.
  dialogs_.message_answers.push_back(mrYes);
  window_->S1->trigger();
  EXPECT_EQ(dialogs_.LastMessage(), DocumentChangedText(Path("a.asm")));
  EXPECT_EQ(Get(Path("a.asm")), "hlt\nret\n; minecli\n");

  // Deleted: said so, and the document counts as modified until saved.
  ASSERT_EQ(unlink(Path("a.asm").c_str()), 0);
  window_->CheckFileOnDisk();
  ASSERT_EQ(dialogs_.messages.size(), 4u);
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("删除")));
  EXPECT_EQ(dialogs_.messages.back().buttons, TMsgButtons::Ok);
  EXPECT_TRUE(Editor().Modified());
  window_->CheckFileOnDisk();
  EXPECT_EQ(dialogs_.messages.size(), 4u);
  window_->S1->trigger();
  EXPECT_EQ(Get(Path("a.asm")), "hlt\nret\n; minecli\n");
  EXPECT_FALSE(Editor().Modified());
  // Deleted again after that save: said again.
  ASSERT_EQ(unlink(Path("a.asm").c_str()), 0);
  window_->CheckFileOnDisk();
  EXPECT_EQ(dialogs_.messages.size(), 5u);
  // An unsaved name has nothing on disk to compare.
  window_->SrcEditor1->SetModified(false);
  window_->N1->trigger();
  window_->CheckFileOnDisk();
  EXPECT_EQ(dialogs_.messages.size(), 5u);
}

TEST(QtTranslations, QtsOwnDialogTextsAreChinese) {
  if (QLocale::system().language() == QLocale::C) {
    EXPECT_EQ(TranslationLocale().name(), QStringLiteral("zh_CN"));
  }
  const int before = static_cast<int>(qApp->findChildren<QTranslator*>().size());
  if (TranslationLocale().language() != QLocale::Chinese) {
    GTEST_SKIP() << "the test runs in another language's locale";
  }
  ASSERT_TRUE(InstallQtTranslations(*qApp));
  QMessageBox box;
  EXPECT_EQ(box.addButton(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
  EXPECT_EQ(box.addButton(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const auto* look_in = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
  ASSERT_NE(look_in, nullptr);
  EXPECT_EQ(look_in->text(), QStringLiteral("查找范围："));
  // Back to Qt's English for the other tests.
  const QList<QTranslator*> translators = qApp->findChildren<QTranslator*>();
  EXPECT_EQ(translators.size(), before + 1);
  for (QTranslator* translator : translators) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
}

}  // namespace
}  // namespace torvane
