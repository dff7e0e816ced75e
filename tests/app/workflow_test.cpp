// The additions to the main window, end to end: the 编辑 and 查看 menus, the
// window's keys (also while the editor has focus), the [View] switches in
// the settings file, the status bar, jumping from assembler messages to
// their lines (also in another file), the gutter marks of errors and
// warnings, and the file named on the command line.
#include <sys/stat.h>

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/message_jump.h"
#include "app/status_bar.h"
#include "app_fixture.h"

namespace torvane {
namespace {

class WorkflowTest : public WindowTest {
 protected:
  // A stand-in assembler that writes `log` (printf format) as its log.
  void UseAssemblerWritingLog(const std::string& log) {
    const std::string script = Path("fake-nasm");
    Put(script, "#!/bin/sh\nlog=${5#-Z}\nprintf '" + log + "' > \"$log\"\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    Put(Path("torvane.ini"), "[Options]\nComplier=" + script + "\n");
    CloseWindow();
    StartWindow();
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  QString Text() { return EditorText(Editor()); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->SrcEditor1, static_cast<Qt::Key>(key), modifiers);
  }
  void OpenWithKey(const std::string& path) {
    dialogs_.file_answers.push_back(QString::fromStdString(path));
    Key(Qt::Key_O, Qt::ControlModifier);
  }
  TBufferPos Caret() { return Editor().Model().CaretPos(); }
  // The pane's marked message line, -1 when none is selected.
  int MarkedPaneLine() {
    const QTextCursor cursor = window_->Memo1->textCursor();
    if (!cursor.hasSelection()) {
      return -1;
    }
    EXPECT_EQ(cursor.selectedText(), cursor.block().text());
    return cursor.blockNumber();
  }
  std::string Marks() { return window_->MessageJumps->Marks().Dump(); }
};

TEST_F(WorkflowTest, EditAndViewMenusStandBetweenOptionsAndHelp) {
  QStringList menus;
  for (const QAction* action : window_->menuBar()->actions()) {
    menus << action->text();
  }
  EXPECT_EQ(menus,
            (QStringList{"文件(&F)", "选项(&O)", "编辑(&E)", "查看(&V)", "运行(&R)", "说明(&H)"}));
  // The find items come first, then a separator and the message items.
  const QStringList edit = Captions(window_->E1);
  ASSERT_GE(edit.size(), 3);
  EXPECT_EQ(edit.mid(edit.size() - 3), (QStringList{"-", "下一条消息", "上一条消息"}));
  EXPECT_EQ(window_->NextMessage1->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(window_->PreviousMessage1->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F8));
  const QStringList view = Captions(window_->ViewMenu);
  ASSERT_GE(view.size(), 4);
  EXPECT_EQ(view.mid(0, 4),
            (QStringList{"状态栏(&S)", "自动换行(&W)", "代码折叠(&F)", "显示空白字符(&B)"}));
  for (QAction* action :
       {window_->StatusBar1, window_->WordWrap1, window_->CodeFolding1, window_->SpecialChars1}) {
    EXPECT_TRUE(action->isCheckable());
    EXPECT_FALSE(action->isChecked());
    EXPECT_TRUE(action->shortcut().isEmpty());
  }
  // The described menus keep no shortcuts of their own (the File menu only
  // shows the window's), and nothing of the additions shows or is written
  // until used.
  for (const QMenu* menu : {window_->O1, window_->H1}) {
    for (const QAction* action : menu->actions()) {
      EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    }
  }
  EXPECT_EQ(window_->findChild<QStatusBar*>(), nullptr);
  EXPECT_FALSE(Editor().WordWrap().Enabled());
  EXPECT_FALSE(Editor().CodeFoldingEnabled());
  EXPECT_FALSE(Editor().Options().Has(eoShowSpecialChars));
  EXPECT_TRUE(Editor().CodeFolding().HighlighterFoldRegions());
  EXPECT_FALSE(Exists(Path("torvane.ini")));
}

TEST_F(WorkflowTest, KeysOpenSaveAndAssembleWhileTheEditorHasFocus) {
  UseAssemblerWritingLog("");
  Put(Path("a.asm"), "nop\r\n");
  OpenWithKey(Path("a.asm"));
  EXPECT_EQ(window_->CurrentFileName(), Path("a.asm"));
  EXPECT_EQ(Text(), QStringLiteral("nop"));
  ASSERT_TRUE(Editor().hasFocus());
  Key(Qt::Key_X);  // a plain key still types
  EXPECT_EQ(Text(), QStringLiteral("xnop"));
  Key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Get(Path("a.asm")), "xnop\r\n");  // saved with its final line break
  EXPECT_FALSE(Editor().Modified());
  EXPECT_EQ(Text(), QStringLiteral("xnop"));  // no 's' typed

