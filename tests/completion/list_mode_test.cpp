// List mode through the shortcut: filtering by the word at the caret, every
// key of the window, completing inside one undo group, cancelling.
#include <QSignalSpy>

#include "completion_fixture.h"
#include "editor/commands.h"

namespace torvane {
namespace {

std::vector<std::string> Shown(const TSrcCompletionProposal& proposal) {
  std::vector<std::string> texts;
  for (const TDisplayedItem& item : proposal.Form().List().Displayed()) {
    texts.push_back(item.Text);
  }
  return texts;
}

TEST_F(CompletionTest, ShortcutOpensTheListForTheWordLeftOfTheCaret) {
  SetText("  mo", 5);
  OpenList();
  ASSERT_TRUE(proposal.Visible());
  EXPECT_EQ(proposal.Form().DisplayType(), ctCode);
  EXPECT_EQ(Shown(proposal), (std::vector<std::string>{"mov", "movsb", "movzx"}));
  EXPECT_EQ(proposal.CompletionStart(), 3);
  EXPECT_EQ(proposal.Form().List().CurrentString(), "mo");
  // List mode takes the keyboard.
  EXPECT_TRUE(Form().focusPolicy() != Qt::NoFocus);
  EXPECT_FALSE(Form().testAttribute(Qt::WA_ShowWithoutActivating));
  // The default size: 260 wide, 8 rows of the font plus the frame.
  EXPECT_EQ(Form().width(), 260);
  EXPECT_EQ(Form().height(),
            proposal.Form().EffectiveItemHeight() * 8 + 2 * proposal.Form().FrameWidth());
  // Nothing was typed by the shortcut.
  EXPECT_EQ(Line(), "  mo");
}

TEST_F(CompletionTest, EnterCompletesTheWordInOneUndoGroup) {
  SetText("  mo eax", 5);
  OpenList();
  FormKey(Qt::Key_Down);
  EXPECT_EQ(proposal.Form().List().Position(), 1);
  std::string completed;
  proposal.OnAfterCodeCompletion = [&](TSrcBaseCompletionProposal&, std::string& value, TShiftState,
                                       int index, char end) {
    completed = value + "/" + std::to_string(index) + "/" + std::to_string(end);
  };
  FormKey(Qt::Key_Return);
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(Line(), "  movsb eax");
  EXPECT_EQ(completed, "movsb/1/0");
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{8, 1}));
  EXPECT_FALSE(edit.HasSelection());
  // One undo takes the whole completion back.
  edit.ProcessCommand(ecUndo);
  EXPECT_EQ(Line(), "  mo eax");
  edit.ProcessCommand(ecRedo);
  EXPECT_EQ(Line(), "  movsb eax");
}

TEST_F(CompletionTest, CompletingInLineAndColumnModeReplacesOnlyTheWord) {
  for (const TSrcSelectionMode mode : {smLine, smColumn}) {
    SCOPED_TRACE(mode);
    SetText("  mo eax", 5);
    edit.Lines().AppendLine("ret");
    edit.SetSelectionMode(mode);
    OpenList();
    FormKey(Qt::Key_Return);
    EXPECT_EQ(Line(1), "  mov eax");
    EXPECT_EQ(Line(2), "ret");
    EXPECT_EQ(edit.SelectionMode(), mode);
    edit.ProcessCommand(ecUndo);
    EXPECT_EQ(Line(1), "  mo eax");
    EXPECT_EQ(Line(2), "ret");
    edit.SetSelectionMode(smNormal);
  }
}

TEST_F(CompletionTest, CompletingWithoutAnEndCharacterReplacesTheWholeWord) {
  SetText("mxyz", 2);  // caret inside the word
  proposal.ItemList() = {"mov", "mul"};
  OpenList();
  FormKey(Qt::Key_Tab);
  EXPECT_EQ(Line(), "mov");
  // OnCodeCompletion may change the value.
  SetText("a", 2);
  proposal.OnCodeCompletion = [](TSrcBaseCompletionProposal&, std::string& value, TShiftState, int,
                                 char) { value = "[" + value + "]"; };
  proposal.ItemList() = {"add"};
  OpenList();
  FormKey(Qt::Key_Return);
  EXPECT_EQ(Line(), "[add]");
}

