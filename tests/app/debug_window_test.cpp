// 调试 through the main window with the real nasm and a headless QEMU under
// its debug stub: breakpoints by F2 and by a click in the margin, F6, F11,
// F10, Ctrl+F10, F5, a stop in an included file, Shift+F5, the emulator
// killed under the debugger; the source is read-only while debugging.
#include <signal.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
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
  // A key to whatever has the focus, as a user presses it.
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
  }
  void OpenProgram(const std::string& name, const std::string& text) {
    Put(Path(name), text);
    ASSERT_TRUE(window_->OpenNamedFile(Path(name)));
    window_->SrcEditor1->setFocus();
  }

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

// Into protected mode with flat segments, on in 32-bit code.
const char kProtected[] =
    "        org 0x7c00\n"             // 1
    "        bits 16\n"                // 2
    "start:  cli\n"                    // 3
    "        xor ax, ax\n"             // 4
    "        mov ds, ax\n"             // 5
    "        lgdt [gdtr]\n"            // 6
    "        mov eax, cr0\n"           // 7
    "        or eax, 1\n"              // 8
    "        mov cr0, eax\n"           // 9
    "        jmp 0x08:pm\n"            // 10
    "        bits 32\n"                // 11
    "pm:     mov ax, 0x10\n"           // 12
    "        mov ss, ax\n"             // 13
    "        mov eax, 0x12345678\n"    // 14
    "halt:   hlt\n"                    // 15
    "gdt:    dq 0\n"                   // 16
    "        dq 0x00cf9a000000ffff\n"  // 17
    "        dq 0x00cf92000000ffff\n"  // 18
    "gdtr:   dw gdtr - gdt - 1\n"      // 19
    "        dd gdt\n"                 // 20
    "        times 510-($-$$) db 0\n"
    "        dw 0xaa55\n";

TEST_F(DebugWindowTest, ProtectedModeAndThePanelByKeysAlone) {
  OpenProgram("pm.asm", kProtected);
  Caret(9);
  Key(Qt::Key_F2);
  Key(Qt::Key_F6);
  ASSERT_TRUE(Debug().Active()) << dialogs_.LastMessage().toStdString();
  EXPECT_EQ(StoppedLine(), 9);
  EXPECT_FALSE(Debug().Note().contains(QStringLiteral("保护模式")));
  EXPECT_TRUE(Registers().contains(QStringLiteral("AX   =")));
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 10);
  // Said once, at the stop that found the switch; 32-bit forms from then on.
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("切换到保护模式")))
      << Debug().Note().toStdString();
  EXPECT_TRUE(Registers().contains(QStringLiteral("EAX  =00000011"))) << Registers().toStdString();
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 12);
  EXPECT_FALSE(Debug().Note().contains(QStringLiteral("保护模式")));
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("0008:00007C")));
  Key(Qt::Key_F11);
  Key(Qt::Key_F11);
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 15);
  EXPECT_TRUE(Registers().contains(QStringLiteral("EAX  =12345678"))) << Registers().toStdString();
  // A hlt after cli: said, and a step neither waits nor moves.
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("永远停机"))) << Debug().Note().toStdString();
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 15);
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("永远停机")));

  // The panel by keys alone: Ctrl+Tab leaves the editor for it, an Alt key
  // reaches each part, Tab goes on, Escape comes back to the source.
  TDebugPanel& panel = *Debug().Panel();
  bool reached = false;
  for (int press = 0; press < 12 && !reached; ++press) {
    Press(Qt::Key_Tab, Qt::ControlModifier);
    reached = panel.isAncestorOf(QApplication::focusWidget());
  }
  EXPECT_TRUE(reached);
  Press(Qt::Key_G, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), panel.RegistersView());
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), panel.DecimalBox());
  Press(Qt::Key_Space);
  EXPECT_TRUE(Registers().contains(QStringLiteral("EAX  =305419896"))) << Registers().toStdString();
  Press(Qt::Key_D, Qt::AltModifier);  // a mnemonic clicks after a moment
  EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.DecimalBox()->isChecked(); }, 2000));
  EXPECT_TRUE(Registers().contains(QStringLiteral("EAX  =12345678")));
  Press(Qt::Key_A, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), panel.AddressField());
  Press(Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("pm"));
  Press(Qt::Key_Return);
  EXPECT_TRUE(panel.MemoryView()->toPlainText().startsWith(QStringLiteral("07C19  66 B8 10 00")))
      << panel.MemoryView()->toPlainText().toStdString();
  // A selector a segment register holds is read at its base (flat: 0).
  Press(Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10:7C19"));
  Press(Qt::Key_Return);
  EXPECT_TRUE(panel.MemoryView()->toPlainText().startsWith(QStringLiteral("07C19  66 B8 10 00")));
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), panel.MemoryView());
  Press(Qt::Key_K, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), panel.StackView());
  EXPECT_TRUE(panel.StackView()->toPlainText().startsWith(QStringLiteral("ESP+00")));
  Press(Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), window_->SrcEditor1);
  // Every part has a Chinese name for a screen reader.
  for (QWidget* part : std::initializer_list<QWidget*>{
           panel.RegistersView(), panel.DecimalBox(), panel.AddressField(), panel.MemoryView(),
           panel.StackView(), panel.findChild<QLabel*>(QStringLiteral("DebugNote"))}) {
    ASSERT_NE(part, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(part);
    ASSERT_NE(accessible, nullptr);
    const QString name = accessible->text(QAccessible::Name);
    EXPECT_TRUE(!name.isEmpty() && name.at(0).unicode() >= 0x4E00)
        << part->objectName().toStdString();
  }
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_FALSE(Debug().Active());
}

