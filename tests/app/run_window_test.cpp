// 运行 through the main window with the real nasm and a headless QEMU (and
// DOSBox): F5 assembles when needed and runs, Shift+F5 stops, F5 during a
// run asks to restart, closing the window ends the run; bad images, failed
// assemblies and missing emulators run nothing.
#include <fcntl.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <ctime>

#include "app/main_window.h"
#include "app/program_run.h"
#include "app/run_settings_dialog.h"
#include "app_fixture.h"
#include "tests/support/process_state.h"

namespace torvane {
namespace {

const char kPrintE9[] =
    "org 0x7c00\n  mov si, msg\n.next:\n  cs lodsb\n  test al, al\n  jz .halt\n"
    "  out 0xe9, al\n  jmp .next\n.halt:\n  hlt\n  jmp .halt\n"
    "msg: db \"Boot says hello\", 13, 10, 0\ntimes 510-($-$$) db 0\ndw 0xaa55\n";

class RunWindowTest : public AppTest {
 protected:
  void SetUp() override {
    nasm_ = QStandardPaths::findExecutable(QStringLiteral("nasm")).toStdString();
    ASSERT_FALSE(nasm_.empty()) << "scripts/deps.sh installs nasm";
  }
  void MakeWindow(const std::string& run_section = "Display=0\nMemory=4\n") {
    Put(Path("torvane.ini"), "[Options]\nComplier=" + nasm_ + "\n[Run]\n" + run_section);
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    window_->SrcEditor1->setFocus();
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
  QString Pane() const { return window_->Memo1->toPlainText(); }
  bool WaitForPane(const QString& text, int ms = 30000) {
    return QTest::qWaitFor([&] { return Pane().contains(text); }, ms);
  }
  long long Pid() const { return window_->ProgramRun1->ProcessId(); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->SrcEditor1, static_cast<Qt::Key>(key), modifiers);
  }

  std::string nasm_;
  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(RunWindowTest, RunMenuSitsBetweenViewAndHelpWithItsKeys) {
  MakeWindow();
  QStringList menus;
  for (const QAction* action : window_->menuBar()->actions()) {
    menus << action->text();
  }
  const qsizetype run = menus.indexOf(QStringLiteral("运行(&R)"));
  ASSERT_GE(run, 1);
  EXPECT_EQ(menus[run - 1], QStringLiteral("查看(&V)"));
  EXPECT_EQ(menus[run + 1], QStringLiteral("说明(&H)"));
  EXPECT_EQ(
      Captions(window_->RunMenu),
      (QStringList{QStringLiteral("运行"), QStringLiteral("停止"), QStringLiteral("-"),
                   QStringLiteral("调试"), QStringLiteral("继续\tF5"), QStringLiteral("单步进入"),
                   QStringLiteral("单步跳过"), QStringLiteral("运行到光标处"),
                   QStringLiteral("切换断点"), QStringLiteral("-"), QStringLiteral("运行设置…")}));
  EXPECT_EQ(window_->Run1->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(window_->Stop1->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
  // Stop without a run does nothing.
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_TRUE(Pane().isEmpty());
}

TEST_F(RunWindowTest, F5AssemblesRunsShowsPortE9OutputAndShiftF5StopsWithoutLeftovers) {
  MakeWindow();
  const std::string source = Path("a b-启动;$(x).asm");
  Put(source, kPrintE9);
  Open(source);
  const std::string binary = Path("a b-启动;$(x).bin");
  EXPECT_FALSE(Exists(binary));
  Key(Qt::Key_F5);
  ASSERT_TRUE(WaitForPane(QStringLiteral("Boot says hello"))) << Pane().toStdString();
  const QStringList lines = Pane().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0], QStringLiteral("编译完成："));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("开始运行：") + QPath("a b-启动;$(x).bin")));
  EXPECT_EQ(lines[3], QStringLiteral("Boot says hello"));
  const pid_t pid = static_cast<pid_t>(Pid());
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(Running(pid));
  EXPECT_TRUE(window_->SrcEditor1->hasFocus());
  Key(Qt::Key_F5, Qt::ShiftModifier);
  ASSERT_TRUE(WaitForPane(QStringLiteral("运行已停止。"), 10000));
  EXPECT_FALSE(Running(pid));
  EXPECT_EQ(Pid(), 0);

