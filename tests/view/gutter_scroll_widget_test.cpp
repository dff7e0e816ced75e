// The gutter and scrolling wired into the editor control: layout, the
// rendered gutter, gutter clicks, scroll bounds, bars, hint and wheel.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <memory>
#include <string>

#include "drawer_test_support.h"
#include "editor/edit_controller.h"
#include "platform/gui/color.h"
#include "view/scroll_hint.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

using test::InkIn;

class GutterScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(600, 400);
    edit.SetColor(clWhite);
    edit.SetFontColor(clBlack);
    edit.Gutter().SetColor(clSilver);
    edit.Gutter().SetFontColor(clBlack);
  }
  void Fill(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) {
      text += (i > 1 ? "\nmov eax, " : "mov eax, ") + std::to_string(i);
    }
    edit.Lines().SetAllText(text);
  }
  void Show() {
    if (!edit.isVisible()) {
      edit.show();
    }
  }
  QImage Render() {
    Show();
    QImage image(edit.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::green);
    edit.viewport()->render(&image);
    return image;
  }
  int RowTop(int row) const { return (row - edit.FirstVisibleRow()) * edit.RowHeight(); }

  TSrcEdit edit;
};

TEST_F(GutterScrollTest, LayoutFollowsLineNumbersAndLineCount) {
  EXPECT_EQ(edit.GutterExtent(), 30);
  Fill(50);
  edit.Gutter().SetShowLineNumbers(true);
  const int cw = edit.GutterCharWidth();
  EXPECT_GT(cw, 0);
  EXPECT_EQ(edit.GutterExtent(), 16 + 2 + cw * 4 + 4);
  edit.Gutter().SetAutoSize(true);
  Fill(10000);  // the batch end sizes the digits
  EXPECT_EQ(edit.Gutter().AutoSizeDigitCount(), 5);
  EXPECT_EQ(edit.GutterExtent(), 16 + 2 + cw * 5 + 4);
  EXPECT_EQ(edit.TextOriginX(), edit.GutterExtent() + 2);
  edit.Gutter().SetVisible(false);
  EXPECT_EQ(edit.GutterExtent(), 0);
}

TEST_F(GutterScrollTest, RenderedGutterShowsNumbersMarksAndBorder) {
  Fill(40);
  edit.Gutter().SetShowLineNumbers(true);
  edit.Gutter().SetBorderColor(clRed);
  auto mark = std::make_unique<TSrcEditMark>();
  mark->SetLine(2);
  mark->SetGlyphIndex(4);
  mark->SetBookmarkSlot(4);
  mark->SetUseBuiltInImage(true);
  mark->SetVisible(true);
  edit.Marks().Add(std::move(mark));
  const QImage image = Render();
  const int extent = edit.GutterExtent();
  EXPECT_EQ(image.pixelColor(3, RowTop(1) + 1), QColor(192, 192, 192));
  EXPECT_EQ(image.pixelColor(extent - 2, 5), QColor(255, 0, 0));  // gbsMiddle border
  EXPECT_EQ(image.pixelColor(extent - 1, 5), QColor(192, 192, 192));
  auto ink = [&](const QRect& box) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
      for (int x = box.left(); x <= box.right(); ++x) {
        n += image.pixelColor(x, y) != QColor(192, 192, 192) ? 1 : 0;
      }
    }
    return n;
  };
  const int digits_right = extent - edit.Gutter().RightOffset() - 2;
  const int cw = edit.GutterCharWidth();
  EXPECT_GT(ink(QRect(digits_right - cw, RowTop(1), cw, edit.RowHeight())), 0);
  EXPECT_EQ(ink(QRect(0, RowTop(1), digits_right - cw, edit.RowHeight())), 0);
  EXPECT_GT(ink(QRect(2, RowTop(2), 11, edit.RowHeight())), 20);  // the bookmark glyph
}