TEST_F(CompletionTest, EndCharactersCompleteAndAreTypedAfterTheValue) {
  SetText("mo", 3);
  OpenList();
  FormType("v");
  EXPECT_EQ(Shown(proposal), (std::vector<std::string>{"mov", "movsb", "movzx"}));
  EXPECT_EQ(Line(), "mov");
  FormType("z");
  EXPECT_EQ(Shown(proposal), (std::vector<std::string>{"movzx"}));
  FormType("(");
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(Line(), "movzx(");

  // Without scoEndCharCompletion the typed text stays.
  TSrcCompletionOptions options = proposal.Options();
  options.Set(scoEndCharCompletion, false);
  proposal.SetOptions(options);
  SetText("mo", 3);
  OpenList();
  FormType(".");
  EXPECT_EQ(Line(), "mo.");

  // A blank completes with no end character, then is typed.
  SetText("ad", 3);
  proposal.SetOptions(kDefaultCompletionOptions);
  OpenList();
  FormType(" ");
  EXPECT_EQ(Line(), "add ");
}

TEST_F(CompletionTest, EscapeAndOtherKeysCancel) {
  int cancelled = 0;
  int closed = 0;
  proposal.OnCancelled = [&](TSrcBaseCompletionProposal&) { ++cancelled; };
  proposal.OnClose = [&](TSrcBaseCompletionProposal&) { ++closed; };
  SetText("mo", 3);
  OpenList();
  FormKey(Qt::Key_Escape);
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(Line(), "mo");

  // A character above 'z' is typed into the editor and ends the list.
  OpenList();
  FormType("{");
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(Line(), "mo{");
  EXPECT_EQ(cancelled, 2);

  // Backspace with an empty typed part deletes in the editor and cancels.
  SetText("x ", 3);
  OpenList();
  ASSERT_TRUE(proposal.Visible());
  EXPECT_EQ(proposal.Form().List().CurrentString(), "");
  FormKey(Qt::Key_Backspace);
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(Line(), "x");
}

TEST_F(CompletionTest, BackspaceLeftRightAndDeleteEditTheTypedPart) {
  SetText("movzq", 5);  // caret before q
  OpenList();
  EXPECT_EQ(Shown(proposal), (std::vector<std::string>{"movzx"}));
  FormKey(Qt::Key_Backspace);
  EXPECT_EQ(Line(), "movq");
  EXPECT_EQ(proposal.Form().List().CurrentString(), "mov");
  EXPECT_EQ(proposal.Form().List().Count(), 3);
  FormKey(Qt::Key_Left);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{3, 1}));
  EXPECT_EQ(proposal.Form().List().CurrentString(), "mo");
  FormKey(Qt::Key_Right);  // 'v' joins the typed part
  EXPECT_EQ(proposal.Form().List().CurrentString(), "mov");
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{4, 1}));
  FormKey(Qt::Key_Delete);
  EXPECT_EQ(Line(), "mov");
  EXPECT_TRUE(proposal.Visible());
  // Right at the line end finds a blank: the list ends, the caret moves on.
  FormKey(Qt::Key_Right);
  EXPECT_FALSE(proposal.Visible());
}