  // The binary is current now: F5 runs it again without assembling.
  const TFileStamp before = StampOf(binary);
  window_->Run1->trigger();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Pane().count(QStringLiteral("Boot says hello")) == 2; }, 30000));
  EXPECT_EQ(StampOf(binary), before);

  // F5 during the run asks; No keeps it, Yes starts a new one.
  const long long first = Pid();
  dialogs_.message_answers.push_back(mrNo);
  Key(Qt::Key_F5);
  EXPECT_EQ(dialogs_.LastMessage(), QStringLiteral("程序正在运行。要停止它并重新运行吗？"));
  EXPECT_EQ(Pid(), first);
  dialogs_.message_answers.push_back(mrYes);
  Key(Qt::Key_F5);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Pane().count(QStringLiteral("Boot says hello")) == 3; }, 30000));
  EXPECT_FALSE(Running(static_cast<pid_t>(first)));
  const long long second = Pid();
  EXPECT_NE(second, first);

  // Closing the window: the close prompt first (declined with Escape: the
  // run goes on), then the run ends with the window.
  TypeText(*window_->SrcEditor1, QStringLiteral("; edit"));
  dialogs_.message_answers.push_back(mrCancel);
  window_->close();
  EXPECT_EQ(Questions(), 1);
  EXPECT_TRUE(Running(static_cast<pid_t>(second)));
  dialogs_.message_answers.push_back(mrNo);
  window_->close();
  EXPECT_EQ(Questions(), 2);
  EXPECT_FALSE(Running(static_cast<pid_t>(second)));
  EXPECT_FALSE(window_->ProgramRun1->Running());
}

TEST_F(RunWindowTest, F5AssemblesAgainWhenAnIncludedFileChanged) {
  const std::string source = Path("inc.asm");
  const std::string binary = Path("inc.bin");
  std::string text = kPrintE9;
  text.replace(text.find("msg: db"), text.find("times") - text.find("msg: db"),
               "%include \"msg.inc\"\n");
  Put(source, text);
  const auto say = [&](const std::string& words) {
    Put(Path("msg.inc"), "msg: db \"" + words + "\", 13, 10, 0\n");
    // Newer than the binary however coarse the file system's clock is.
    const timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 5, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, Path("msg.inc").c_str(), later, 0), 0);
  };
  say("first words");
  MakeWindow();
  Open(source);
  Key(Qt::Key_F5);
  ASSERT_TRUE(WaitForPane(QStringLiteral("first words"))) << Pane().toStdString();
  Key(Qt::Key_F5, Qt::ShiftModifier);
  ASSERT_TRUE(WaitForPane(QStringLiteral("运行已停止。"), 10000));
  // In this window's session (the last assembly's map), then in a new
  // window (the listing left beside the source).
  for (const std::string words : {"second words", "third words"}) {
    say(words);
    if (words == "third words") {
      window_->SrcEditor1->SetModified(false);
      MakeWindow();
      Open(source);
    }
    const TFileStamp before = StampOf(binary);
    Key(Qt::Key_F5);
    ASSERT_TRUE(WaitForPane(QString::fromStdString(words))) << Pane().toStdString();
    EXPECT_FALSE(StampOf(binary) == before);
    Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(WaitForPane(QStringLiteral("运行已停止。"), 10000));
  }
}