  Key(Qt::Key_Y);
  Key(Qt::Key_F9);  // saves, then assembles
  EXPECT_EQ(Get(Path("a.asm")), "xynop\r\n");
  EXPECT_EQ(window_->Memo1->toPlainText(),
            QStringLiteral("编译完成：\n") + QPath("a.asm") + " --> " + QPath("a.bin"));
  // An unnamed document: Ctrl+S asks for a name, as Save does.
  window_->N1->trigger();
  Key(Qt::Key_Z);
  dialogs_.file_answers.push_back(QPath("b.asm"));
  Key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(window_->CurrentFileName(), Path("b.asm"));
  EXPECT_EQ(Get(Path("b.asm")), "z\n");
  // A failing open through the key shows the usual error and changes nothing.
  OpenWithKey(Path("missing.asm"));
  EXPECT_EQ(window_->CurrentFileName(), Path("b.asm"));
  EXPECT_TRUE(dialogs_.LastMessage().startsWith(QPath("missing.asm") + " 文档打开时出错"));
}

TEST_F(WorkflowTest, KeysWaitWhileTheAssemblerRuns) {
  // The stand-in counts its runs and waits (at most 30 s) for the file "go".
  const std::string script = Path("slow-nasm");
  Put(script,
      "#!/bin/sh\necho run >> runs.txt\nlog=${5#-Z}\ni=0\n"
      "while [ ! -e go ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n: > \"$log\"\n");
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  Put(Path("torvane.ini"), "[Options]\nComplier=" + script + "\n");
  CloseWindow();
  StartWindow();
  Put(Path("w.asm"), "nop\n");
  OpenWithKey(Path("w.asm"));
  bool pressed = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!window_->Assembling() || !Exists(Path("runs.txt"))) {
      return;
    }
    poll.stop();
    for (QWidget* target :
         {static_cast<QWidget*>(window_->SrcEditor1), static_cast<QWidget*>(window_->Memo1)}) {
      QTest::keyClick(target, Qt::Key_F9);
      QTest::keyClick(target, Qt::Key_S, Qt::ControlModifier);
      QTest::keyClick(target, Qt::Key_O, Qt::ControlModifier);
      QTest::keyClick(target, Qt::Key_F8);
    }
    window_->SaveKey->trigger();
    window_->AssembleKey->trigger();
    pressed = true;
    Put(Path("go"), "");
  });
  poll.start(20);
  Key(Qt::Key_F9);
  poll.stop();
  EXPECT_TRUE(pressed);
  EXPECT_FALSE(window_->Assembling());
  EXPECT_EQ(Get(Path("runs.txt")), "run\n");     // one run, no second one
  EXPECT_EQ(dialogs_.file_requests.size(), 1u);  // only the first Ctrl+O asked
  EXPECT_TRUE(window_->Memo1->toPlainText().startsWith(QStringLiteral("编译完成：")));
}

