// The collapsed-code hint of a document editor with folding on, end to end:
// the mouse over a collapsed block's mark shows the block's lines in the
// editor's own completion proposal, which never takes the keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <memory>

#include "completion/completion_proposal.h"
#include "completion/format_chunks.h"
#include "completion/proposal_form.h"
#include "document/control/src_editor.h"
#include "editor/word_wrap_plugin.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

class CollapsedHintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_ = std::make_unique<TSrcEditor>();
    editor_->resize(600, 400);
    TSrcCodeFolding& folding = editor_->CodeFolding();
    test::AddNasmFoldRegions(folding.FoldRegions());
    folding.SetEnabled(true);
    Proposal().OnExecute = [this](SrcCompletionType kind, TSrcBaseCompletionProposal&, std::string&,
                                  int&, int&, bool&) {
      if (kind == ctHint) {
        ++shows_;
      }
    };
  }
  // "start:", a macro of `hidden` lines after its header, "ret".
  void Load(int hidden, bool show = true) {
    TSrcEditStringList& lines = editor_->Lines();
    lines.AppendLine("start:");
    lines.AppendLine("%macro\tm 0");
    for (int i = 1; i < hidden; ++i) {
      lines.AppendLine("\tline" + std::to_string(i));
    }
    lines.AppendLine("%endmacro");
    lines.AppendLine("ret");
    editor_->RescanFolds();
    ASSERT_TRUE(editor_->CollapseFold(Block()));
    if (show) {
      editor_->show();
      editor_->activateWindow();
      editor_->setFocus();
      ASSERT_TRUE(QTest::qWaitForWindowActive(editor_.get()));
    }
    // Painting places the mark.
    QImage image(editor_->viewport()->size(), QImage::Format_RGB32);
    editor_->viewport()->render(&image);
    // Qt drops a move to where the last test left the mouse.
    MoveTo(QPoint(1, 1));
  }
  TSrcEditFoldRange& Block() { return *editor_->FoldRanges().FindFoldStartAt(2); }
  QRect Mark() { return editor_->CollapseMarkRect(Block(), 2); }
  void MoveTo(QPoint point) { QTest::mouseMove(editor_->viewport(), point); }
  TSrcCompletionProposal& Proposal() { return editor_->CompletionProposal(); }
  std::vector<std::string> Shown() {
    std::vector<std::string> items;
    for (const TDisplayedItem& item : Proposal().Form().List().Displayed()) {
      items.push_back(item.Text);
    }
    return items;
  }
  bool HintShowing() { return Proposal().Visible() && Proposal().Form().DisplayType() == ctHint; }

  std::unique_ptr<TSrcEditor> editor_;
  int shows_ = 0;
};

TEST_F(CollapsedHintTest, TheMarkOfAThreeLineBlockShowsFourItemsUntilTheMouseLeaves) {
  Load(3);
  const QRect mark = Mark();
  MoveTo(QPoint(mark.left() - 3, mark.center().y()));  // beside the mark
  EXPECT_FALSE(Proposal().Visible());
  MoveTo(mark.center());
  ASSERT_TRUE(HintShowing());
  // The header without its appended blanks and the hidden lines, each tab
  // replaced by eight blanks (the tab width).
  EXPECT_EQ(Shown(), (std::vector<std::string>{"%macro        m 0", "        line1",
                                               "        line2", "%endmacro"}));
  EXPECT_EQ(Proposal().Tag(), 1);
  EXPECT_EQ(Proposal().Font().family(), editor_->Font().family());
  EXPECT_EQ(editor_->viewport()->cursor().shape(), Qt::PointingHandCursor);
  // Just below the header's row, near the text's left edge.
  const QPoint below = editor_->viewport()->mapToGlobal(QPoint(
      editor_->ColumnToX(0) + 2, (2 - editor_->FirstVisibleRow() + 1) * editor_->RowHeight() + 2));
  EXPECT_EQ(Proposal().Form().pos(), below);

  // Moving within the mark keeps the list; it is not built again.
  MoveTo(mark.center() + QPoint(1, 1));
  MoveTo(mark.topLeft());
  EXPECT_EQ(shows_, 1);
  EXPECT_TRUE(HintShowing());

  // Off the mark (on its row, then on another row) it hides, the cursor
  // turns back into the text cursor.
  MoveTo(QPoint(mark.right() + 10, mark.center().y()));
  EXPECT_FALSE(Proposal().Visible());
  EXPECT_EQ(Proposal().Tag(), 0);
  EXPECT_EQ(editor_->viewport()->cursor().shape(), Qt::IBeamCursor);
  // Re-entering shows it again, built afresh.
  MoveTo(mark.center());
  EXPECT_EQ(shows_, 2);
  EXPECT_TRUE(HintShowing());
  MoveTo(QPoint(mark.center().x(), mark.bottom() + editor_->RowHeight()));
  EXPECT_FALSE(Proposal().Visible());

  // Expanding the block while it shows hides it.
  MoveTo(mark.center());
  ASSERT_TRUE(HintShowing());
  editor_->ExpandFold(Block());
  QApplication::processEvents();
  EXPECT_FALSE(Proposal().Visible());
  EXPECT_EQ(Proposal().Tag(), 0);
}