TEST_F(GutterScrollTest, GutterClickReportsLineAndMark) {
  Fill(20);
  Show();
  auto mark = std::make_unique<TSrcEditMark>();
  mark->SetLine(3);
  mark->SetVisible(true);
  TSrcEditMark* placed = &edit.Marks().Add(std::move(mark));
  int line = 0;
  TSrcEditMark* clicked = nullptr;
  bool region = false;
  Qt::MouseButton button = Qt::NoButton;
  edit.OnGutterClick = [&](TCustomSrcEdit&, Qt::MouseButton b, int, int, int l, TSrcEditMark* m,
                           bool r) {
    button = b;
    line = l;
    clicked = m;
    region = r;
  };
  QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, QPoint(5, RowTop(3) + 2));
  EXPECT_EQ(button, Qt::LeftButton);
  EXPECT_EQ(line, 3);
  EXPECT_EQ(clicked, placed);
  EXPECT_TRUE(region);
  // Past the mark's room no mark; a right press reports at once.
  QTest::mousePress(edit.viewport(), Qt::RightButton, {}, QPoint(20, RowTop(5) + 2));
  EXPECT_EQ(button, Qt::RightButton);
  EXPECT_EQ(line, 5);
  EXPECT_EQ(clicked, nullptr);
  QTest::mouseRelease(edit.viewport(), Qt::RightButton, {}, QPoint(20, RowTop(5) + 2));
  // Below the last line nothing is reported.
  line = 0;
  edit.SetFirstVisibleRow(1);
  QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, QPoint(5, RowTop(25)));
  EXPECT_EQ(line, 0);
}

TEST_F(GutterScrollTest, FirstVisibleRowBoundsAndCaret) {
  Fill(100);
  Show();
  const int rows = edit.VisibleRows();
  ASSERT_GT(rows, 5);
  int scrolls = 0;
  edit.OnScroll = [&](TCustomSrcEdit&, TScrollBarKind kind) {
    scrolls += kind == sbVertical ? 1 : 0;
  };
  edit.SetFirstVisibleRow(90);
  EXPECT_EQ(edit.FirstVisibleRow(), 100 - rows + 1);
  edit.SetOptions(edit.Options() | TSrcEditorOptions{eoScrollPastEof});
  edit.SetFirstVisibleRow(90);
  EXPECT_EQ(edit.FirstVisibleRow(), 90);
  edit.HandleVerticalScroll(SB_TOP, 0);
  EXPECT_EQ(edit.FirstVisibleRow(), 1);
  EXPECT_EQ(scrolls, 1);
  edit.SetCaretPos({1, 60});
  EXPECT_EQ(edit.FirstVisibleRow(), 60 - rows + 1);
  // The caret beyond the right edge: the view jumps 24 columns past it.
  edit.Lines().SetLine(59, std::string(200, 'x'));
  edit.SetCaretPos({120, 60});
  EXPECT_EQ(edit.FirstVisibleColumn(), 120 - edit.VisibleColumns() + 24);
}

TEST_F(GutterScrollTest, LargeDocumentsScaleTheBar) {
  Fill(50000);
  Show();
  QScrollBar* bar = edit.verticalScrollBar();
  const int page = MulDiv(32767, edit.VisibleRows(), 50000);
  EXPECT_EQ(bar->maximum() + bar->pageStep() - 1, 32767);
  EXPECT_EQ(bar->pageStep(), page);
  edit.HandleVerticalScroll(SB_THUMBTRACK, 16384);
  EXPECT_EQ(edit.FirstVisibleRow(), MulDiv(50000 + edit.VisibleRows() - 1, 16384, 32767));
  // The hint shows the top line while the thumb moves.
  QWidget* hint = ScrollHintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(static_cast<QLabel*>(hint)->text(),
            QStringLiteral("Top Line: %1").arg(edit.FirstVisibleRow()));
  EXPECT_FALSE(hint->isActiveWindow());
  edit.HandleVerticalScroll(SB_ENDSCROLL, 0);
  EXPECT_FALSE(hint->isVisible());
  EXPECT_EQ(bar->value(), MulDiv(32767, edit.FirstVisibleRow(), 50000));
}

TEST_F(GutterScrollTest, ScrollHintIsOneLineSizedToItsTextUpToTheLimit) {
  Show();
  const QString top = QStringLiteral("Top Line: 117");
  ShowScrollHint(*edit.viewport(), top, clInfoBk, {});
  auto* hint = static_cast<QLabel*>(ScrollHintWindow());
  ASSERT_NE(hint, nullptr);
  const QFontMetrics metrics(hint->font());
  EXPECT_GE(hint->width(), metrics.horizontalAdvance(top));
  EXPECT_LE(hint->width(), metrics.horizontalAdvance(top) + 16);
  EXPECT_LT(hint->height(), 2 * metrics.height());  // one line
  // The rendered text lies on one line: its ink spans less than two lines.
  QImage image(hint->size(), QImage::Format_RGB32);
  hint->render(&image);
  const QColor paper = image.pixelColor(0, 0);
  int ink_top = image.height();
  int ink_bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    if (InkIn(image, QRect(0, y, image.width(), 1), paper) > 0) {
      ink_top = std::min(ink_top, y);
      ink_bottom = y;
    }
  }
  ASSERT_GE(ink_bottom, ink_top);
  EXPECT_LT(ink_bottom - ink_top, metrics.height() + metrics.height() / 2);
  // A text wider than 200 pixels breaks into lines of at most that width.
  ShowScrollHint(*edit.viewport(), QStringLiteral("Top Line: 117 ").repeated(8), clInfoBk, {});
  EXPECT_EQ(hint->width(), 200);
  EXPECT_GE(hint->height(), 2 * metrics.height());
  HideScrollHint();
}