// With folding on, a file opened through the menu or by name shows its
// blocks at once, and so does text when folding is switched on from the
// View menu; no edit or caret key is needed first.
TEST_F(WorkflowTest, FoldingFindsTheBlocksOfAnOpenedFileAndWhenSwitchedOn) {
  Put(Path("a.asm"), "start:\n%macro m 0\n  nop\n%endmacro\n%if X\n  ret\n%endif\n");
  Put(Path("b.asm"), "%rep 2\n  nop\n%endrep\n");
  window_->CodeFolding1->trigger();
  ASSERT_TRUE(Editor().CodeFoldingEnabled());
  ASSERT_TRUE(window_->OpenNamedFile(Path("a.asm")));
  EXPECT_EQ(Editor().FoldRanges().Count(), 2);
  EXPECT_NE(Editor().FoldRanges().FindFoldStartAt(2), nullptr);
  EXPECT_NE(Editor().FoldRanges().FindFoldStartAt(5), nullptr);
  OpenWithKey(Path("b.asm"));
  EXPECT_EQ(Editor().FoldRanges().Count(), 1);
  EXPECT_NE(Editor().FoldRanges().FindFoldStartAt(1), nullptr);
  // Off, a new file, on again.
  window_->CodeFolding1->trigger();
  ASSERT_FALSE(Editor().CodeFoldingEnabled());
  ASSERT_TRUE(window_->OpenNamedFile(Path("a.asm")));
  window_->CodeFolding1->trigger();
  ASSERT_TRUE(Editor().CodeFoldingEnabled());
  EXPECT_EQ(Editor().FoldRanges().Count(), 2);
  EXPECT_NE(Editor().FoldRanges().FindFoldStartAt(5), nullptr);
}

TEST_F(WorkflowTest, ViewSwitchesApplyAndPersistWithoutTouchingOtherLines) {
  const std::string original =
      "; my settings\r\n[Options]\r\nComplier=/usr/bin/nasm\r\n\r\n[View]\r\nWordWrap=0\r\n"
      "Other=keep me\r\n[Last]\r\nx=1\r\n";
  Put(Path("torvane.ini"), original);
  CloseWindow();
  StartWindow();
  EXPECT_FALSE(window_->WordWrap1->isChecked());

  window_->WordWrap1->trigger();
  EXPECT_TRUE(Editor().WordWrap().Enabled());
  EXPECT_TRUE(Editor().Model().WordWrapActive());
  EXPECT_EQ(Editor().WordWrap().Style(), wwsClientWidth);
  window_->CodeFolding1->trigger();
  EXPECT_TRUE(Editor().CodeFoldingEnabled());
  window_->SpecialChars1->trigger();
  EXPECT_TRUE(Editor().Options().Has(eoShowSpecialChars));
  window_->StatusBar1->trigger();
  ASSERT_NE(window_->StatusBar, nullptr);
  EXPECT_FALSE(window_->StatusBar->isHidden());
  EXPECT_EQ(Get(Path("torvane.ini")),
            "; my settings\r\n[Options]\r\nComplier=/usr/bin/nasm\r\n\r\n[View]\r\nWordWrap=1\r\n"
            "Other=keep me\r\nCodeFolding=1\r\nShowSpecialChars=1\r\nStatusBar=1\r\n"
            "[Last]\r\nx=1\r\n");

  // A new start reads them back.
  CloseWindow();
  StartWindow();
  EXPECT_TRUE(window_->WordWrap1->isChecked());
  EXPECT_TRUE(Editor().WordWrap().Enabled());
  EXPECT_TRUE(window_->CodeFolding1->isChecked());
  EXPECT_TRUE(Editor().CodeFoldingEnabled());
  EXPECT_TRUE(Editor().Options().Has(eoShowSpecialChars));
  ASSERT_NE(window_->StatusBar, nullptr);
  EXPECT_FALSE(window_->StatusBar->isHidden());

  // Switched off again: each change rewrites its own line only.
  for (QAction* action :
       {window_->WordWrap1, window_->CodeFolding1, window_->SpecialChars1, window_->StatusBar1}) {
    action->trigger();
  }
  EXPECT_FALSE(Editor().WordWrap().Enabled());
  EXPECT_FALSE(Editor().Model().WordWrapActive());
  EXPECT_FALSE(Editor().CodeFoldingEnabled());
  EXPECT_FALSE(Editor().Options().Has(eoShowSpecialChars));
  EXPECT_TRUE(window_->StatusBar->isHidden());
  EXPECT_EQ(Get(Path("torvane.ini")),
            "; my settings\r\n[Options]\r\nComplier=/usr/bin/nasm\r\n\r\n[View]\r\nWordWrap=0\r\n"
            "Other=keep me\r\nCodeFolding=0\r\nShowSpecialChars=0\r\nStatusBar=0\r\n"
            "[Last]\r\nx=1\r\n");
  // Values that are neither 1 nor 0 read as the default.
  Put(Path("torvane.ini"), "[View]\nWordWrap=yes\nStatusBar=\n");
  CloseWindow();
  StartWindow();
  EXPECT_FALSE(Editor().WordWrap().Enabled());
  EXPECT_EQ(window_->StatusBar, nullptr);
}