TEST_F(CollapsedHintTest, AFiftyLineBlockShowsFortyOneLinesAndAnEllipsis) {
  Load(50);
  MoveTo(Mark().center());
  const std::vector<std::string> items = Shown();
  ASSERT_EQ(items.size(), 43u);
  EXPECT_EQ(items[0], "%macro        m 0");
  EXPECT_EQ(items[41], "        line41");
  EXPECT_EQ(items[42], "...");
  // The hint is as tall as its items.
  EXPECT_EQ(Proposal().Form().height(),
            43 * Proposal().Form().EffectiveItemHeight() + 2 + 2 * Proposal().Margin());
}

TEST_F(CollapsedHintTest, TheEditorKeepsTheKeyboardWhileTheHintShows) {
  Load(3);
  editor_->SetCaretPos({4, 3});  // end of "ret"
  MoveTo(Mark().center());
  ASSERT_TRUE(HintShowing());
  EXPECT_TRUE(Proposal().Form().testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(Proposal().Form().windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), editor_.get());
  QTest::keyClicks(editor_.get(), "ok");
  EXPECT_EQ(editor_->Model().LineText(3), "retok");
  EXPECT_TRUE(HintShowing());
  // Folding switched off hides it (and expands the block).
  editor_->CodeFolding().SetEnabled(false);
  EXPECT_FALSE(Proposal().Visible());
}

TEST_F(CollapsedHintTest, TheHintGoesWithTheEditorAndWithTheOption) {
  Load(3);
  editor_->CodeFolding().SetCollapsedCodeHint(false);
  MoveTo(Mark().center());
  EXPECT_FALSE(Proposal().Visible());
  editor_->CodeFolding().SetCollapsedCodeHint(true);
  MoveTo(Mark().center() + QPoint(1, 0));
  ASSERT_TRUE(HintShowing());
  editor_->hide();
  EXPECT_FALSE(Proposal().Visible());
  editor_->show();
  MoveTo(Mark().center());
  ASSERT_TRUE(HintShowing());
  // An editor destroyed while its hint shows leaves nothing behind.
  editor_.reset();
}

// Hidden lines appear exactly: a backslash that begins no formatting
// command (a path, a line continuation) is text of the line.
TEST_F(CollapsedHintTest, BackslashesOfHiddenLinesAreShownAsTheyAre) {
  TSrcEditStringList& lines = editor_->Lines();
  const std::vector<std::string> block = {"%macro m 0", "db 'C:\\temp\\file', 0", "mov eax, 1 \\",
                                          "%define P \\n\\{x}", "%endmacro"};
  lines.AppendLine("start:");
  for (const std::string& line : block) {
    lines.AppendLine(line);
  }
  editor_->RescanFolds();
  ASSERT_TRUE(editor_->CollapseFold(Block()));
  editor_->show();
  QImage image(editor_->viewport()->size(), QImage::Format_RGB32);
  editor_->viewport()->render(&image);
  MoveTo(QPoint(1, 1));
  MoveTo(Mark().center());
  ASSERT_TRUE(HintShowing());
  const std::vector<std::string> shown = Shown();
  ASSERT_EQ(shown, block);
  for (const std::string& item : shown) {
    EXPECT_EQ(StripFormatCommands(item), item);
  }
}