TEST_F(DebugWindowTest, ALoopingProgramACodeOverwriteAndRunningOffTheEndAreSaid) {
  OpenProgram("self.asm",
              "        org 0x7c00\n"                // 1
              "start:  xor ax, ax\n"                // 2
              "        mov ds, ax\n"                // 3
              "        mov bx, ax\n"                // 4
              "        mov si, ax\n"                // 5
              "        mov byte [patch+1], 0x99\n"  // 6
              "patch:  mov ax, 0x1234\n"            // 7
              "        jmp $\n"                     // 8
              "never:  mov cx, 1\n"                 // 9
              "        times 510-($-$$) db 0\n"     // 10
              "        dw 0xaa55\n");               // 11
  // A breakpoint the program never reaches: it is said, and 停止 ends it.
  Caret(9);
  Key(Qt::Key_F2);
  Key(Qt::Key_F6);
  ASSERT_TRUE(Debug().Active()) << dialogs_.LastMessage().toStdString();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return Debug().Note().contains(QStringLiteral("仍未停在断点")); }, 10000))
      << Debug().Note().toStdString();
  EXPECT_TRUE(Debug().ProgramRunning());
  const pid_t pid = static_cast<pid_t>(window_->ProgramRun1->ProcessId());
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_FALSE(Debug().Active());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Running(pid); }, 10000));
  EXPECT_TRUE(dialogs_.messages.empty());

  // Without the loop the program writes over line 7 and runs off its end.
  Key(Qt::Key_F2);
  Caret(8);
  window_->SrcEditor1->ProcessCommand(ecDeleteLine, 0);
  Key(Qt::Key_F6);
  ASSERT_TRUE(Debug().Active()) << dialogs_.LastMessage().toStdString();
  EXPECT_EQ(StoppedLine(), 2);
  for (int k = 0; k < 5; ++k) {
    Key(Qt::Key_F11);
  }
  EXPECT_EQ(StoppedLine(), 7);
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("第 7 行的代码已被程序改写")))
      << Debug().Note().toStdString();
  Key(Qt::Key_F11);
  EXPECT_EQ(StoppedLine(), 8);
  EXPECT_FALSE(Debug().Note().contains(QStringLiteral("改写")));  // once
  EXPECT_TRUE(Registers().contains(QStringLiteral("AX   =1299")));
  for (int k = 0; k < 4 && Debug().CurrentLine() != 0; ++k) {
    Key(Qt::Key_F10);
    StoppedLine();
  }
  EXPECT_EQ(Debug().CurrentLine(), 0);
  EXPECT_TRUE(Debug().Note().contains(QStringLiteral("越过了代码的末尾")))
      << Debug().Note().toStdString();
  EXPECT_TRUE(Registers().contains(QStringLiteral("AX   =1299")));
  EXPECT_TRUE(Debug().Active());
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_TRUE(dialogs_.messages.empty());
}

}  // namespace
}  // namespace torvane