TEST_F(WorkflowTest, CodeFoldingFoldsNasmsBlocks) {
  Put(Path("f.asm"),
      "%MACRO m 1\n  nop\n%endmacro\n"             // 1-3, either case
      "%ifdef X\n  db 1\n%else\n  db 2\n%endif\n"  // 4-8
      "%rep 3\n  nop\n%endrep\n"                   // 9-11
      "struc s\n.a resb 1\nendstruc\n"             // 12-14
      "istruc s\n  at .a, db 1\niend\n"            // 15-17
      "db '%macro'\n"                              // 18: in a string, no block
      "; %if in a comment\n"                       // 19
      "mystruc: nop\n"                             // 20: not a whole word
      ";{ data\ndb 1\n;}\n");                      // 21-23
  dialogs_.file_answers.push_back(QPath("f.asm"));
  window_->O2->trigger();
  window_->CodeFolding1->trigger();
  std::vector<std::pair<int, int>> ranges;
  const TSrcEditAllFoldRanges& all = Editor().Model().Folds().Ranges();
  for (int i = 0; i < all.AllCount(); ++i) {
    ranges.emplace_back(all.AllRange(i)->FirstLine, all.AllRange(i)->LastLine);
  }
  const std::vector<std::pair<int, int>> expected{{1, 3},   {4, 8},   {9, 11},
                                                  {12, 14}, {15, 17}, {21, 23}};
  EXPECT_EQ(ranges, expected);
  // Collapsing and expanding through the editor keeps the text.
  ASSERT_TRUE(Editor().Model().CollapseFold(*all.AllRange(0)));
  EXPECT_EQ(Editor().Model().LineCount(), 21);
  window_->CodeFolding1->trigger();  // off: every block opens again
  EXPECT_EQ(Editor().Model().LineCount(), 23);
}

TEST_F(WorkflowTest, StatusBarFollowsTheEditor) {
  window_->StatusBar1->trigger();
  TEditorStatusBar& bar = *window_->StatusBar;
  EXPECT_EQ(bar.Texts(),
            (QStringList{"行 1，字符 1", "列 1", "选中 0", "插入", "普通",
                         QString::fromStdString(CodePage::Current().Name()), "LF", ""}));
  TypeText(Editor(), QStringLiteral("中中ab"));
  for (int i = 0; i < 3; ++i) {
    Editor().ProcessCommand(ecSelLeft);
  }
  EXPECT_EQ(bar.Texts()[0], QStringLiteral("行 1，字符 2"));  // characters, not bytes
  EXPECT_EQ(bar.Texts()[1], QStringLiteral("列 3"));          // after one two-cell character
  EXPECT_EQ(bar.Texts()[2], QStringLiteral("选中 3"));        // '中', 'a' and 'b'
  EXPECT_EQ(bar.Texts()[7], QStringLiteral("已修改"));
  Editor().ProcessCommand(ecToggleMode);
  Editor().ProcessCommand(ecColumnSelect);
  EXPECT_EQ(bar.Texts()[3], QStringLiteral("改写"));
  EXPECT_EQ(bar.Texts()[4], QStringLiteral("列块"));
  Put(Path("u.asm"), "a\nb\n");
  dialogs_.message_answers.push_back(mrNo);  // the typed text goes
  dialogs_.file_answers.push_back(QPath("u.asm"));
  window_->O2->trigger();
  Editor().ProcessCommand(ecDown);
  EXPECT_EQ(bar.Texts()[0], QStringLiteral("行 2，字符 1"));
  EXPECT_EQ(bar.Texts()[6], QStringLiteral("LF"));
  EXPECT_EQ(bar.Texts()[7], QString());
}

