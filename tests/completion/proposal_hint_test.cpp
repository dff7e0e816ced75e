// The proposal as the collapsed-code hint: shown in the hint kind and the
// editor's font, never taking the keyboard, placed on the desktop, and
// leaving the editor attached for the list.
#include "completion/proposal_hint.h"

#include <QScreen>

#include "completion/formatted_text.h"
#include "completion_fixture.h"

namespace torvane {
namespace {

class ProposalHintTest : public CompletionTest {
 protected:
  void SetUp() override {
    CompletionTest::SetUp();
    proposal.DetachEditor(&edit);
    proposal.ItemList().clear();
  }
  void Show(QPoint at, int lines = 3) {
    std::vector<std::string> items = {"proc main"};
    for (int i = 1; i <= lines; ++i) {
      items.push_back("line" + std::to_string(i));
    }
    hint.ShowHint(edit, items, at, edit.Font());
  }
  TProposalHint hint{proposal};
};

TEST_F(ProposalHintTest, TheHintShowsInTheEditorsFontWithoutTakingTheFocus) {
  SetText("", 1);
  ASSERT_TRUE(edit.hasFocus());
  Show(QPoint(50, 50));
  ASSERT_TRUE(hint.HintVisible());
  EXPECT_EQ(proposal.Form().DisplayType(), ctHint);
  EXPECT_EQ(proposal.Tag(), 1);
  EXPECT_EQ(proposal.Form().List().Count(), 4);
  EXPECT_EQ(proposal.Editor(), &edit);  // attached by the hint
  EXPECT_EQ(proposal.Font().family(), edit.Font().family());
  EXPECT_EQ(proposal.Form().pos(), QPoint(50, 50));
  EXPECT_TRUE(proposal.Form().testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(proposal.Form().focusPolicy(), Qt::NoFocus);
  EXPECT_TRUE(proposal.Form().windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  // Keys still go to the editor while the hint shows.
  QApplication::processEvents();
  EXPECT_TRUE(edit.hasFocus());
  EXPECT_NE(QApplication::focusWidget(), &proposal.Form());
  QTest::keyClicks(&edit, "ok");
  EXPECT_EQ(Line(), "ok");
  EXPECT_TRUE(hint.HintVisible());
  hint.HideHint(edit);
  EXPECT_FALSE(proposal.Visible());
  EXPECT_EQ(proposal.Tag(), 0);
  // Shown again, the list is built afresh.
  Show(QPoint(50, 50), 1);
  EXPECT_EQ(proposal.Form().List().Count(), 2);
  hint.HideHint(edit);
  // After the first hint the shortcut opens the same items as a list.
  SetText("", 1);
  OpenList();
  EXPECT_TRUE(proposal.Visible());
  EXPECT_EQ(proposal.Form().DisplayType(), ctCode);
  EXPECT_EQ(proposal.Form().List().Count(), 2);
  // Hiding the hint then leaves the list alone.
  hint.HideHint(edit);
  EXPECT_TRUE(proposal.Visible());
}

TEST_F(ProposalHintTest, AHintNearTheBottomOfTheDesktopOpensAbove) {
  const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
  const int y = desktop.bottom() - 10;
  Show(QPoint(desktop.left() + 20, y));
  ASSERT_TRUE(proposal.Visible());
  const QRect shown = proposal.Form().geometry();
  EXPECT_EQ(shown.top(), y - shown.height() - 2);
  EXPECT_EQ(shown.left(), desktop.left() + 20);
  // Height: items × item height + 2 + 2 × margin.
  EXPECT_EQ(shown.height(), 4 * proposal.Form().EffectiveItemHeight() + 2 + 2 * 2);
  hint.HideHint(edit);

  // Near the right edge it moves left, 5 pixels from the edge; near the
  // top it stays below the point.
  Show(QPoint(desktop.right() - 3, desktop.top() + 10));
  const QRect right = proposal.Form().geometry();
  EXPECT_EQ(right.left(), desktop.x() + desktop.width() - right.width() - 5);
  EXPECT_EQ(right.top(), desktop.top() + 10);
}

TEST_F(ProposalHintTest, TheHintIsAsWideAsTheWidestLine) {
  hint.ShowHint(edit, {"a", "\\style{+B}wide line\\style{-B}", "b"}, QPoint(10, 10), edit.Font());
  const int widest =
      MeasureFormattedText(proposal.Font(), "\\style{+B}wide line\\style{-B}", nullptr, nullptr);
  EXPECT_EQ(proposal.Form().width(), widest + 2 * 2 + 2);
}

}  // namespace
}  // namespace torvane
