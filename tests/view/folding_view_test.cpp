// Code folding in the control: the fold bar and the collapsed-code mark by
// pixel probes, gutter clicks, line numbers of the expanded text, whole-text
// messages and the collapsed-code hint hook.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>

#include "editor/edit_messages.h"
#include "platform/gui/color.h"
#include "tests/support/nasm_fold_regions.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

constexpr QRgb kLines = 0xFF102030;  // the bar's lines colour, distinct

struct TRecordingHint : ISrcCollapsedCodeHint {
  void ShowCollapsedCodeHint(TCustomSrcEdit&, const TCollapsedCodeHintRequest& request) override {
    ++shown;
    lines = request.Lines;
  }
  void HideCollapsedCodeHint(TCustomSrcEdit&) override { ++hidden; }
  int shown = 0;
  int hidden = 0;
  std::vector<std::string> lines;
};

class FoldingViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(600, 300);
    edit.SetColor(clWhite);
    edit.SetFontColor(clBlack);
    edit.ActiveLine().SetBackground(clNone);
    edit.RightEdge().SetVisible(false);
    edit.Gutter().SetShowLineNumbers(true);
    for (const char* line :
         {"start:", "%macro m 0", "\tpush eax", "  pop eax", "%endmacro", "ret"}) {
      edit.Lines().AppendLine(line);
    }
    TSrcCodeFolding& folding = edit.CodeFolding();
    test::AddNasmFoldRegions(folding.FoldRegions());
    folding.SetFolderBarLinesColor(0x302010);  // 0x00BBGGRR: rgb(10, 20, 30)... as kLines
    folding.SetFolderBarColor(clWhite);
    folding.SetIndentGuides(false);
    folding.SetEnabled(true);
    edit.RescanFolds();
    edit.show();
  }
  QImage Render() {
    QImage image(edit.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::green);
    edit.viewport()->render(&image);
    return image;
  }
  int RowTop(int row) const { return (row - edit.FirstVisibleRow()) * edit.RowHeight(); }
  int BoxTop(int row) const { return RowTop(row) + (edit.RowHeight() - 9) / 2; }
  TSrcEditFoldRange& Macro() { return *edit.FoldRanges().FindFoldStartAt(2); }
  void Click(int x, int y) {
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
  }

  TSrcEdit edit;
};

TEST_F(FoldingViewTest, FoldBarDrawsBoxesLinesAndEndMarks) {
  EXPECT_GE(edit.Gutter().RightOffset(), 18);
  const QImage image = Render();
  const int extent = edit.GutterExtent();
  const int left = extent - 10;
  const int middle = left + 4;
  // The header's box: framed in the lines colour, white inside, a minus.
  EXPECT_EQ(image.pixel(left, BoxTop(2) + 4), kLines);
  EXPECT_EQ(image.pixel(left + 1, BoxTop(2) + 1), 0xFFFFFFFFu);
  EXPECT_EQ(image.pixel(middle, BoxTop(2) + 4), kLines);
  EXPECT_EQ(image.pixel(middle, BoxTop(2) + 2), 0xFFFFFFFFu);  // no plus
  // Inside the block a vertical line; on its last line the end mark.
  EXPECT_EQ(image.pixel(middle, RowTop(3) + 1), kLines);
  EXPECT_EQ(image.pixel(middle + 2, RowTop(5) + edit.RowHeight() / 2), kLines);
  EXPECT_NE(image.pixel(middle, RowTop(5) + edit.RowHeight() - 1), kLines);
  // Nothing on lines outside the block.
  EXPECT_NE(image.pixel(middle, RowTop(6) + 1), kLines);
}

TEST_F(FoldingViewTest, GutterClickCollapsesAndTheMarkAndNumbersFollow) {
  const int extent = edit.GutterExtent();
  Click(extent - 5, RowTop(2) + edit.RowHeight() / 2);
  ASSERT_TRUE(Macro().IsCollapsed);
  EXPECT_EQ(edit.Lines().LineCount(), 3);
  EXPECT_EQ(edit.Lines().GetLine(1), "%macro m 0     ");
  const QImage image = Render();
  // A plus in the box now.
  EXPECT_EQ(image.pixel(extent - 10 + 4, BoxTop(2) + 2), kLines);
  // The mark over the middle three of the five blanks, framed in black,
  // with three dots.
  const QRect mark = edit.CollapseMarkRect(Macro(), 2);
  EXPECT_EQ(mark.left(), edit.ColumnToX(12));
  EXPECT_EQ(mark.width(), 3 * edit.ColumnWidth());
  EXPECT_EQ(image.pixel(mark.left(), mark.top() + 3), 0xFF000000u);
  EXPECT_EQ(image.pixel(mark.right(), mark.top() + 3), 0xFF000000u);
  const int dots_y = mark.top() + ((mark.height()) / 5) * 3;
  EXPECT_EQ(image.pixel(mark.left() + edit.ColumnWidth() - 2, dots_y), 0xFF000000u);
  EXPECT_EQ(image.pixel(mark.left() + edit.ColumnWidth(), dots_y), 0xFFFFFFFFu);
  // The collapsed line under the header row.
  EXPECT_EQ(image.pixel(edit.ColumnToX(3), RowTop(2) + edit.RowHeight() - 1), kLines);
  // "ret" is shown as line 6: numbers are those of the expanded text.
  std::string number;
  edit.OnGutterGetText = [&number](TCustomSrcEdit&, int line, std::string& text) {
    if (line == 3) {
      number = text;
    }
  };
  Render();
  EXPECT_NE(number.find('6'), std::string::npos);
  // The click again expands.
  Click(extent - 5, RowTop(2) + edit.RowHeight() / 2);
  EXPECT_FALSE(Macro().IsCollapsed);
  EXPECT_EQ(edit.Lines().LineCount(), 6);
}