TEST_F(RunWindowTest, NothingRunsForAFailedAssemblyAnUnbootableImageOrAMissingEmulator) {
  MakeWindow("Display=0\nQemu=" + Path("no-qemu") + "\n");
  // An unnamed text whose save dialog is cancelled: nothing is assembled or run.
  dialogs_.file_answers.push_back(std::nullopt);
  window_->Run1->trigger();
  EXPECT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_TRUE(Pane().isEmpty());
  EXPECT_EQ(Pid(), 0);
  // NASM reports an error: its message shows, nothing runs.
  Put(Path("bad.asm"), "mov ax,\n");
  Open(Path("bad.asm"));
  window_->Run1->trigger();
  EXPECT_TRUE(Pane().contains(QStringLiteral("error"))) << Pane().toStdString();
  EXPECT_FALSE(Pane().contains(QStringLiteral("开始运行")));
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_EQ(Pid(), 0);

  // No boot signature: a message before anything starts.
  Put(Path("nosig.asm"), "org 0x7c00\njmp $\ntimes 510-($-$$) db 0\ndw 0\n");
  Open(Path("nosig.asm"));
  window_->Run1->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("引导标志")));
  EXPECT_TRUE(dialogs_.LastMessage().contains(QPath("nosig.bin")));
  EXPECT_FALSE(Pane().contains(QStringLiteral("开始运行")));

  // A bootable image, but the configured QEMU is not there.
  Put(Path("ok.asm"), kPrintE9);
  Open(Path("ok.asm"));
  window_->Run1->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_TRUE(dialogs_.LastMessage().contains(QPath("no-qemu")));
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("qemu-system-x86")));
  // And a DOS program whose DOSBox is a file that cannot be executed.
  Put(Path("torvane.ini"),
      "[Options]\nComplier=" + nasm_ + "\n[Run]\nDisplay=0\nDosBox=" + Path("ok.asm") + "\n");
  Put(Path("com.asm"), "org 100h\nret\n");
  Open(Path("com.asm"));
  window_->Run1->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 3u);
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("dosbox")));
  EXPECT_FALSE(Pane().contains(QStringLiteral("开始运行")));
  EXPECT_FALSE(Exists(Path("~TVRUN.COM")));
  EXPECT_EQ(Pid(), 0);
}

TEST_F(RunWindowTest, AnUnfinishedLineShowsAfterAPauseAndQemuErrorsReachThePane) {
  MakeWindow();
  Put(Path("prompt.asm"),
      "org 0x7c00\n  mov si, msg\n.next:\n  cs lodsb\n  test al, al\n  jz .halt\n"
      "  mov dx, 0x3f8\n  out dx, al\n  jmp .next\n.halt:\n  hlt\n  jmp .halt\n"
      "msg: db \"line\", 13, 10, \"Prompt> \", 0\ntimes 510-($-$$) db 0\ndw 0xaa55\n");
  Open(Path("prompt.asm"));
  window_->Run1->trigger();
  ASSERT_TRUE(WaitForPane(QStringLiteral("\nline\nPrompt> "))) << Pane().toStdString();
  window_->Stop1->trigger();
  ASSERT_TRUE(WaitForPane(QStringLiteral("\nPrompt> \n运行已停止。"), 10000))
      << Pane().toStdString();

  // QEMU refuses an extra argument: its message and its status show.
  Put(Path("torvane.ini"),
      "[Options]\nComplier=" + nasm_ + "\n[Run]\nDisplay=0\nQemuArguments=-no-such-option\n");
  window_->Run1->trigger();
  ASSERT_TRUE(WaitForPane(QStringLiteral("运行结束，退出状态：1"))) << Pane().toStdString();
  EXPECT_TRUE(Pane().contains(QStringLiteral("no-such-option")));
  EXPECT_EQ(Pid(), 0);
}

TEST_F(RunWindowTest, AProgramPrintingWithoutEndKeepsThePaneBoundedAndStops) {
  MakeWindow();
  Put(Path("flood.asm"),
      "org 0x7c00\n.again:\n  mov si, msg\n.next:\n  cs lodsb\n  test al, al\n"
      "  jz .again\n  out 0xe9, al\n  jmp .next\n"
      "msg: db \"flood\", 13, 10, 0\ntimes 510-($-$$) db 0\ndw 0xaa55\n");
  Open(Path("flood.asm"));
  const int limit = 500;
  window_->ProgramRun1->SetPaneLineLimit(limit);
  window_->Run1->trigger();
  EXPECT_EQ(window_->Memo1->maximumBlockCount(), limit);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return window_->Memo1->document()->blockCount() >= limit; }, 60000));
  // Stopping does not wait for the flood to be shown (the wait's bound holds it).
  window_->Stop1->trigger();
  ASSERT_TRUE(WaitForPane(QStringLiteral("运行已停止。"), 10000));
  EXPECT_LE(window_->Memo1->document()->blockCount(), limit);
  EXPECT_EQ(window_->Memo1->maximumBlockCount(), 0);  // assembling keeps every line again
}