TEST_F(WorkflowTest, MessagesLeadToTheirLinesAndMarkTheGutter) {
  UseAssemblerWritingLog(
      "prog.asm:2: error: parser: instruction expected\\n"
      "prog.asm:4: warning: label alone [-w+label-orphan]\\n"
      "prog.asm:4:3: error: again\\n"
      "something else\\n"
      "prog.asm:99: warning: past the end\\n");
  Put(Path("prog.asm"), "l1\nl2\nl3\nl4\nl5\n");
  OpenWithKey(Path("prog.asm"));
  Editor().SetCaretPos({2, 5});
  Key(Qt::Key_F9);
  EXPECT_EQ(window_->Memo1->document()->blockCount(), 6);  // with the count
  EXPECT_EQ(Marks(), "2:E 4:E 99:W");

  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 2}));
  EXPECT_EQ(MarkedPaneLine(), 0);
  EXPECT_TRUE(Editor().hasFocus());
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 4}));
  EXPECT_EQ(MarkedPaneLine(), 1);
  Key(Qt::Key_F8);
  EXPECT_EQ(MarkedPaneLine(), 2);
  Key(Qt::Key_F8);  // "something else" is passed over; line 99 is clamped
  EXPECT_EQ(MarkedPaneLine(), 4);
  EXPECT_EQ(Caret(), (TBufferPos{1, 5}));
  Key(Qt::Key_F8);  // round to the first again
  EXPECT_EQ(MarkedPaneLine(), 0);
  Key(Qt::Key_F8, Qt::ShiftModifier);
  EXPECT_EQ(MarkedPaneLine(), 4);
  Key(Qt::Key_F8, Qt::ShiftModifier);
  EXPECT_EQ(MarkedPaneLine(), 2);
  window_->PreviousMessage1->trigger();
  EXPECT_EQ(MarkedPaneLine(), 1);

  // Enter and a double-click on a pane line.
  QPlainTextEdit& pane = *window_->Memo1;
  pane.setFocus();
  QTextCursor cursor(pane.document()->findBlockByNumber(0));
  pane.setTextCursor(cursor);
  QTest::keyClick(&pane, Qt::Key_Return);
  EXPECT_EQ(Caret(), (TBufferPos{1, 2}));
  EXPECT_TRUE(Editor().hasFocus());
  const QRect line_rect = pane.cursorRect(QTextCursor(pane.document()->findBlockByNumber(1)));
  QTest::mouseDClick(pane.viewport(), Qt::LeftButton, Qt::NoModifier, line_rect.center());
  EXPECT_EQ(Caret(), (TBufferPos{1, 4}));
  EXPECT_EQ(MarkedPaneLine(), 1);
  // A line without a message does nothing.
  pane.setTextCursor(QTextCursor(pane.document()->findBlockByNumber(3)));
  QTest::keyClick(&pane, Qt::Key_Return);
  EXPECT_EQ(Caret(), (TBufferPos{1, 4}));

  // The marks move with edits: two lines typed above line 2, one removed.
  Editor().SetCaretPos({1, 1});
  TypeText(Editor(), QStringLiteral("a"));
  Editor().ProcessCommand(ecLineBreak);
  Editor().ProcessCommand(ecLineBreak);
  EXPECT_EQ(Marks(), "4:E 6:E 101:W");
  Editor().SetCaretPos({1, 1});
  Editor().ProcessCommand(ecDeleteLine);
  EXPECT_EQ(Marks(), "3:E 5:E 100:W");
  EXPECT_FALSE(window_->grab().isNull());  // the gutter paints them
  // Undo puts them back where they were.
  Editor().ProcessCommand(ecUndo);
  EXPECT_EQ(Marks(), "4:E 6:E 101:W");

  // The next assembly clears them (its log is empty this time).
  Put(Path("fake-nasm"), "#!/bin/sh\nlog=${5#-Z}\n: > \"$log\"\n");
  Key(Qt::Key_F9);
  EXPECT_EQ(Marks(), "");
  EXPECT_TRUE(window_->Memo1->toPlainText().startsWith(QStringLiteral("编译完成：")));
}

