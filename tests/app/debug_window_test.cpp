// 调试 through the main window with the real nasm and a headless QEMU under
// its debug stub: breakpoints by F2 and by a click in the margin, F6, F11,
// F10, Ctrl+F10, F5, a stop in an included file, Shift+F5, the emulator
// killed under the debugger; the source is read-only while debugging.
#include <signal.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>

#include "app/breakpoint_margin.h"
#include "app/debug_panel.h"
#include "app/main_window.h"
#include "app/program_debug.h"
#include "app/program_run.h"
#include "app_fixture.h"
#include "tests/support/process_state.h"

namespace torvane {
namespace {

const char kBoot[] =
    "        org 0x7c00\n"       // 1
    "        bits 16\n"          // 2
    "start:  xor ax, ax\n"       // 3
    "        mov es, ax\n"       // 4
    "        mov ax, 0x1234\n"   // 5
    "        call sub1\n"        // 6
    "        int 0x12\n"         // 7
    "        call helper\n"      // 8
    "\n"                         // 9
    "halt:   jmp halt\n"         // 10
    "sub1:   mov bx, 5\n"        // 11
    "        ret\n"              // 12
    "%include \"helper.inc\"\n"  // 13
    "        times 510-($-$$) db 0\n"
    "        dw 0xaa55\n";
const char kHelper[] =
    "helper:\n"            // 1
    "        mov dx, 7\n"  // 2
    "        ret\n";       // 3

class DebugWindowTest : public AppTest {
 protected:
  void SetUp() override {
    nasm_ = QStandardPaths::findExecutable(QStringLiteral("nasm")).toStdString();
    ASSERT_FALSE(nasm_.empty()) << "scripts/deps.sh installs nasm";
    Put(Path("torvane.ini"), "[Options]\nComplier=" + nasm_ + "\n[Run]\nDisplay=0\nMemory=4\n");
    Put(Path("boot.asm"), kBoot);
    Put(Path("helper.inc"), kHelper);
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    ASSERT_TRUE(window_->OpenNamedFile(Path("boot.asm")));
    window_->SrcEditor1->setFocus();
  }
  void TearDown() override {
    if (window_) {
      window_->SrcEditor1->SetModified(false);
      window_.reset();
    }
  }
  TProgramDebug& Debug() { return *window_->ProgramDebug1; }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->SrcEditor1, static_cast<Qt::Key>(key), modifiers);
  }
  void Caret(int line) { window_->SrcEditor1->Model().SetCaretAndDeselect({1, line}); }
  // Waits for the program to stop and says on which line of the editor.
  int StoppedLine() {
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !Debug().Active() || !Debug().ProgramRunning(); }, 20000));
    return Debug().CurrentLine();
  }
  QString Registers() { return Debug().Panel()->RegistersView()->toPlainText(); }

  std::string nasm_;
  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(DebugWindowTest, BreakpointsStepsAndAStopInAnIncludedFileByKeyboard) {
  TBreakpointMargin& margin = Debug().Margin();
  TSrcEditor& editor = *window_->SrcEditor1;
  // No room taken before a breakpoint is set.
  EXPECT_EQ(editor.SideColumnWidthOf(&margin), 0);
  Caret(3);
  Key(Qt::Key_F2);
  EXPECT_TRUE(margin.Has(3));
  EXPECT_GT(editor.SideColumnWidthOf(&margin), 0);
  // A breakpoint on the empty line 9 moves to line 10 once debugging.
  Caret(9);
  Key(Qt::Key_F2);
  Key(Qt::Key_F6);
  ASSERT_TRUE(Debug().Active()) << dialogs_.LastMessage().toStdString();
  EXPECT_EQ(StoppedLine(), 3);
  EXPECT_TRUE(margin.Has(10));
  EXPECT_FALSE(margin.Has(9));
  EXPECT_TRUE(Debug().Panel()->isVisible());
  // Read-only: a typed key changes nothing and says why.
  const std::string text = editor.Model().AllText();
  QTest::keyClicks(&editor, QStringLiteral("x"));
  EXPECT_EQ(editor.Model().AllText(), text);
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("只读")));

  // F11 line by line; AX = 0x1234 after its mov, shown as changed.
  Key(Qt::Key_F11);
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 5);
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 6);
  EXPECT_TRUE(Registers().contains(QStringLiteral("AX   =1234"))) << Registers().toStdString();
  EXPECT_TRUE(Debug().Panel()->RegistersView()->toHtml().contains(QStringLiteral("#c00000")));
  // F10 over the call and the interrupt.
  Key(Qt::Key_F10);
  EXPECT_EQ(StoppedLine(), 7);
  EXPECT_TRUE(Registers().contains(QStringLiteral("BX   =0005")));
  Key(Qt::Key_F10);
  EXPECT_EQ(StoppedLine(), 8);
  // Memory at a register and a label; decimal.
  Debug().Panel()->AddressField()->setText(QStringLiteral("start"));
  emit Debug().Panel()->AddressField()->editingFinished();
  EXPECT_TRUE(Debug().Panel()->MemoryView()->toPlainText().startsWith(
      QStringLiteral("07C00  31 C0 8E C0 B8 34 12")))
      << Debug().Panel()->MemoryView()->toPlainText().toStdString();
  Debug().Panel()->DecimalBox()->setChecked(true);
  EXPECT_TRUE(Registers().contains(QStringLiteral("BX   =5\n"))) << Registers().toStdString();
  Debug().Panel()->DecimalBox()->setChecked(false);

  // A breakpoint in the included file: F5 goes on and the file opens.
  window_->SetAssemblySource(Path("boot.asm"));
  Debug().Margin().Set(10, false);
  ASSERT_TRUE(window_->OpenNamedFile(Path("helper.inc")));
  window_->SrcEditor1->SetReadOnly(true);
  Caret(2);
  Key(Qt::Key_F2);
  ASSERT_TRUE(window_->OpenNamedFile(Path("boot.asm")));
  Key(Qt::Key_F5);
  EXPECT_EQ(StoppedLine(), 2);
  EXPECT_EQ(window_->CurrentFileName(), Path("helper.inc"));
  EXPECT_EQ(window_->AssemblySource(), Path("boot.asm"));
  // Run to the cursor, back in the main file.
  ASSERT_TRUE(window_->OpenNamedFile(Path("boot.asm")));
  window_->SrcEditor1->SetReadOnly(true);
  Caret(10);
  Key(Qt::Key_F10, Qt::ControlModifier);
  EXPECT_EQ(StoppedLine(), 10);
  EXPECT_TRUE(Registers().contains(QStringLiteral("DX   =0007")));

  // Shift+F5 ends it all: editable again, no emulator left.
  const pid_t pid = static_cast<pid_t>(window_->ProgramRun1->ProcessId());
  ASSERT_GT(pid, 0);
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_FALSE(Debug().Active());
  EXPECT_FALSE(editor.ReadOnly());
  EXPECT_FALSE(Debug().Panel()->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Running(pid); }, 10000));
  EXPECT_TRUE(margin.Has(3));  // breakpoints stay for the next session
}