// With word wrap on, a header wider than the wrap width shows its mark
// after its last row, as painted, and the hint opens from there.
TEST_F(CollapsedHintTest, UnderWordWrapTheMarkEndsTheHeadersLastRow) {
  editor_->WordWrap().SetStyle(wwsSpecified);
  editor_->WordWrap().SetPosition(20);
  editor_->WordWrap().SetEnabled(true);
  TSrcEditStringList& lines = editor_->Lines();
  for (const char* line : {"start:", "%macro a_rather_long_macro_name 0", "  nop", "%endmacro"}) {
    lines.AppendLine(line);
  }
  editor_->RescanFolds();
  ASSERT_TRUE(editor_->CollapseFold(Block()));
  editor_->show();
  QImage image(editor_->viewport()->size(), QImage::Format_RGB32);
  editor_->viewport()->render(&image);
  const TPositionMapping& map = editor_->Model().Mapping();
  const int last_row = map.RowOfLine(3) - 1;
  ASSERT_GT(last_row, map.RowOfLine(2));  // the header takes several rows
  const int cells = editor_->Model().WordWrapLayout()->RowCharCount(last_row);
  ASSERT_GE(cells, 5);
  const QRect mark = Mark();
  const int width = editor_->ColumnToX(1) - editor_->ColumnToX(0);
  EXPECT_EQ(mark.top(), (last_row - editor_->FirstVisibleRow()) * editor_->RowHeight());
  EXPECT_EQ(mark.left(), editor_->GutterExtent() + 2 + (cells - 4) * width);
  EXPECT_LT(mark.right(), editor_->GutterExtent() + 2 + 20 * width);
  // Its frame is painted there.
  EXPECT_EQ(image.pixel(mark.left(), mark.center().y()), qRgb(0, 0, 0));
  MoveTo(QPoint(1, 1));
  MoveTo(mark.center());
  ASSERT_TRUE(HintShowing());
  EXPECT_EQ(Shown().front(), "%macro a_rather_long_macro_name 0");
  const QPoint below = editor_->viewport()->mapToGlobal(
      QPoint(editor_->ColumnToX(0) + 2,
             (last_row - editor_->FirstVisibleRow() + 1) * editor_->RowHeight() + 2));
  EXPECT_EQ(Proposal().Form().pos(), below);
}

// An open completion list stays a list when the mouse crosses a collapsed
// mark: it keeps the keyboard, the next typed character reaches the text,
// and after it is closed the editor types again and the hint works.
TEST_F(CollapsedHintTest, AnOpenListIsNotTurnedIntoTheHint) {
  Load(3);
  editor_->SetCaretPos({4, 3});  // end of "ret"
  Proposal().ItemList() = {"retf", "retn"};
  Proposal().SetEditor(editor_.get());
  editor_->ProcessCommand(ecAutoCompletion);
  ASSERT_TRUE(Proposal().Visible());
  ASSERT_EQ(Proposal().Form().DisplayType(), ctCode);
  MoveTo(Mark().center());
  EXPECT_TRUE(Proposal().Visible());
  EXPECT_EQ(Proposal().Form().DisplayType(), ctCode);
  EXPECT_EQ(shows_, 0);
  QTest::keyClicks(&Proposal().Form(), "n");
  EXPECT_EQ(editor_->Model().LineText(3), "retn");
  EXPECT_EQ(Proposal().Form().List().CurrentString(), "retn");
  QTest::keyClick(&Proposal().Form(), Qt::Key_Escape);
  EXPECT_FALSE(Proposal().Visible());
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), editor_.get());
  QTest::keyClicks(editor_.get(), "z");
  EXPECT_EQ(editor_->Model().LineText(3), "retnz");
  MoveTo(QPoint(1, 1));
  MoveTo(Mark().center());
  EXPECT_TRUE(HintShowing());
}

}  // namespace
}  // namespace torvane
