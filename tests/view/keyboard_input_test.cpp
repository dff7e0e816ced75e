// Key presses on a shown editor: commands from the key table, chords,
// typed characters and input-method text, Tab and Enter negotiation.
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "input_test_support.h"

namespace torvane {
namespace {

using KeyboardInputTest = InputTest;

TEST_F(KeyboardInputTest, ChordsCommandKeysAndTypedCharacters) {
  // Ctrl+Q binds nothing, so the next key is looked up on its own.
  QTest::keyClick(&edit, Qt::Key_Q, Qt::ControlModifier);
  QTest::keyClick(&edit, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(commands, (std::vector<TRecordedCommand>{{ecMatchBracket, 0, ""}}));

  // A bare modifier between the two keys of a chord keeps the chord.
  edit.Input().Keystrokes().AddBinding(ecUpperCase, 'Q', ssCtrl, 'U', ssCtrl);
  commands.clear();
  QTest::keyClick(&edit, Qt::Key_Q, Qt::ControlModifier);
  QTest::keyPress(&edit, Qt::Key_Control, Qt::ControlModifier);
  QTest::keyRelease(&edit, Qt::Key_Control, Qt::NoModifier);
  QTest::keyClick(&edit, Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(commands, (std::vector<TRecordedCommand>{{ecUpperCase, 0, ""}}));

  // A command key's own character is not typed; plain keys are.
  commands.clear();
  QTest::keyClick(&edit, Qt::Key_Backspace);
  QTest::keyClick(&edit, Qt::Key_Return);
  QTest::keyClick(&edit, Qt::Key_A);
  QTest::keyClick(&edit, 'A');
  // Ctrl with an unbound key types nothing.
  QTest::keyClick(&edit, Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(
      commands,
      (std::vector<TRecordedCommand>{
          {ecDeleteLastChar, 0, ""}, {ecLineBreak, 0, ""}, {ecChar, 'a', ""}, {ecChar, 'A', ""}}));
}

TEST_F(KeyboardInputTest, BookmarkKeysWorkOnlyWhileEnabled) {
  swallow = false;
  SetText(30, "mov ax, bx");
  const Qt::KeyboardModifiers ctrl_shift = Qt::ControlModifier | Qt::ShiftModifier;
  edit.SetCaretPos({3, 5});
  edit.BookMarkOptions().SetEnableKeys(false);
  QTest::keyClick(&edit, Qt::Key_1, ctrl_shift);
  EXPECT_EQ(edit.Marks().FindBookmark(1), nullptr);
  edit.BookMarkOptions().SetEnableKeys(true);
  QTest::keyClick(&edit, Qt::Key_1, ctrl_shift);
  ASSERT_NE(edit.Marks().FindBookmark(1), nullptr);
  EXPECT_EQ(edit.Marks().FindBookmark(1)->Line(), 5);

  edit.SetCaretPos({1, 20});
  edit.BookMarkOptions().SetEnableKeys(false);
  QTest::keyClick(&edit, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1, 20}));
  QTest::keyClick(&edit, Qt::Key_1, ctrl_shift);  // would toggle it off
  EXPECT_NE(edit.Marks().FindBookmark(1), nullptr);
  // The switch follows a copy of the options, too.
  TSrcBookMarkOpt enabled;
  edit.BookMarkOptions().CopyFrom(enabled);
  QTest::keyClick(&edit, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{3, 5}));
}

TEST_F(KeyboardInputTest, MultiByteTextGoesInOnceAsAString) {
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("\xC3\xA9\xC3\xA9"));  // 4 bytes in UTF-8
  QApplication::sendEvent(&edit, &commit);
  // What follows is typed: Qt sends no echo of a commit string.
  QTest::keyClick(&edit, Qt::Key_A);
  QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier,
                     QString::fromUtf8("\xC3\xA9"));
  QApplication::sendEvent(&edit, &accented);
  EXPECT_EQ(commands,
            (std::vector<TRecordedCommand>{
                {ecImeStr, 0, "\xC3\xA9\xC3\xA9"}, {ecChar, 'a', ""}, {ecImeStr, 0, "\xC3\xA9"}}));
}

TEST_F(KeyboardInputTest, TypingChangesTheTextThroughTheCommandPath) {
  swallow = false;
  QTest::keyClicks(&edit, "mov");
  QTest::keyClick(&edit, Qt::Key_Backspace);
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("\xC3\xA9\xC3\xA9"));
  QApplication::sendEvent(&edit, &commit);
  QTest::keyClick(&edit, Qt::Key_X);
  EXPECT_EQ(edit.Lines().LineCount(), 1);
  EXPECT_EQ(edit.Lines().GetLine(0), "mo\xC3\xA9\xC3\xA9x");
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{8, 1}));
}

TEST_F(KeyboardInputTest, KeyChainsSeeKeysFirst) {
  struct TEater {
    void KeyDown(TCustomSrcEdit*, std::uint16_t& key, TShiftState) {
      if (key == VK_BACK) {
        key = 0;
      }
    }
    void KeyPress(TCustomSrcEdit*, char& ch) {
      if (ch == 'z') {
        ch = 0;
      }
    }
  } eater;
  edit.AddKeyDownHandler(MakeMethod<&TEater::KeyDown>(&eater));
  edit.AddKeyPressHandler(MakeMethod<&TEater::KeyPress>(&eater));
  QTest::keyClick(&edit, Qt::Key_Backspace);
  QTest::keyClick(&edit, Qt::Key_Z);
  QTest::keyClick(&edit, Qt::Key_Y);
  // Backspace's own character still comes (the executor ignores it), the
  // eaten 'z' does not.
  EXPECT_EQ(commands, (std::vector<TRecordedCommand>{{ecChar, '\b', ""}, {ecChar, 'y', ""}}));
  edit.RemoveKeyDownHandler(MakeMethod<&TEater::KeyDown>(&eater));
  edit.RemoveKeyPressHandler(MakeMethod<&TEater::KeyPress>(&eater));
}

TEST(KeyboardFocusTest, TabLeavesTheEditorUnlessItWantsTabs) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* edit = new TSrcEdit;
  auto* other = new QLineEdit;
  layout->addWidget(edit);
  layout->addWidget(other);
  std::vector<TSrcEditorCommand> commands;
  edit->Controller().OnProcessCommand = [&](TSrcEditorCommand& c, char&, void*) {
    if (c != ecFocusGained && c != ecFocusLost) {
      commands.push_back(c);
    }
  };
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  edit->setFocus();
  ASSERT_TRUE(edit->hasFocus());

  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_TRUE(commands.empty());

  edit->setFocus();
  edit->Input().SetWantTabs(true);
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(commands, std::vector<TSrcEditorCommand>{ecTab});

  // Without WantReturns Enter goes on to the form.
  commands.clear();
  edit->Input().SetWantReturns(false);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(commands.empty());
}

}  // namespace
}  // namespace torvane
