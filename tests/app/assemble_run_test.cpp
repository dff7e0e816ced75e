// Assembling through the main window with stand-in assemblers (small shell
// scripts): sources the products would overwrite, stale logs, failed saves,
// and a run that never ends, cancelled while the window stays responsive.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <ctime>

#include "app/assembler.h"
#include "app/assembler_check.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "tests/support/process_state.h"

namespace torvane {
namespace {

class AssembleRunTest : public AppTest {
 protected:
  // A stand-in assembler: records each run in runs.txt beside the source,
  // then runs `body` with the log's name in $log.
  void UseAssembler(const std::string& body) {
    const std::string script = Path("fake-nasm");
    Put(script, "#!/bin/sh\necho \"$@\" >> runs.txt\nlog=${5#-Z}\n" + body + "\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    UseAssemblerPath(script);
  }
  void UseAssemblerPath(const std::string& path) {
    Put(Path("torvane.ini"), "[Options]\nComplier=" + path + "\n");
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
  }
  void TearDown() override {
    if (window_) {
      window_->SrcEditor1->SetModified(false);
      window_.reset();
    }
  }
  void Open(const std::string& path) {
    dialogs_.file_answers.push_back(QFile::decodeName(QByteArray::fromStdString(path)));
    window_->O2->trigger();
    ASSERT_EQ(window_->CurrentFileName(), path);
  }
  int Runs() {
    if (!Exists(Path("runs.txt"))) {
      return 0;
    }
    const std::string runs = Get(Path("runs.txt"));
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
  }
  QString Pane() const { return window_->Memo1->toPlainText(); }
  // Backdates a file, as a log left from an earlier day is.
  void Backdate(const std::string& path) {
    const timespec times[2] = {{1500000000, 0}, {1500000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }

  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(AssembleRunTest, SourceThatAProductWouldOverwriteIsRefusedAndNothingRuns) {
  UseAssembler("printf 'x' > \"$log\"");
  for (const char* name : {"prog.log", "prog.lst", "prog.bin", ".log"}) {
    const std::string source = Path(name);
    Put(source, "db 1\r\n");
    Open(source);
    window_->C1->trigger();
    EXPECT_EQ(Get(source), "db 1\r\n") << name;  // saved, but neither run nor deleted
    EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("没有编译"))) << name;
    EXPECT_TRUE(dialogs_.LastMessage().contains(QFile::decodeName(source.c_str()))) << name;
  }
  // The same through links: prog.asm's listing name leads to the source.
  Put(Path("main.asm"), "db 2");
  ASSERT_EQ(symlink("main.asm", Path("main.lst").c_str()), 0);
  Put(Path("other.asm"), "db 3");
  ASSERT_EQ(link(Path("other.asm").c_str(), Path("other.bin").c_str()), 0);
  for (const char* name : {"main.asm", "other.asm"}) {
    Open(Path(name));
    window_->C1->trigger();
    EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("没有编译"))) << name;
  }
  EXPECT_EQ(Get(Path("main.asm")), "db 2");
  EXPECT_EQ(Get(Path("other.asm")), "db 3");
  EXPECT_EQ(Runs(), 0);
}

TEST_F(AssembleRunTest, StaleLogIsNeitherShownNorDeleted) {
  Put(Path("a.asm"), "db 1");
  Put(Path("a.log"), "");  // an empty log would read as a clean run
  Backdate(Path("a.log"));
  const QString open_error =
      QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(QPath("a.log"));

  // The assembler cannot be started: said before the run (nasm from PATH
  // declined).
  UseAssemblerPath(Path("no-such-assembler"));
  Open(Path("a.asm"));
  if (!NasmOnPath().empty()) {
    dialogs_.message_answers.push_back(mrNo);
  }
  window_->C1->trigger();
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("编译环境设置")));
  EXPECT_FALSE(Pane().contains(QStringLiteral("编译完成")));
  EXPECT_TRUE(Exists(Path("a.log")));

  // It starts but leaves no log of its own.
  UseAssembler("exit 0");
  Open(Path("a.asm"));
  window_->C1->trigger();
  EXPECT_EQ(Runs(), 1);
  EXPECT_EQ(dialogs_.LastMessage(), open_error);
  EXPECT_FALSE(Pane().contains(QStringLiteral("编译完成")));
  EXPECT_EQ(Get(Path("a.log")), "");