TEST_F(RunWindowTest, ACallersArgumentsReachQemuLast) {
  MakeWindow();
  Put(Path("boot.asm"), kPrintE9);
  Open(Path("boot.asm"));
  // -S: the machine waits for a debugger before its first instruction.
  window_->ProgramRun1->Run({"-S"});
  ASSERT_TRUE(WaitForPane(QStringLiteral("开始运行：")));
  QTest::qWait(500);
  EXPECT_TRUE(window_->ProgramRun1->Running());
  EXPECT_FALSE(Pane().contains(QStringLiteral("Boot says hello")));
  window_->ProgramRun1->StopAndWait();
  EXPECT_TRUE(Pane().endsWith(QStringLiteral("运行已停止。")));
}

TEST_F(RunWindowTest, ComProgramRunsUnderDosBoxAndItsOutputShowsWhenItEnds) {
  MakeWindow();
  Put(Path("hello.asm"),
      "org 0x100\n  mov dx, msg\n  mov ah, 9\n  int 0x21\n  mov ax, 0x4c00\n  int 0x21\n"
      "msg: db \"DOS says hello\", 13, 10, \"$\"\n");
  Open(Path("hello.asm"));
  window_->Run1->trigger();
  ASSERT_TRUE(WaitForPane(QStringLiteral("运行结束，退出状态：0"), 60000)) << Pane().toStdString();
  const QStringList lines = Pane().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 5);
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("开始运行：")));
  EXPECT_EQ(lines[3], QStringLiteral("DOS says hello"));
  for (const char* temporary : {"~TVRUN.COM", "~TVRUN.OUT", "~TVRUN.CNF"}) {
    EXPECT_FALSE(Exists(Path(temporary))) << temporary;
  }
}

TEST_F(RunWindowTest, RunSettingsDialogWritesRunAndKeepsTheRestOfTheFile) {
  MakeWindow("; keep me\nDisplay=0\n");
  dialogs_.form_scripts.push_back([](QDialog& form) {
    auto& dialog = dynamic_cast<TFRunSettings&>(form);
    EXPECT_FALSE(dialog.DisplayCheck->isChecked());
    EXPECT_EQ(dialog.QemuEdit->text(), QStringLiteral("qemu-system-i386"));
    dialog.QemuArgumentsEdit->setText(QStringLiteral("-s -S"));
    dialog.MemoryEdit->setValue(64);
    dialog.KindCombo->setCurrentIndex(2);
    dialog.OkButton->click();
    return dialog.result();
  });
  window_->RunSettings1->trigger();
  const std::string ini = Get(Path("torvane.ini"));
  EXPECT_EQ(ini.substr(0, ini.find("Display=0\n") + 10),
            "[Options]\nComplier=" + nasm_ + "\n[Run]\n; keep me\nDisplay=0\n");
  const TRunSettings settings = ReadRunSettings(Path("torvane.ini"));
  EXPECT_EQ(settings.QemuArguments, "-s -S");
  EXPECT_EQ(settings.MemoryMb, 64);
  EXPECT_EQ(settings.Kind, rkDosCom);
  EXPECT_FALSE(settings.ShowDisplay);
  // Cancel writes nothing.
  dialogs_.form_scripts.push_back([](QDialog& form) {
    auto& dialog = dynamic_cast<TFRunSettings&>(form);
    dialog.MemoryEdit->setValue(8);
    dialog.CancelButton->click();
    return dialog.result();
  });
  window_->RunSettings1->trigger();
  EXPECT_EQ(Get(Path("torvane.ini")), ini);
}

}  // namespace
}  // namespace torvane