TEST_F(CompletionTest, NavigationKeysMoveTheSelection) {
  proposal.ItemList().clear();
  for (int i = 0; i < 30; ++i) {
    proposal.ItemList().push_back("item" + std::to_string(100 + i));
  }
  std::vector<int> changes;
  proposal.OnChange = [&](TSrcBaseCompletionProposal&, int index) { changes.push_back(index); };
  SetText("", 1);
  OpenList();
  const TProposalList& list = proposal.Form().List();
  ASSERT_EQ(list.VisibleLines(), 8);
  FormKey(Qt::Key_PageDown);
  EXPECT_EQ(list.Position(), 8);
  FormKey(Qt::Key_End);
  EXPECT_EQ(list.Position(), 29);
  EXPECT_EQ(list.TopIndex(), 22);
  FormKey(Qt::Key_PageUp);
  EXPECT_EQ(list.Position(), 21);
  FormKey(Qt::Key_Home);
  EXPECT_EQ(list.Position(), 0);
  FormKey(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(list.Position(), 29);
  FormKey(Qt::Key_Up);
  EXPECT_EQ(list.Position(), 28);
  FormKey(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(list.Position(), 0);
  FormKey(Qt::Key_Up);  // already at the top: nothing
  EXPECT_EQ((std::vector<int>{0, 8, 29, 21, 0, 29, 28, 0}), changes);
}

TEST_F(CompletionTest, InsertListSuppliesTheValue) {
  TSrcCompletionOptions options = proposal.Options();
  options.Set(scoUseInsertList, true);
  proposal.SetOptions(options);
  proposal.ItemList() = {"\\style{+B}mov\\style{-B} reg, reg", "\\style{+B}add"};
  proposal.InsertList() = {"mov", "add"};
  SetText("a", 2);
  OpenList();
  EXPECT_EQ(proposal.Form().List().Count(), 1);
  FormKey(Qt::Key_Return);
  EXPECT_EQ(Line(), "add");
}

TEST_F(CompletionTest, ReadOnlyEditorsAndCancelledExecutesShowNothing) {
  SetText("mo", 3);
  edit.SetReadOnly(true);
  OpenList();
  EXPECT_FALSE(proposal.Visible());
  edit.SetReadOnly(false);
  proposal.OnExecute = [](SrcCompletionType, TSrcBaseCompletionProposal&, std::string&, int&, int&,
                          bool& can_execute) { can_execute = false; };
  OpenList();
  EXPECT_FALSE(proposal.Visible());
  proposal.OnExecute = nullptr;
  proposal.ItemList().clear();
  OpenList();
  EXPECT_FALSE(proposal.Visible());
}

TEST_F(CompletionTest, TheAutoCompletionCommandOpensTheListToo) {
  SetText("an", 3);
  edit.ProcessCommand(ecAutoCompletion);
  ASSERT_TRUE(proposal.Visible());
  EXPECT_EQ(Shown(proposal), (std::vector<std::string>{"and"}));
}

TEST_F(CompletionTest, DetachingUnhooksTheEditor) {
  EXPECT_TRUE(proposal.IsAttached(&edit));
  proposal.DetachEditor(&edit);
  EXPECT_EQ(proposal.AttachedCount(), 0);
  EXPECT_EQ(proposal.Editor(), nullptr);
  SetText("mo", 3);
  OpenList();
  EXPECT_FALSE(proposal.Visible());
  // An attached editor that goes away leaves the proposal usable.
  auto other = std::make_unique<TSrcEdit>();
  proposal.SetEditor(other.get());
  EXPECT_EQ(proposal.AttachedCount(), 1);
  other.reset();
  EXPECT_EQ(proposal.AttachedCount(), 0);
  EXPECT_EQ(proposal.Editor(), nullptr);
}

TEST_F(CompletionTest, ClosingKeepsTheWindowSizeAndClearsTheSwallowFlag) {
  SetText("mo", 3);
  OpenList();
  EXPECT_TRUE(proposal.SwallowNextKey());
  proposal.Form().resize(
      300, proposal.Form().EffectiveItemHeight() * 4 + 2 * proposal.Form().FrameWidth());
  FormKey(Qt::Key_Escape);
  EXPECT_FALSE(proposal.SwallowNextKey());
  EXPECT_EQ(proposal.Width(), 300);
  EXPECT_EQ(proposal.NbLinesInWindow(), 4);
  // The next key reaches the editor.
  QTest::keyClick(&edit, Qt::Key_V);
  EXPECT_EQ(Line(), "mov");
}

TEST_F(CompletionTest, TheListTakesTheKeyboardAndGoesWhenLeft) {
  SetText("mo", 3);
  OpenList();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
  EXPECT_EQ(QApplication::focusWidget(), &Form());
  int cancelled = 0;
  proposal.OnCancelled = [&](TSrcBaseCompletionProposal&) { ++cancelled; };
  edit.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(cancelled, 1);
}

}  // namespace
}  // namespace torvane