TEST_F(WorkflowTest, GutterMarksStayOnTheirLinesThroughFolding) {
  UseAssemblerWritingLog("prog.asm:5: error: inside\\nprog.asm:7: warning: below\\n");
  Put(Path("prog.asm"), "nop\n%macro m 0\nnop\nnop\nbad\n%endmacro\nlast\n");
  OpenWithKey(Path("prog.asm"));
  window_->CodeFolding1->trigger();
  Key(Qt::Key_F9);
  EXPECT_EQ(Marks(), "5:E 7:W");
  TSrcEditModel& model = Editor().Model();
  ASSERT_TRUE(model.CollapseFold(*model.Folds().Ranges().AllRange(0)));
  EXPECT_EQ(model.LineCount(), 3);
  EXPECT_EQ(Marks(), "5:E 7:W");  // expanded line numbers do not change
  EXPECT_FALSE(window_->grab().isNull());
  // Jumping into the collapsed block opens it.
  Key(Qt::Key_F8);
  EXPECT_EQ(model.LineCount(), 7);
  EXPECT_EQ(Caret(), (TBufferPos{1, 5}));
  EXPECT_EQ(Marks(), "5:E 7:W");
}

TEST_F(WorkflowTest, AMessageAboutAnotherFileOpensItAfterTheQuestion) {
  ASSERT_EQ(mkdir(Path("inc dir").c_str(), 0755), 0);
  UseAssemblerWritingLog(
      "main.asm:1: error: in main\\n"
      "inc dir/x.inc:3: warning: in the include\\n"
      "inc dir/x.inc:2: error: also there\\n");
  Put(Path("main.asm"), "%include \"inc dir/x.inc\"\n");
  Put(Path("inc dir/x.inc"), "a\nb\nc\n");
  OpenWithKey(Path("main.asm"));
  Key(Qt::Key_F9);
  EXPECT_EQ(Marks(), "1:E");
  TypeText(Editor(), QStringLiteral("; changed "));

  // Escape on the question: nothing happens to the text.
  dialogs_.message_answers.push_back(mrCancel);
  window_->Memo1->setTextCursor(QTextCursor(window_->Memo1->document()->findBlockByNumber(1)));
  QTest::keyClick(window_->Memo1, Qt::Key_Enter);
  EXPECT_EQ(Questions(kDiscardQuestion), 1);
  EXPECT_EQ(dialogs_.messages.back().caption, QStringLiteral("保存修改"));
  EXPECT_EQ(window_->CurrentFileName(), Path("main.asm"));
  EXPECT_TRUE(Editor().Modified());
  EXPECT_EQ(MarkedPaneLine(), -1);

  // No: the include opens, the changes go, the pane stays.
  dialogs_.message_answers.push_back(mrNo);
  Key(Qt::Key_F8);
  EXPECT_EQ(Questions(kDiscardQuestion), 2);
  EXPECT_EQ(window_->CurrentFileName(), Path("inc dir/x.inc"));
  EXPECT_EQ(window_->windowTitle(),
            QStringLiteral("Torvane-2011-11 [%1]").arg(QPath("inc dir/x.inc")));
  EXPECT_EQ(Text(), QStringLiteral("a\nb\nc"));
  EXPECT_FALSE(Editor().Modified());
  EXPECT_EQ(Caret(), (TBufferPos{1, 3}));
  EXPECT_EQ(MarkedPaneLine(), 1);
  EXPECT_EQ(window_->Memo1->document()->blockCount(), 4);  // with the count
  EXPECT_EQ(Marks(), "2:E 3:W");
  EXPECT_EQ(Get(Path("main.asm")), "%include \"inc dir/x.inc\"\n");  // saved by F9

  // Within the same file no question is asked.
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 2}));
  EXPECT_EQ(Questions(kDiscardQuestion), 2);
  EXPECT_EQ(Questions(), 0);  // never the exit prompt

  // Back to main.asm with changes: Yes saves them first.
  TypeText(Editor(), QStringLiteral("z"));
  dialogs_.message_answers.push_back(mrYes);
  Key(Qt::Key_F8);
  EXPECT_EQ(Get(Path("inc dir/x.inc")), "a\nzb\nc\n");
  EXPECT_EQ(window_->Memo1->document()->blockCount(), 4);  // the save kept the messages
  EXPECT_EQ(window_->CurrentFileName(), Path("main.asm"));
  EXPECT_EQ(Caret(), (TBufferPos{1, 1}));
  EXPECT_EQ(Marks(), "1:E");

  // A message about a file that is gone: the open error, the text stays.
  std::remove(Path("inc dir/x.inc").c_str());
  Key(Qt::Key_F8);
  EXPECT_EQ(window_->CurrentFileName(), Path("main.asm"));
  EXPECT_TRUE(dialogs_.LastMessage().startsWith(QPath("inc dir/x.inc") + " 文档打开时出错"));
}