  // It writes the log: that one is shown and removed.
  UseAssembler("printf 'a.asm:1: error: no\\n' > \"$log\"");
  Open(Path("a.asm"));
  const std::size_t messages = dialogs_.messages.size();
  window_->C1->trigger();
  EXPECT_EQ(dialogs_.messages.size(), messages);
  EXPECT_EQ(Pane(), QStringLiteral("a.asm:1: error: no\n编译结束：1 个错误，0 个警告。"));
  EXPECT_FALSE(Exists(Path("a.log")));
}

TEST_F(AssembleRunTest, FailedOrCancelledSaveStopsTheCommand) {
  UseAssembler("printf '' > \"$log\"");
  Put(Path("ro.asm"), "db 1");
  Open(Path("ro.asm"));
  TypeText(*window_->SrcEditor1, QStringLiteral("x"));
  // No write permission bit: read-only for everyone, root included.
  ASSERT_EQ(chmod(Path("ro.asm").c_str(), 0444), 0);
  window_->C1->trigger();
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("文档保存时出错")));
  EXPECT_EQ(Get(Path("ro.asm")), "db 1");
  EXPECT_TRUE(window_->SrcEditor1->Modified());
  EXPECT_FALSE(Pane().contains(QStringLiteral("编译完成")));
  EXPECT_EQ(Runs(), 0);

  // An unnamed document whose save dialog is cancelled.
  dialogs_.message_answers.push_back(mrNo);  // the question before New
  window_->N1->trigger();
  TypeText(*window_->SrcEditor1, QStringLiteral("db 2"));
  dialogs_.file_answers.push_back(std::nullopt);
  window_->C1->trigger();
  EXPECT_EQ(Runs(), 0);
}

TEST_F(AssembleRunTest, RunThatNeverEndsCanBeCancelledWhileTheWindowResponds) {
  // The stand-in starts a child of its own and waits for ever.
  UseAssembler("printf 'partial' > \"$log\"\nsleep 1000 &\necho $! > child.pid\nwait");
  Put(Path("loop.asm"), "db 1");
  Open(Path("loop.asm"));
  window_->Memo1->setPlainText(QStringLiteral("before"));

  for (const bool with_escape : {true, false}) {
    SCOPED_TRACE(with_escape ? "Escape" : "Cancel button");
    PaintCounter counter;
    window_->Memo1->viewport()->installEventFilter(&counter);
    int ticks = 0;
    bool checked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      ++ticks;
      if (ticks > 1500) {  // 30 s: give up rather than hang the test run
        ADD_FAILURE() << "the run was not cancelled";
        window_->CancelButton->click();
        return;
      }
      if (!window_->Assembling() || !Exists(Path("child.pid")) || Get(Path("child.pid")).empty()) {
        return;
      }
      if (counter.paints == 0) {
        window_->Memo1->viewport()->update();  // painted by the next turn of the loop
        return;
      }
      checked = true;
      EXPECT_TRUE(Pane().startsWith(QStringLiteral("正在编译"))) << Pane().toStdString();
      EXPECT_TRUE(window_->CancelButton->isVisible());
      EXPECT_FALSE(window_->C1->isEnabled());
      // Keys do not reach the editor until the run is over.
      QTest::keyClicks(window_->SrcEditor1, QStringLiteral("zz"));
      EXPECT_EQ(EditorText(*window_->SrcEditor1), QStringLiteral("db 1"));
      // Closing waits as well.
      EXPECT_FALSE(window_->close());
      if (with_escape) {
        QTest::keyClick(window_->Memo1, Qt::Key_Escape);
      } else {
        window_->CancelButton->click();
      }
      poll.stop();
    });
    poll.start(20);
    window_->C1->trigger();
    poll.stop();
    window_->Memo1->viewport()->removeEventFilter(&counter);

    EXPECT_TRUE(checked);
    EXPECT_FALSE(window_->Assembling());
    EXPECT_EQ(Pane(), CancelledRunText());
    EXPECT_FALSE(window_->CancelButton->isVisible());
    EXPECT_TRUE(window_->SrcEditor1->isEnabled());
    EXPECT_TRUE(window_->C1->isEnabled());
    EXPECT_FALSE(Exists(Path("loop.log")));  // the half-written log is gone
    EXPECT_TRUE(window_->isVisible());
    // The stand-in's own child ended with it.
    const pid_t child = std::atoi(Get(Path("child.pid")).c_str());
    ASSERT_GT(child, 0);
    for (int i = 0; i < 200 && Running(child); ++i) {
      usleep(10000);  // a killed orphan may wait a moment to be reaped
    }
    EXPECT_FALSE(Running(child));
    remove(Path("child.pid").c_str());
    window_->Memo1->setPlainText(QStringLiteral("before"));
  }
  EXPECT_EQ(Runs(), 2);
}

}  // namespace
}  // namespace torvane
