// Find, replace and go to line through the main window: the 编辑 menu and its
// keys (also while the editor has the focus), the find bar with each option in
// UTF-8 and GBK, replacing one and all (undone in one step), and the line
// number dialog.
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <functional>
#include <random>

#include "app/find_actions.h"
#include "app/find_bar.h"
#include "app/go_to_line_dialog.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

class FindTest : public AppTest {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    window_->SrcEditor1->setFocus();
  }
  void TearDown() override {
    window_->SrcEditor1->SetModified(false);
    window_.reset();
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  TFindBar& Bar() { return *window_->FindActions->Bar; }
  // The document's bytes, opened through the menu as a user would.
  void Open(const std::string& bytes) {
    Put(Path("t.asm"), bytes);
    dialogs_.file_answers.push_back(QPath("t.asm"));
    window_->O2->trigger();
    Editor().setFocus();
  }
  QString Selected() { return DecodeText(Editor().SelectedText()); }
  TBufferPos Start() { return Editor().SelStart(); }
  void Key(QWidget* to, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(to, key, mods);
  }
  // Sets the bar's options and pattern, then Enter in the search field.
  void Search(const QString& pattern, bool match_case = false, bool whole_word = false,
              bool regex = false) {
    Bar().MatchCase->setChecked(match_case);
    Bar().WholeWord->setChecked(whole_word);
    Bar().RegularExpression->setChecked(regex);
    Bar().FindEdit->setText(pattern);
    Key(Bar().FindEdit, Qt::Key_Return);
  }
  QString Status() { return Bar().Status->text(); }
  // Folding on, with the test's NASM-like regions, and the text scanned.
  void FoldWithTestRegions() {
    TSrcCodeFolding& folding = Editor().CodeFolding();
    folding.FoldRegions().Clear();
    test::AddNasmFoldRegions(folding.FoldRegions());
    folding.SetHighlighterFoldRegions(false);
    folding.SetEnabled(true);
    Editor().RescanFolds();
  }

  std::unique_ptr<TFAsmEd> window_;
};

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions()) {
    captions << (action->isSeparator()
                     ? QStringLiteral("-")
                     : action->text() + QLatin1Char('|') + action->shortcut().toString());
  }
  return captions;
}