TEST_F(WorkflowTest, JumpsAfterEditsFollowTheMarks) {
  UseAssemblerWritingLog(
      "prog.asm:2: error: two\\nprog.asm:4: warning: four\\nprog.asm:5: note: five\\n");
  Put(Path("prog.asm"), "l1\nl2\nl3\nl4\nl5\n");
  OpenWithKey(Path("prog.asm"));
  Key(Qt::Key_F9);
  EXPECT_EQ(Marks(), "2:E 4:W");
  // Two lines inserted above the error, typed as a user would.
  Editor().SetCaretPos({1, 1});
  Key(Qt::Key_Return);
  Key(Qt::Key_Return);
  EXPECT_EQ(Marks(), "4:E 6:W");
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 4}));
  EXPECT_EQ(Editor().Model().LineText(4), "l2");
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 6}));
  Key(Qt::Key_F8);  // the note has no mark but moves all the same
  EXPECT_EQ(Caret(), (TBufferPos{1, 7}));
  EXPECT_EQ(Editor().Model().LineText(7), "l5");
  // Its line removed: the jump goes to the line that took its place.
  Editor().SetCaretPos({1, 6});
  Editor().ProcessCommand(ecDeleteLine);
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 4}));
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 6}));
  EXPECT_EQ(Editor().Model().LineText(6), "l5");
}

TEST_F(WorkflowTest, F9InAnIncludedFileAssemblesTheFileOfTheMessages) {
  // The stand-in records the file it was given; for main.asm it reports an
  // error in the include, and it writes a listing as NASM does.
  const std::string script = Path("fake-nasm");
  Put(script,
      "#!/bin/sh\necho \"$2\" >> runs.txt\n: > \"${3#-l}\"\nlog=${5#-Z}\n"
      "if [ \"$2\" = main.asm ]; then printf 'x.inc:2: error: bad\\n' > \"$log\"; "
      "else : > \"$log\"; fi\n");
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  Put(Path("torvane.ini"), "[Options]\nComplier=" + script + "\n");
  CloseWindow();
  StartWindow();
  Put(Path("main.asm"), "%include \"x.inc\"\n");
  Put(Path("x.inc"), "a\nb\n");
  Put(Path("other.asm"), "nop\n");
  OpenWithKey(Path("main.asm"));
  Key(Qt::Key_F9);
  Key(Qt::Key_F8);
  ASSERT_EQ(window_->CurrentFileName(), Path("x.inc"));
  EXPECT_EQ(window_->AssemblySource(), Path("main.asm"));
  TypeText(Editor(), QStringLiteral("c"));
  Key(Qt::Key_F9);  // saves the include, assembles main.asm
  EXPECT_EQ(Get(Path("x.inc")), "a\ncb\n");
  EXPECT_EQ(Get(Path("runs.txt")), "main.asm\nmain.asm\n");
  EXPECT_FALSE(Exists(Path("x.lst")));
  EXPECT_EQ(window_->Memo1->toPlainText(),
            QStringLiteral("编译的文件：") + QPath("main.asm") +
                "\nx.inc:2: error: bad\n编译结束：1 个错误，0 个警告。");
  EXPECT_EQ(Marks(), "2:E");
  EXPECT_EQ(window_->CurrentFileName(), Path("x.inc"));
  // The pane's first line is no message: F8 passes over it.
  Key(Qt::Key_F8);
  EXPECT_EQ(Caret(), (TBufferPos{1, 2}));
  window_->C1->trigger();  // the menu item does the same
  EXPECT_EQ(Get(Path("runs.txt")), "main.asm\nmain.asm\nmain.asm\n");

  // Opened through the menu, a file is the one assembled again.
  dialogs_.file_answers.push_back(QPath("x.inc"));
  window_->O2->trigger();
  EXPECT_EQ(window_->AssemblySource(), Path("x.inc"));
  OpenWithKey(Path("other.asm"));
  Key(Qt::Key_F9);
  EXPECT_EQ(Get(Path("runs.txt")), "main.asm\nmain.asm\nmain.asm\nother.asm\n");
  EXPECT_EQ(window_->Memo1->toPlainText(),
            QStringLiteral("编译完成：\n") + QPath("other.asm") + " --> " + QPath("other.bin"));
}