TEST_F(FoldingViewTest, WholeTextMessagesIncludeHiddenLines) {
  ASSERT_TRUE(edit.CollapseFold(Macro()));
  const std::string full = "start:\r\n%macro m 0\r\n\tpush eax\r\n  pop eax\r\n%endmacro\r\nret";
  EXPECT_EQ(edit.GetAllText(), full);
  EXPECT_EQ(edit.Perform(WM_GETTEXTLENGTH, 0, 0), static_cast<std::intptr_t>(full.size()));
  std::vector<char> buffer(100, 'x');
  EXPECT_EQ(edit.Perform(WM_GETTEXT, buffer.size(), reinterpret_cast<std::intptr_t>(buffer.data())),
            static_cast<std::intptr_t>(full.size()));
  EXPECT_EQ(std::string(buffer.data()), full);
  EXPECT_FALSE(edit.Controller().Modified());
}

// Collects the regions the viewport is asked to paint.
struct TPaintRegions : QObject {
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(event)->region();
    }
    return false;
  }
  QRegion painted;
};

// A rescan after typing (here: a closing brace on the last line, then a
// caret key, for a brace opened on line 1) changes the fold bar on rows far
// from the edit: the new block's box and its line beside every line below.
// The whole bar is painted at once, without waiting for a full repaint.
TEST_F(FoldingViewTest, AnAutomaticRescanRepaintsTheWholeFoldBar) {
  const int middle = edit.GutterExtent() - 10 + 4;
  edit.SetCaretPos({7, 1});
  QTest::keyClicks(&edit, " {");
  QTest::keyClick(&edit, Qt::Key_Left);
  ASSERT_EQ(edit.FoldRanges().FindFoldStartAt(1), nullptr);
  const int box_left = edit.GutterExtent() - 10;
  ASSERT_NE(Render().pixel(box_left, BoxTop(1) + 4), kLines);  // no box yet
  QApplication::processEvents();
  TPaintRegions regions;
  edit.viewport()->installEventFilter(&regions);
  edit.SetCaretPos({4, 6});
  QTest::keyClicks(&edit, " }");
  QTest::keyClick(&edit, Qt::Key_Left);
  ASSERT_NE(edit.FoldRanges().FindFoldStartAt(1), nullptr);
  QApplication::processEvents();
  edit.viewport()->removeEventFilter(&regions);
  for (int row = 1; row <= 5; ++row) {
    EXPECT_TRUE(regions.painted.contains(QPoint(middle, RowTop(row) + 2))) << row;
  }
  EXPECT_EQ(Render().pixel(box_left, BoxTop(1) + 4), kLines);
}

// One Enter at the end of a collapsed header opens the block and starts a
// line below it; one undo takes the line back.
TEST_F(FoldingViewTest, EnterAtTheEndOfACollapsedHeaderBreaksBelowTheBlock) {
  ASSERT_TRUE(edit.CollapseFold(Macro()));
  edit.Model().SetCaretAndDeselect({11, 2});
  QTest::keyClick(&edit, Qt::Key_Return);
  EXPECT_EQ(edit.GetAllText(),
            "start:\r\n%macro m 0\r\n\tpush eax\r\n  pop eax\r\n%endmacro\r\n\r\nret");
  EXPECT_EQ(edit.Model().CaretPos(), (TBufferPos{1, 6}));
  QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(edit.GetAllText(),
            "start:\r\n%macro m 0\r\n\tpush eax\r\n  pop eax\r\n%endmacro\r\nret");
  EXPECT_FALSE(edit.Controller().Modified());
}

TEST_F(FoldingViewTest, HintShowsOnTheMarkOnceAndHidesOffIt) {
  TRecordingHint hint;
  edit.SetCollapsedCodeHint(&hint);
  ASSERT_TRUE(edit.CollapseFold(Macro()));
  Render();  // places the mark
  const QRect mark = edit.CollapseMarkRect(Macro(), 2);
  QTest::mouseMove(edit.viewport(), mark.center());
  QTest::mouseMove(edit.viewport(), mark.center() + QPoint(1, 0));
  EXPECT_EQ(hint.shown, 1);
  EXPECT_EQ(hint.lines,
            (std::vector<std::string>{"%macro m 0", "        push eax", "  pop eax", "%endmacro"}));
  EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(edit.viewport(), QPoint(mark.right() + 20, mark.center().y()));
  EXPECT_EQ(hint.hidden, 1);
  EXPECT_FALSE(edit.IsCollapsedCodeHintShowing());
  QTest::mouseMove(edit.viewport(), mark.center());
  EXPECT_EQ(hint.shown, 2);
  edit.CodeFolding().SetEnabled(false);
  EXPECT_EQ(hint.hidden, 2);
  edit.SetCollapsedCodeHint(nullptr);
}

}  // namespace
}  // namespace torvane
