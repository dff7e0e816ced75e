// Where typed keys go in the real window: the editor has the keyboard right
// after start-up (with and without a file argument), after every kind of
// open, after assembling, after each dialog (which takes the keyboard while
// it is up, as a real one does) and when the find bar closes; Tab indents in
// the editor and Ctrl+Tab moves the focus on.
#include <sys/stat.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include "app/assembler_check.h"
#include "app/find_actions.h"
#include "app/find_bar.h"
#include "app/main_window.h"
#include "app_fixture.h"

namespace torvane {
namespace {

class KeyboardFocusTest : public AppTest {
 protected:
  void TearDown() override {
    if (window_) {
      window_->SrcEditor1->SetModified(false);
    }
  }
  // As the program starts: the window shown, then the file argument opened,
  // then the event loop.
  void Start(const std::string& file = {}) {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    if (!file.empty()) {
      ASSERT_TRUE(window_->OpenNamedFile(file));
    }
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  QString Text() { return EditorText(Editor()); }
  // A key typed now lands in the editor's text; Backspace takes it away.
  void ExpectTypingLands(const char* after) {
    SCOPED_TRACE(after);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_EQ(focus, &Editor()) << (focus ? focus->objectName().toStdString() : "nothing");
    const bool modified = Editor().Modified();
    const QString before = Text();
    QTest::keyClick(focus, Qt::Key_Q);
    EXPECT_EQ(Text().count(QLatin1Char('q')), before.count(QLatin1Char('q')) + 1);
    QTest::keyClick(focus, Qt::Key_Backspace);
    EXPECT_EQ(Text(), before);
    Editor().SetModified(modified);
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : window_.get(), key, modifiers);
  }
  // A stand-in assembler: a log naming line 2 of x.inc for main.asm.
  void UseAssemblerWithMessages() {
    const std::string script = Path("fake-nasm");
    Put(script,
        "#!/bin/sh\nlog=${5#-Z}\nif [ \"$2\" = main.asm ]; then\n"
        "printf 'x.inc:2: error: bad\\n' > \"$log\"\nelse : > \"$log\"; fi\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    Put(Path("torvane.ini"), "[Options]\nComplier=" + script + "\n");
  }

  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(KeyboardFocusTest, KeysTypedRightAfterStartUpLandInTheEditor) {
  Start();
  ExpectTypingLands("start-up");
  // Typing alone makes the text one to ask about.
  QTest::keyClicks(&Editor(), "db 1");
  EXPECT_EQ(Text(), QStringLiteral("db 1"));
  EXPECT_TRUE(Editor().Modified());

  Put(Path("arg.asm"), "nop\n");
  window_->SrcEditor1->SetModified(false);
  Start(Path("arg.asm"));
  ExpectTypingLands("start-up with a file argument");
  EXPECT_EQ(Text(), QStringLiteral("nop"));
}

TEST_F(KeyboardFocusTest, KeysLandInTheEditorAfterEachKindOfOpen) {
  UseAssemblerWithMessages();
  Put(Path("main.asm"), "%include \"x.inc\"\n");
  Put(Path("x.inc"), "a\nb\n");
  Start();
  dialogs_.take_focus = true;
  window_->Memo1->setFocus();  // wherever the focus was before
  dialogs_.file_answers.push_back(QPath("x.inc"));
  window_->O2->trigger();
  EXPECT_EQ(window_->CurrentFileName(), Path("x.inc"));
  ExpectTypingLands("the menu's open");

  window_->Memo1->setFocus();
  dialogs_.file_answers.push_back(QPath("main.asm"));
  QTest::keyClick(window_->Memo1, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(window_->CurrentFileName(), Path("main.asm"));
  ExpectTypingLands("Ctrl+O");

  window_->Memo1->setFocus();
  QTest::keyClick(window_->Memo1, Qt::Key_F9);
  EXPECT_EQ(window_->Memo1->document()->blockCount(), 2);  // the error and the count
  ExpectTypingLands("assembling");

  // Enter on the message in the pane opens x.inc, after the question.
  Editor().ProcessCommand(ecChar, ' ');
  dialogs_.message_answers.push_back(mrNo);
  window_->Memo1->setFocus();
  window_->Memo1->setTextCursor(QTextCursor(window_->Memo1->document()->firstBlock()));
  QTest::keyClick(window_->Memo1, Qt::Key_Return);
  EXPECT_EQ(window_->CurrentFileName(), Path("x.inc"));
  EXPECT_EQ(Editor().CaretPos(), (TBufferPos{1, 2}));
  ExpectTypingLands("a message jump");
  EXPECT_TRUE(dialogs_.file_answers.empty());
}

TEST_F(KeyboardFocusTest, KeysLandInTheEditorAfterEveryDialog) {
  Start();
  dialogs_.take_focus = true;
  dialogs_.form_scripts.push_back([](QDialog&) { return static_cast<int>(mrCancel); });
  window_->V1->trigger();
  ExpectTypingLands("the settings dialog");
  dialogs_.form_scripts.push_back([](QDialog&) { return static_cast<int>(mrOk); });
  window_->Torvane1->trigger();
  ExpectTypingLands("the About box");

  TypeText(Editor(), QStringLiteral("db 1"));
  dialogs_.file_answers.push_back(std::nullopt);
  Key(Qt::Key_S, Qt::ControlModifier);  // the save dialog, cancelled
  ExpectTypingLands("a cancelled save dialog");
  dialogs_.message_answers.push_back(mrCancel);
  window_->X1->trigger();  // the close prompt, dismissed
  EXPECT_TRUE(window_->isVisible());
  ExpectTypingLands("a dismissed close prompt");
  dialogs_.message_answers.push_back(mrCancel);
  window_->N1->trigger();  // the question before New, dismissed
  ExpectTypingLands("a dismissed question");
  dialogs_.file_answers.push_back(QPath("a.asm"));
  if (!NasmOnPath().empty()) {
    dialogs_.message_answers.push_back(mrNo);  // nasm from PATH declined
  }
  Key(Qt::Key_F9);  // saved, then the message: no assembler set
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("编译环境设置")));
  ExpectTypingLands("the assembler message");
  dialogs_.form_scripts.push_back([](QDialog&) { return static_cast<int>(mrCancel); });
  Key(Qt::Key_G, Qt::ControlModifier);
  ExpectTypingLands("the go-to-line dialog");
  EXPECT_TRUE(dialogs_.form_scripts.empty());
  EXPECT_TRUE(dialogs_.message_answers.empty());
}

TEST_F(KeyboardFocusTest, KeysLandInTheEditorWhenTheFindBarCloses) {
  Start();
  TFindBar& bar = *window_->FindActions->Bar;
  Key(Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), bar.FindEdit);
  QTest::keyClicks(bar.FindEdit, "x");
  Key(Qt::Key_Escape);
  ExpectTypingLands("Escape in the find bar");
  Key(Qt::Key_H, Qt::ControlModifier);
  QTest::mouseClick(bar.CloseButton, Qt::LeftButton);
  ExpectTypingLands("the find bar's close button");
}

TEST_F(KeyboardFocusTest, TabIndentsAndCtrlTabMovesTheFocusOn) {
  Put(Path("t.asm"), "mov ax, 1\n");
  Start(Path("t.asm"));
  Key(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &Editor());
  const std::string indent(8, ' ');  // the editor's tabs are blanks
  EXPECT_EQ(Editor().Model().LineText(1), indent + "mov ax, 1");
  Key(Qt::Key_X);
  EXPECT_EQ(Editor().Model().LineText(1), indent + "xmov ax, 1");  // keys after it still type
  Key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), window_->Memo1);
  EXPECT_EQ(Editor().Model().LineText(1), indent + "xmov ax, 1");
  Key(Qt::Key_Tab);  // from the pane, Tab goes back on round
  EXPECT_EQ(QApplication::focusWidget(), &Editor());
  Key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), window_->Memo1);
  Editor().setFocus();
  Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), window_->Memo1);
  // The control itself keeps its default for other users.
  TSrcEditor other;
  EXPECT_FALSE(other.Input().WantTabs());
  EXPECT_TRUE(Editor().Input().WantTabs());
}

}  // namespace
}  // namespace torvane