TEST_F(WorkflowTest, StatusBarShowsTheBreaksOfAFileOpenedAtStartUp) {
  Put(Path("torvane.ini"), "[View]\nStatusBar=1\n");
  Put(Path("lf.asm"), "a\nb\n");
  Put(Path("cr.asm"), "a\rb\r");
  CloseWindow();
  StartWindow();
  ASSERT_NE(window_->StatusBar, nullptr);
  EXPECT_EQ(window_->StatusBar->Texts()[6], QStringLiteral("LF"));
  Put(Path("dos.asm"), "a\r\n");
  window_.reset();
  window_ = std::make_unique<TFAsmEd>();
  ASSERT_TRUE(window_->OpenNamedFile(Path("dos.asm")));  // before the window shows
  EXPECT_EQ(window_->StatusBar->Texts()[6], QStringLiteral("CRLF"));
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  ASSERT_TRUE(window_->OpenNamedFile(Path("lf.asm")));
  EXPECT_EQ(window_->StatusBar->Texts()[6], QStringLiteral("LF"));
  EXPECT_EQ(window_->StatusBar->Texts()[0], QStringLiteral("行 1，字符 1"));
  OpenWithKey(Path("cr.asm"));
  EXPECT_EQ(window_->StatusBar->Texts()[6], QStringLiteral("CR"));
  window_->N1->trigger();
  EXPECT_EQ(window_->StatusBar->Texts()[6], QStringLiteral("LF"));
}

TEST_F(WorkflowTest, TheCommandLineNamesAFileToOpen) {
  auto file = [](std::vector<const char*> args) {
    std::vector<char*> argv;
    for (const char* a : args) {
      argv.push_back(const_cast<char*>(a));
    }
    return CommandLineFile(static_cast<int>(argv.size()), argv.data());
  };
  EXPECT_EQ(file({"torvane"}), "");
  EXPECT_EQ(file({"torvane", "boot.asm"}), Path("boot.asm"));
  EXPECT_EQ(file({"torvane", "/x/y z.asm"}), "/x/y z.asm");
  EXPECT_EQ(file({"torvane", "--verbose", "a.asm", "b.asm"}), Path("a.asm"));
  EXPECT_EQ(file({"torvane", "--", "-odd.asm"}), Path("-odd.asm"));
  EXPECT_EQ(file({"torvane", ""}), "");

  Put(Path("boot.asm"), "mov ax, 1\r\n");
  EXPECT_TRUE(window_->OpenNamedFile(file({"torvane", "boot.asm"})));
  EXPECT_EQ(window_->CurrentFileName(), Path("boot.asm"));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Torvane-2011-11 [%1]").arg(QPath("boot.asm")));
  EXPECT_EQ(Text(), QStringLiteral("mov ax, 1"));
  EXPECT_FALSE(Editor().Modified());

  // A missing file: the open error, and the window stays as it was.
  CloseWindow();
  StartWindow();
  EXPECT_FALSE(window_->OpenNamedFile(Path("gone.asm")));
  EXPECT_EQ(window_->CurrentFileName(), "");
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Torvane-2011-11"));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(
      dialogs_.LastMessage(),
      QPath("gone.asm") +
          QStringLiteral(" 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！"));
}

}  // namespace
}  // namespace torvane