TEST_F(GutterScrollTest, GutterGrowsSoNoDigitIsCut) {
  edit.Gutter().SetShowLineNumbers(true);  // four digits, no auto size
  const int cw = edit.GutterCharWidth();
  // An empty document shows line 1 in the described width.
  QImage image = Render();
  EXPECT_EQ(edit.GutterExtent(), 16 + 2 + cw * 4 + 4);
  const QColor silver = ToQColor(clSilver);
  // Numbers end 2 pixels left of the right offset (2).
  int right = edit.GutterExtent() - 2 - 2;
  EXPECT_GT(InkIn(image, QRect(right - cw, 0, cw, edit.RowHeight()), silver), 0);
  Fill(9999);
  EXPECT_EQ(edit.GutterExtent(), 16 + 2 + cw * 4 + 4);
  Fill(100000);
  EXPECT_EQ(edit.GutterExtent(), 16 + 2 + cw * 6 + 4);
  edit.SetFirstVisibleRow(100000);
  image = Render();
  // Six digits of ink right of the left offset, none left of it.
  const int top = RowTop(100000);
  right = edit.GutterExtent() - 2 - 2;
  EXPECT_EQ(InkIn(image, QRect(0, top, 16, edit.RowHeight()), silver), 0);
  for (int digit = 0; digit < 6; ++digit) {
    const int x = right - (6 - digit) * cw;
    EXPECT_GT(InkIn(image, QRect(x, top, cw, edit.RowHeight()), silver), 0) << digit;
  }
  Fill(20);  // back to the described width
  EXPECT_EQ(edit.GutterExtent(), 16 + 2 + cw * 4 + 4);
}

TEST_F(GutterScrollTest, WheelKeepsRemaindersAndPagesWithCtrl) {
  Fill(300);
  Show();
  edit.SetFirstVisibleRow(50);
  const QPointF at(100, 100);
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods = {}) {
    QWheelEvent event(at, edit.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(edit.viewport(), &event);
  };
  wheel(-40);
  wheel(-40);
  EXPECT_EQ(edit.FirstVisibleRow(), 50);
  wheel(-40);
  EXPECT_EQ(edit.FirstVisibleRow(), 53);
  wheel(120);
  EXPECT_EQ(edit.FirstVisibleRow(), 50);
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(edit.FirstVisibleRow(), 50 + edit.VisibleRows());
}

TEST_F(GutterScrollTest, CustomBarsAnswerForTheEditor) {
  Fill(100);
  TSrcEditScrollBar vertical;
  TScrollInfo seen;
  int shown = -1;
  vertical.OnSetScrollInfo = [&](const TScrollInfo& info, bool) {
    seen = info;
    return info.nPos;
  };
  vertical.OnShowScrollBar = [&](bool show) {
    shown = show ? 1 : 0;
    return true;
  };
  edit.ScrollBars().SetVertical(&vertical);
  edit.ScrollBars().SetStyle(sbsCustom);
  EXPECT_EQ(seen.nMax, 100);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(edit.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  edit.ScrollBars().SetStyle(sbsFlat);  // drawn as a plain bar
  EXPECT_EQ(edit.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  edit.ScrollBars().SetScrollBars(ssNone);
  EXPECT_EQ(edit.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(edit.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(GutterScrollTest, ScrollingCommandsMoveTheView) {
  Fill(200);
  Show();
  TSrcEditController controller(edit.Model());
  controller.SetScrolling(&edit.ViewScrolling());
  edit.SetCaretPos({1, 10});
  controller.ProcessCommand(ecScrollDown);
  EXPECT_EQ(edit.FirstVisibleRow(), 2);
  controller.ProcessCommand(ecPageDown);
  EXPECT_EQ(edit.FirstVisibleRow(), 2 + edit.VisibleRows());
  EXPECT_EQ(edit.CaretLine(), 10 + edit.VisibleRows());
  controller.ProcessCommand(ecScrollUp);
  EXPECT_EQ(edit.FirstVisibleRow(), 1 + edit.VisibleRows());
}

}  // namespace
}  // namespace torvane