TEST_F(FindTest, TheEditMenuSitsBeforeHelpAndTheBarLeavesTheLayoutAsItWas) {
  QStringList menus;
  for (const QAction* action : window_->menuBar()->actions()) {
    menus << action->text();
  }
  EXPECT_EQ(menus.indexOf("编辑(&E)"), menus.indexOf("选项(&O)") + 1);
  EXPECT_LT(menus.indexOf("编辑(&E)"), menus.indexOf("说明(&H)"));  // 查看 may follow it
  // After the undo and clipboard items at the top.
  const QStringList edit = Captions(window_->E1);
  EXPECT_EQ(edit.mid(edit.indexOf("查找|Ctrl+F"), 5),
            (QStringList{"查找|Ctrl+F", "查找下一个|F3", "查找上一个|Shift+F3", "替换|Ctrl+H",
                         "转到行|Ctrl+G"}));
  // The File menu only shows the window's keys (main_window_test).
  for (const QMenu* described : {window_->O1, window_->H1}) {
    for (const QAction* action : described->actions()) {
      EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    }
  }
  // Hidden, the bar takes no room; shown, the editor gives it up, not the pane.
  EXPECT_TRUE(Bar().isHidden());
  EXPECT_EQ(window_->Splitter1->widget(0), window_->SrcEditor1);
  EXPECT_EQ(window_->Splitter1->widget(1), window_->Memo1);
  const int pane = window_->Memo1->height();
  const int editor = Editor().height();
  window_->FindActions->Find->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(Bar().isVisible());
  EXPECT_EQ(window_->Splitter1->widget(1), &Bar());
  EXPECT_EQ(window_->Memo1->height(), pane);
  EXPECT_LT(Editor().height(), editor);
  EXPECT_TRUE(Bar().ReplaceEdit->isHidden());
  window_->FindActions->Replace->trigger();
  EXPECT_TRUE(Bar().ReplaceEdit->isVisible());
  Key(Bar().FindEdit, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(Bar().isHidden());
  EXPECT_EQ(window_->Splitter1->widget(0), window_->SrcEditor1);
  EXPECT_EQ(window_->Splitter1->widget(1), window_->Memo1);
  EXPECT_EQ(window_->Memo1->height(), pane);
  EXPECT_EQ(Editor().height(), editor);
}

TEST_F(FindTest, KeysReachTheWindowFromTheEditorAndTheBar) {
  Open("mov eax, 1\nadd eax, ebx\nmov ebx, eax\n");
  Editor().SetCaretPos({2, 2});  // in "add"
  ASSERT_TRUE(Editor().hasFocus());
  Key(&Editor(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(Bar().isVisible());
  EXPECT_EQ(QApplication::focusWidget(), Bar().FindEdit);
  EXPECT_EQ(Bar().FindEdit->text(), "add");  // the word at the caret
  EXPECT_EQ(Bar().FindEdit->selectedText(), "add");
  QTest::keyClicks(Bar().FindEdit, "eax");
  Key(Bar().FindEdit, Qt::Key_Return);
  EXPECT_EQ(Start(), (TBufferPos{5, 2}));
  EXPECT_EQ(Selected(), "eax");
  // Escape: back in the editor with the match selected.
  Key(Bar().FindEdit, Qt::Key_Escape);
  EXPECT_TRUE(Bar().isHidden());
  EXPECT_TRUE(Editor().hasFocus());
  EXPECT_EQ(Start(), (TBufferPos{5, 2}));
  EXPECT_EQ(Selected(), "eax");
  // F3 and Shift+F3 from the editor, the bar closed.
  Key(&Editor(), Qt::Key_F3);
  EXPECT_EQ(Start(), (TBufferPos{10, 3}));
  Key(&Editor(), Qt::Key_F3);
  EXPECT_EQ(Start(), (TBufferPos{5, 1}));  // round the end
  Key(&Editor(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Start(), (TBufferPos{10, 3}));  // and back round the start
  Key(&Editor(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Start(), (TBufferPos{5, 2}));
  EXPECT_EQ(Editor().Model().LineText(2), "add eax, ebx");  // no key was typed
  // Ctrl+H from the editor, then the keys also work inside the bar's fields.
  Key(&Editor(), Qt::Key_H, Qt::ControlModifier);
  EXPECT_TRUE(Bar().ReplaceEdit->isVisible());
  EXPECT_EQ(Bar().FindEdit->text(), "eax");  // the selected match
  Key(Bar().FindEdit, Qt::Key_F3);
  EXPECT_EQ(Start(), (TBufferPos{10, 3}));
  EXPECT_EQ(Bar().FindEdit->text(), "eax");
  Key(Bar().ReplaceEdit, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), Bar().FindEdit);
  EXPECT_TRUE(Bar().ReplaceEdit->isHidden());
  dialogs_.form_scripts.push_back([](QDialog& form) {
    EXPECT_EQ(form.windowTitle(), "转到行");
    return static_cast<int>(mrCancel);
  });
  Key(Bar().FindEdit, Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.form_titles.size(), 1u);
  EXPECT_EQ(Bar().FindEdit->text(), "eax");
  // Nothing found with the bar closed: a beep says so.
  Bar().Close();
  Bar().FindEdit->setText("zzz");
  Key(&Editor(), Qt::Key_F3);
  EXPECT_EQ(dialogs_.beeps, 1);
  EXPECT_EQ(Start(), (TBufferPos{10, 3}));
}

TEST_F(FindTest, EachOptionInUtf8AndGbk) {
  for (const char* page_name : {"UTF-8", "GBK"}) {
    SCOPED_TRACE(page_name);
    ScopedCodePage page(page_name);
    // Line 2 has a character whose second byte reads as 'a' in GBK.
    Open(EncodeText(QStringLiteral("Mov ax, 中文\n")) +
         (page_name == std::string("GBK") ? std::string("\x81\x61") : EncodeText("\xe4\xb8\x81")) +
         "a mov_x MOV\n" + EncodeText(QStringLiteral("; 中文 mov\n")));
    const QString first_char = DecodeText(Editor().Model().LineText(2).substr(
        0, static_cast<std::size_t>(CharLength(Editor().Model().LineText(2), 0))));
    window_->FindActions->Find->trigger();
    Editor().SetCaretPos({1, 1});
    Search("a");
    EXPECT_EQ(Start().Line, 1);  // "ax"
    Search("a");
    // Never the second byte of the first character.
    EXPECT_EQ(Start(), (TBufferPos{static_cast<int>(EncodeText(first_char).size()) + 1, 2}));
    Editor().SetCaretPos({1, 1});
    Search("mov", true);
    EXPECT_EQ(Start(), (TBufferPos{static_cast<int>(EncodeText(first_char).size()) + 3, 2}));
    Search("mov", false, true);  // whole word: MOV, then the one in the comment
    EXPECT_EQ(Selected(), "MOV");
    Search("mov", false, true);
    EXPECT_EQ(Start().Line, 3);
    EXPECT_EQ(Selected(), "mov");
    Search(QStringLiteral("中文"));
    EXPECT_EQ(Start(), (TBufferPos{9, 1}));
    EXPECT_EQ(Selected(), QStringLiteral("中文"));
    EXPECT_EQ(Status(), QStringLiteral("已从文档开头继续查找。"));
    Search(QStringLiteral("中文"));
    EXPECT_EQ(Start(), (TBufferPos{3, 3}));
    EXPECT_EQ(Status(), QString());
    Search(QStringLiteral("文\\s+M"), false, false, true);
    EXPECT_EQ(Start().Line, 3);
    EXPECT_EQ(Selected(), QStringLiteral("文 m"));
    Search(first_char + "a", true);
    EXPECT_EQ(Start(), (TBufferPos{1, 2}));
    EXPECT_EQ(Status(), QStringLiteral("已从文档开头继续查找。"));
    Search("MOV", true, true, true);
    EXPECT_EQ(Selected(), "MOV");
    // Backward from that match.
    Key(Bar().FindEdit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "MOV");  // the only one
    Bar().FindEdit->setText("mov");
    Bar().RegularExpression->setChecked(false);
    Bar().MatchCase->setChecked(false);
    Bar().WholeWord->setChecked(false);
    Key(Bar().FindEdit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Start().Line, 2);
    EXPECT_EQ(Selected(), "mov");
    Key(Bar().FindEdit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "Mov");
    Key(Bar().FindEdit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Start().Line, 3);
    EXPECT_EQ(Status(), QStringLiteral("已从文档末尾继续查找。"));
    Search("xyz");
    EXPECT_EQ(Status(), QStringLiteral("找不到“xyz”。"));
    EXPECT_EQ(Start().Line, 3);
    Bar().Close();
  }
}

TEST_F(FindTest, InvalidRegexIsReportedAndInSelectionStaysInside) {
  Open("mov eax, 1\nmov ebx, 2\nmov ecx, 3\nmov edx, 4\n");
  window_->FindActions->Find->trigger();
  Search("(mov", false, false, true);
  EXPECT_TRUE(Status().startsWith(QStringLiteral("正则表达式有误："))) << Status().toStdString();
  EXPECT_FALSE(Editor().HasSelection());
  EXPECT_EQ(window_->FindActions->Replace->isEnabled(), true);
  Bar().ReplaceEdit->setText("x");
  EXPECT_EQ(Bar().ReplaceAll(), 0);
  EXPECT_EQ(Editor().Model().LineText(1), "mov eax, 1");

  // Lines 2 and 3 selected; the scope stays while matches get selected.
  Editor().Model().PlaceCaretAndSelection({1, 4}, {1, 2}, {1, 4});
  Bar().InSelection->setChecked(true);
  Search("mov");
  EXPECT_EQ(Start(), (TBufferPos{1, 2}));
  Search("mov");
  EXPECT_EQ(Start(), (TBufferPos{1, 3}));
  Search("mov");
  EXPECT_EQ(Start(), (TBufferPos{1, 2}));
  EXPECT_EQ(Status(), QStringLiteral("已从文档开头继续查找。"));
  window_->FindActions->Replace->trigger();
  Bar().ReplaceEdit->setText("add");
  EXPECT_EQ(Bar().ReplaceAll(), 2);
  EXPECT_EQ(Status(), QStringLiteral("已替换 2 处。"));
  EXPECT_EQ(EditorText(Editor()), "mov eax, 1\nadd ebx, 2\nadd ecx, 3\nmov edx, 4");
}

TEST_F(FindTest, TabGoesFromTheSearchToTheReplacement) {
  Open("mov eax, 1\nmov ebx, 2\n");
  Editor().SetCaretPos({1, 2});
  Key(&Editor(), Qt::Key_H, Qt::ControlModifier);
  QTest::keyClicks(Bar().FindEdit, "eax");
  Key(Bar().FindEdit, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Bar().ReplaceEdit);
  QTest::keyClicks(QApplication::focusWidget(), "ecx");
  QTest::mouseClick(Bar().ReplaceButton, Qt::LeftButton);  // selects the first match
  QTest::mouseClick(Bar().ReplaceButton, Qt::LeftButton);  // replaces it
  EXPECT_EQ(EditorText(Editor()), "mov ecx, 1\nmov ebx, 2");
  // On through the buttons and the options, and round again.
  const QList<QWidget*> order{Bar().ReplaceEdit,   Bar().NextButton,       Bar().PreviousButton,
                              Bar().ReplaceButton, Bar().ReplaceAllButton, Bar().CloseButton,
                              Bar().MatchCase,     Bar().WholeWord,        Bar().RegularExpression,
                              Bar().InSelection};
  Bar().FindEdit->setFocus();
  for (QWidget* next : order) {
    Key(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }
  Key(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Bar().RegularExpression);
  // The find bar alone: Tab goes from the search to 下一个.
  Key(Bar().FindEdit, Qt::Key_Escape);
  Key(&Editor(), Qt::Key_F, Qt::ControlModifier);
  Key(Bar().FindEdit, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Bar().NextButton);
}

TEST_F(FindTest, InSelectionIsDroppedWithItsSelectionAndSaysWhyItFindsNothing) {
  Open("mov eax, 1\nmov ebx, 2\nmov ecx, 3\nadd edx, 4\n");
  window_->FindActions->Find->trigger();
  Editor().Model().PlaceCaretAndSelection({1, 3}, {1, 1}, {1, 3});  // lines 1 and 2
  Bar().InSelection->setChecked(true);
  Search("ecx");
  EXPECT_EQ(Status(), QStringLiteral("在选定内容中找不到“ecx”。"));
  Search("ebx");
  EXPECT_EQ(Start(), (TBufferPos{5, 2}));
  // Opened again with a match of the scope selected: the scope stays.
  Key(Bar().FindEdit, Qt::Key_Escape);
  Key(&Editor(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(Bar().InSelection->isChecked());
  Search("ecx");
  EXPECT_EQ(Status(), QStringLiteral("在选定内容中找不到“ecx”。"));
  // The caret has left the scope: the whole text is searched again.
  Key(Bar().FindEdit, Qt::Key_Escape);
  Editor().Model().SetCaretAndDeselect({1, 4});
  Key(&Editor(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_FALSE(Bar().InSelection->isChecked());
  Search("ecx");
  EXPECT_EQ(Start(), (TBufferPos{5, 3}));
  Search("zzz");
  EXPECT_EQ(Status(), QStringLiteral("找不到“zzz”。"));
  // Another document: no result of the old one, no scope from it.
  Editor().Model().PlaceCaretAndSelection({1, 3}, {1, 1}, {1, 3});
  Bar().InSelection->setChecked(true);
  Search("zzz");
  EXPECT_FALSE(Status().isEmpty());
  Open("mov eax, 1\n");
  EXPECT_EQ(Status(), QString());
  EXPECT_FALSE(Bar().InSelection->isChecked());
  Search("zzz");
  window_->N1->trigger();
  EXPECT_EQ(Status(), QString());
}

TEST_F(FindTest, InSelectionWithAColumnBlockSearchesItsRectangle) {
  Open("mov eax, mov\nmov ebx, mov\nmov ecx, mov\n");
  window_->FindActions->Replace->trigger();
  TSrcEditModel& model = Editor().Model();
  model.SetSelectionMode(smColumn);
  model.PlaceCaretAndSelection({4, 2}, {1, 1}, {4, 2});  // columns 1-3 of lines 1 and 2
  Bar().InSelection->setChecked(true);
  Search("mov");
  EXPECT_EQ(Start(), (TBufferPos{1, 1}));
  Search("mov");
  EXPECT_EQ(Start(), (TBufferPos{1, 2}));  // not the one at the end of line 1
  Search("mov");
  EXPECT_EQ(Start(), (TBufferPos{1, 1}));
  Bar().ReplaceEdit->setText("add");
  EXPECT_EQ(Bar().ReplaceAll(), 2);
  EXPECT_EQ(EditorText(Editor()), "add eax, mov\nadd ebx, mov\nmov ecx, mov");
}

TEST_F(FindTest, ReplaceOneAndReplaceAllUndoneInOneStep) {
  ScopedCodePage page("GBK");
  const std::string text =
      EncodeText(QStringLiteral("mov ax, 1 ; 中\nmov bx, ax\nnop\nMOV cx, 2\n"));
  Open(text);
  Key(&Editor(), Qt::Key_H, Qt::ControlModifier);
  Bar().FindEdit->setText("mov");
  Bar().ReplaceEdit->setText(QStringLiteral("移动"));
  Key(Bar().ReplaceEdit, Qt::Key_Return);  // nothing selected yet: finds the first
  EXPECT_EQ(Start(), (TBufferPos{1, 1}));
  EXPECT_EQ(Editor().Model().LineText(1), EncodeText(QStringLiteral("mov ax, 1 ; 中")));
  Key(Bar().ReplaceEdit, Qt::Key_Return);  // replaces it and finds the next
  EXPECT_EQ(Editor().Model().LineText(1), EncodeText(QStringLiteral("移动 ax, 1 ; 中")));
  EXPECT_EQ(Start(), (TBufferPos{1, 2}));
  EXPECT_EQ(Selected(), "mov");
  Editor().ProcessCommand(ecUndo);
  EXPECT_EQ(Editor().Model().LineText(1), EncodeText(QStringLiteral("mov ax, 1 ; 中")));

  // Replace all with a regular expression and its groups, then one undo.
  const std::string before = Editor().Model().Lines().GetAllText();
  Bar().RegularExpression->setChecked(true);
  Bar().FindEdit->setText("(\\w+) (\\w+), ");
  Bar().ReplaceEdit->setText("$1 $2,$2+");
  QTest::mouseClick(Bar().ReplaceAllButton, Qt::LeftButton);
  EXPECT_EQ(Status(), QStringLiteral("已替换 3 处。"));
  EXPECT_EQ(EditorText(Editor()),
            QStringLiteral("mov ax,ax+1 ; 中\nmov bx,bx+ax\nnop\nMOV cx,cx+2"));
  EXPECT_TRUE(Editor().Modified());
  Editor().ProcessCommand(ecUndo);
  EXPECT_EQ(Editor().Model().Lines().GetAllText(), before);
  Editor().ProcessCommand(ecRedo);
  EXPECT_EQ(EditorText(Editor()),
            QStringLiteral("mov ax,ax+1 ; 中\nmov bx,bx+ax\nnop\nMOV cx,cx+2"));
  // A read-only editor is left alone.
  Editor().SetReadOnly(true);
  Bar().RegularExpression->setChecked(false);
  Bar().FindEdit->setText("nop");
  EXPECT_EQ(Bar().ReplaceAll(), 0);
  EXPECT_EQ(Editor().Model().LineText(3), "nop");
}

TEST_F(FindTest, GoToLineIsClampedAndScrolledIntoView) {
  std::string text;
  for (int i = 1; i <= 300; ++i) {
    text += "line " + std::to_string(i) + "\n";
  }
  Open(text);
  const int count = Editor().Model().LineCount();
  auto go = [&](const QString& typed, bool ok) {
    dialogs_.form_scripts.push_back([&](QDialog& form) {
      auto& dialog = dynamic_cast<TGoToLineDialog&>(form);
      EXPECT_EQ(dialog.Label->text(), QStringLiteral("行号(1 - %1)：").arg(count));
      dialog.Edit->setText(typed);
      QTest::mouseClick(ok ? dialog.OkButton : dialog.CancelButton, Qt::LeftButton);
      return dialog.result();
    });
    Key(&Editor(), Qt::Key_G, Qt::ControlModifier);
  };
  auto visible = [&] {
    const int row = Editor().Model().DisplayRow();
    return row >= Editor().FirstVisibleRow() &&
           row < Editor().FirstVisibleRow() + Editor().VisibleRows();
  };
  Editor().SetCaretPos({3, 1});
  go("150", true);
  EXPECT_EQ(Editor().CaretPos(), (TBufferPos{1, 150}));
  EXPECT_TRUE(visible());
  go("99999999999", true);
  EXPECT_EQ(Editor().CaretPos(), (TBufferPos{1, count}));
  EXPECT_TRUE(visible());
  go("0", true);
  EXPECT_EQ(Editor().CaretPos(), (TBufferPos{1, 1}));
  EXPECT_TRUE(visible());
  go("42", false);  // cancelled
  EXPECT_EQ(Editor().CaretPos(), (TBufferPos{1, 1}));
  go("", true);  // nothing typed
  EXPECT_EQ(Editor().CaretPos(), (TBufferPos{1, 1}));
  EXPECT_TRUE(Editor().hasFocus());
}

TEST_F(FindTest, TextInCollapsedBlocksIsFoundAndReplaced) {
  Open("start:\n%macro m 0\n  push secret\n%endmacro\nmov secret, 1\n");
  FoldWithTestRegions();
  ASSERT_TRUE(Editor().CollapseFold(*Editor().FoldRanges().FindFoldStartAt(2)));
  ASSERT_EQ(Editor().Model().LineCount(), 3);
  window_->FindActions->Find->trigger();
  Search("secret");
  EXPECT_EQ(Editor().Model().LineCount(), 5);  // the block was opened
  EXPECT_EQ(Start(), (TBufferPos{8, 3}));
  ASSERT_TRUE(Editor().CollapseFold(*Editor().FoldRanges().FindFoldStartAt(2)));
  Bar().ReplaceEdit->setText("rax");
  EXPECT_EQ(Bar().ReplaceAll(), 2);
  EXPECT_EQ(EditorText(Editor()), "start:\n%macro m 0\n  push rax\n%endmacro\nmov rax, 1");
}

TEST_F(FindTest, FindingOpensOnlyTheBlocksAroundTheMatch) {
  // Macro p on lines 2-7 holds the %if block on lines 3-5; macro q is on
  // lines 8-10.
  Open(
      "start:\n%macro p 0\n%if 1\n  push key\n%endif\n  pop rbx\n%endmacro\n"
      "%macro q 0\n  nop\n%endmacro\nmov key, 1\n");
  FoldWithTestRegions();
  TSrcEditAllFoldRanges& ranges = Editor().FoldRanges();
  TSrcEditFoldRange* p = ranges.FindFoldStartAt(2);
  TSrcEditFoldRange* inner = ranges.FindFoldStartAt(3);
  TSrcEditFoldRange* q = ranges.FindFoldStartAt(8);
  ASSERT_TRUE(p != nullptr && inner != nullptr && q != nullptr);
  const auto collapse_all = [&] {
    Editor().CollapseFold(*inner);
    Editor().CollapseFold(*p);
    Editor().CollapseFold(*q);
  };
  collapse_all();
  ASSERT_EQ(Editor().Model().LineCount(), 4);
  window_->FindActions->Find->trigger();

  // Not found: every block stays as it was.
  Search("absent");
  EXPECT_TRUE(p->IsCollapsed && inner->IsCollapsed && q->IsCollapsed);
  EXPECT_EQ(Editor().Model().LineCount(), 4);

  // Before any block: nothing is expanded.
  Editor().SetCaretPos({1, 1});
  Search("art");
  EXPECT_TRUE(p->IsCollapsed && inner->IsCollapsed && q->IsCollapsed);
  EXPECT_EQ(Start(), (TBufferPos{3, 1}));

  // In the inner block: it and the block holding it open, the other stays.
  Editor().SetCaretPos({1, 1});
  Search("key");
  EXPECT_FALSE(p->IsCollapsed || inner->IsCollapsed);
  EXPECT_TRUE(q->IsCollapsed);
  EXPECT_EQ(Start(), (TBufferPos{8, 4}));
  EXPECT_EQ(Selected(), "key");

  // In the outer block only: the inner block is collapsed again.
  collapse_all();
  Editor().SetCaretPos({1, 1});
  Search("rbx");
  EXPECT_FALSE(p->IsCollapsed);
  EXPECT_TRUE(inner->IsCollapsed && q->IsCollapsed);
  EXPECT_EQ(Start(), (TBufferPos{7, 4}));  // lines 4 and 5 hidden in the inner block
  EXPECT_EQ(Selected(), "rbx");

  // Outside every block: all stay collapsed, and the match is selected
  // where the store has its line.
  collapse_all();
  Editor().SetCaretPos({1, 1});
  Search("mov");
  EXPECT_TRUE(p->IsCollapsed && inner->IsCollapsed && q->IsCollapsed);
  EXPECT_EQ(Start(), (TBufferPos{1, 4}));
  EXPECT_EQ(Selected(), "mov");
  EXPECT_EQ(Editor().Model().Folds().ExpandedText(),
            "start:\r\n%macro p 0\r\n%if 1\r\n  push key\r\n%endif\r\n  pop rbx\r\n"
            "%endmacro\r\n%macro q 0\r\n  nop\r\n%endmacro\r\nmov key, 1");
}

TEST_F(FindTest, ReplacingOneByOneKeepsTheFoldsAwayFromTheMatches) {
  Open("key\n%macro p 0\n  key\n%endmacro\nkey\n%macro q 0\n  nop\n%endmacro\nkey\nret\n");
  FoldWithTestRegions();
  TSrcEditFoldRange* p = Editor().FoldRanges().FindFoldStartAt(2);
  TSrcEditFoldRange* q = Editor().FoldRanges().FindFoldStartAt(6);
  ASSERT_TRUE(p != nullptr && q != nullptr);
  Editor().CollapseFold(*q);
  Editor().CollapseFold(*p);
  window_->FindActions->Replace->trigger();
  Bar().ReplaceEdit->setText(QStringLiteral("rax"));
  Search("key");  // line 1
  ASSERT_EQ(Start(), (TBufferPos{1, 1}));
  // Replaces line 1 and finds the match inside p, which opens.
  Key(Bar().ReplaceEdit, Qt::Key_Return);
  EXPECT_FALSE(p->IsCollapsed);
  EXPECT_TRUE(q->IsCollapsed);
  EXPECT_EQ(Selected(), "key");
  // Replaces it and the one after p: q stays collapsed throughout.
  Key(Bar().ReplaceEdit, Qt::Key_Return);
  Key(Bar().ReplaceEdit, Qt::Key_Return);
  EXPECT_TRUE(q->IsCollapsed);
  EXPECT_EQ(Selected(), "key");  // the last line's
  Key(Bar().ReplaceEdit, Qt::Key_Return);
  EXPECT_TRUE(q->IsCollapsed);
  EXPECT_EQ(Editor().Model().Folds().ExpandedText(),
            "rax\r\n%macro p 0\r\n  rax\r\n%endmacro\r\nrax\r\n%macro q 0\r\n  nop\r\n"
            "%endmacro\r\nrax\r\nret");
  // One undo per replacement, back to the start.
  for (int i = 0; i < 4; ++i) {
    Editor().ProcessCommand(ecUndo);
  }
  EXPECT_EQ(Editor().Model().Folds().ExpandedText(),
            "key\r\n%macro p 0\r\n  key\r\n%endmacro\r\nkey\r\n%macro q 0\r\n  nop\r\n"
            "%endmacro\r\nkey\r\nret");
}

// Random nested blocks, random ones collapsed, a search from a random line in
// either direction: the match is the one the expanded text gives, the text
// is untouched, and only blocks around the match were expanded.
TEST_F(FindTest, FindingAroundRandomFoldsAgreesWithTheExpandedText) {
  std::mt19937 rng(20261207);
  const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* const kPlain[] = {"  key", "  nop", "  mov key, 1", "x:", "  keyword"};
  window_->FindActions->Find->trigger();
  for (int trial = 0; trial < 80; ++trial) {
    SCOPED_TRACE(trial);
    std::string text;
    const std::function<void(int)> block = [&](int depth) {
      const int lines = 1 + pick(4);
      for (int i = 0; i < lines; ++i) {
        if (depth < 3 && pick(3) == 0) {
          const bool macro = pick(2) == 0;
          text += macro ? "%macro m 0\n" : "%if 1\n";
          block(depth + 1);
          text += macro ? "%endmacro\n" : "%endif\n";
        } else {
          text += kPlain[pick(5)];
          text += "\n";
        }
      }
    };
    block(0);
    Open(text);
    FoldWithTestRegions();
    TSrcEditAllFoldRanges& ranges = Editor().FoldRanges();
    for (int i = ranges.AllCount() - 1; i >= 0; --i) {
      if (pick(2) == 0) {
        Editor().CollapseFold(*ranges.AllRange(i));
      }
    }
    TSrcEditModel& model = Editor().Model();
    std::vector<TSrcEditFoldRange*> collapsed;
    for (int i = 0; i < ranges.AllCount(); ++i) {
      if (ranges.AllRange(i)->IsCollapsed) {
        collapsed.push_back(ranges.AllRange(i));
      }
    }
    const std::string expanded_before = model.Folds().ExpandedText();
    Editor().SetCaretPos({1 + pick(3), 1 + pick(model.LineCount())});
    const bool backward = pick(2) == 0;
    const bool whole_word = pick(2) == 0;

    TSrcEditStringList expanded;
    expanded.AppendLinesFrom(model.Folds().ExpandedLines());
    TTextSearch search;
    ASSERT_TRUE(
        search.SetPattern(QStringLiteral("key"), {.whole_word = whole_word}, model.WordChars()));
    const auto expected = search.Find(expanded, model.ToExpandedPos(model.CaretPos()), backward);

    Bar().WholeWord->setChecked(whole_word);
    Bar().FindEdit->setText(QStringLiteral("key"));
    Key(Bar().FindEdit, Qt::Key_Return, backward ? Qt::ShiftModifier : Qt::NoModifier);

    EXPECT_EQ(model.Folds().ExpandedText(), expanded_before);
    ASSERT_EQ(Editor().HasSelection(), expected.has_value());
    if (!expected) {
      for (const TSrcEditFoldRange* range : collapsed) {
        EXPECT_TRUE(range->IsCollapsed);
      }
      continue;
    }
    EXPECT_EQ(model.ToExpandedPos(Start()), expected->Start);
    EXPECT_EQ(model.ToExpandedPos(Editor().SelEnd()), expected->End);
    EXPECT_EQ(Selected(), "key");
    for (const TSrcEditFoldRange* range : collapsed) {
      if (range->IsCollapsed) {
        continue;
      }
      // Expanded by the search: it held the match.
      ASSERT_FALSE(range->InsideCollapsed);
      const int first = model.Folds().ExpandedLineNumber(range->FirstLine);
      const int last = model.Folds().ExpandedLineNumber(range->LastLine);
      EXPECT_LT(first, expected->Start.Line);
      EXPECT_LE(expected->Start.Line, last);
    }
  }
}

TEST_F(FindTest, NothingRunsWhileTheAssemblerDoes) {
  const std::string assembler = Path("fake-nasm");
  Put(assembler, "#!/bin/sh\nsleep 30\n");
  ASSERT_EQ(chmod(assembler.c_str(), 0755), 0);
  Put(Path("torvane.ini"), "[Options]\nComplier=" + assembler + "\n");
  window_ = std::make_unique<TFAsmEd>();
  window_->show();
  Open("mov eax, 1\n");
  window_->FindActions->Replace->trigger();
  Bar().FindEdit->setText("mov");
  Bar().ReplaceEdit->setText("add");
  const QList<QAction*> actions = {window_->FindActions->Find, window_->FindActions->FindNext,
                                   window_->FindActions->FindPrevious,
                                   window_->FindActions->Replace, window_->FindActions->GoToLine};
  bool checked = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!window_->Assembling()) {
      return;
    }
    poll.stop();
    checked = true;
    for (const QAction* action : actions) {
      EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
    // The bar's own buttons and Enter do nothing to the text being assembled.
    EXPECT_FALSE(Bar().FindNext(false));
    EXPECT_FALSE(Bar().ReplaceOne());
    EXPECT_EQ(Bar().ReplaceAll(), 0);
    window_->CancelButton->click();
  });
  poll.start(20);
  window_->C1->trigger();
  EXPECT_TRUE(checked);
  EXPECT_EQ(Editor().Model().LineText(1), "mov eax, 1");
  for (const QAction* action : actions) {
    EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
  }
  EXPECT_TRUE(Bar().FindNext(false));
}

}  // namespace
}  // namespace torvane
