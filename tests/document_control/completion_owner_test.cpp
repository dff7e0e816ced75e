// Every document editor has a completion proposal of its own, set up for
// the collapsed-code hint, which works through the editor's command side.
#include <QTest>

#include "completion/completion_proposal.h"
#include "completion/proposal_form.h"
#include "tests/document_control/document_fixture.h"

namespace torvane {
namespace {

TEST_F(DocumentTest, EachEditorOwnsAProposalSetUpForTheHint) {
  TSrcEditor other;
  TSrcCompletionProposal& mine = editor_.CompletionProposal();
  EXPECT_NE(&mine, &other.CompletionProposal());
  EXPECT_FALSE(mine.Visible());
  EXPECT_EQ(mine.ClBackground(), clInfoBk);
  EXPECT_EQ(mine.TimerInterval(), 500);
  EXPECT_EQ(mine.Editor(), nullptr);
  EXPECT_EQ(mine.ShortCut(), ShortCut(VK_SPACE, ssCtrl));
}

TEST_F(DocumentTest, TheProposalCompletesThroughTheDocumentCommands) {
  auto editor = std::make_unique<TSrcEditor>();
  editor->Model().Lines().ReadFromBytes("mo");
  editor->SetCaretPos({3, 1});
  TSrcCompletionProposal& proposal = editor->CompletionProposal();
  proposal.ItemList() = {"mov"};
  proposal.SetEditor(editor.get());
  editor->ProcessCommand(ecAutoCompletion);  // through the hooked command handler
  ASSERT_TRUE(proposal.Visible());
  QTest::keyClick(&proposal.Form(), Qt::Key_Return);
  EXPECT_EQ(editor->Model().LineText(1), "mov");
  EXPECT_TRUE(editor->Modified());
  // An editor with an attached, shown proposal goes away cleanly.
  editor->ProcessCommand(ecAutoCompletion);
  editor.reset();
}

}  // namespace
}  // namespace torvane