TEST_F(DebugWindowTest, AClickInTheMarginAndTheEmulatorKilledUnderTheDebugger) {
  // Breakpoints follow lines inserted and deleted above them, and undo.
  TBreakpointMargin& margin = Debug().Margin();
  Caret(6);
  Key(Qt::Key_F2);
  Caret(1);
  Key(Qt::Key_Return);
  EXPECT_TRUE(margin.Has(7));
  window_->SrcEditor1->ProcessCommand(ecUndo, 0);
  EXPECT_TRUE(margin.Has(6));
  Caret(5);
  window_->SrcEditor1->ProcessCommand(ecDeleteLine, 0);
  EXPECT_EQ(margin.Lines(), std::set<int>{5});
  window_->SrcEditor1->ProcessCommand(ecUndo, 0);
  EXPECT_EQ(margin.Lines(), std::set<int>{6});
  margin.Set(6, false);
  window_->SrcEditor1->SetModified(false);
  // Without breakpoints F6 stops at the first line.
  Key(Qt::Key_F6);
  ASSERT_TRUE(Debug().Active());
  EXPECT_EQ(StoppedLine(), 3);
  TSrcEditor& editor = *window_->SrcEditor1;
  // A click in the margin on line 6 sets a breakpoint there; F5 runs to it.
  const int x = editor.SideColumnLeft(&Debug().Margin()) + 2;
  const int y = (6 - editor.FirstVisibleRow()) * editor.RowHeight() + editor.RowHeight() / 2;
  QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
  EXPECT_TRUE(Debug().Margin().Has(6));
  Key(Qt::Key_F5);
  EXPECT_EQ(StoppedLine(), 6);
  // The program runs on (jmp halt) and the emulator is killed meanwhile: a
  // message, the session ends, nothing hangs.
  Debug().Margin().Set(6, false);
  Key(Qt::Key_F5);
  const pid_t pid = static_cast<pid_t>(window_->ProgramRun1->ProcessId());
  ASSERT_GT(pid, 0);
  kill(pid, SIGKILL);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Debug().Active(); }, 10000));
  EXPECT_EQ(dialogs_.messages.back().caption, QStringLiteral("调试"));
  EXPECT_FALSE(editor.ReadOnly());
  // Debugging again after a change assembles first.
  Caret(1);
  TypeText(editor, QStringLiteral("; again"));
  Key(Qt::Key_Return);
  Key(Qt::Key_F6);
  ASSERT_TRUE(Debug().Active());
  EXPECT_EQ(StoppedLine(), 4);  // the first line moved down by the added line
  EXPECT_FALSE(editor.Modified());
  Key(Qt::Key_F5, Qt::ShiftModifier);
}

}  // namespace
}  // namespace torvane
