// Word wrap in the editor control: the options object and the width by
// style, switching, wrapped rows painted like lines, the gutter indicator
// on continuation rows, and keys and clicks by row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "editor/word_wrap_plugin.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/pixel_conversions.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

std::string Letters(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += static_cast<char>('a' + i % 26);
  }
  return s;
}

// A plain-coloured editor without caret row colours or right edge.
void Plain(TSrcEdit& edit, int width = 500, int height = 200) {
  edit.resize(width, height);
  edit.SetColor(clWhite);
  edit.SetFontColor(clBlack);
  edit.ActiveLine().SetBackground(clNone);
  edit.ActiveLine().SetForeground(clNone);
  edit.RightEdge().SetVisible(false);
  edit.SelectedColor().SetBackground(clBlue);
  edit.SelectedColor().SetForeground(clWhite);
}

QImage Render(TSrcEdit& edit) {
  if (!edit.isVisible()) {
    edit.show();
  }
  QImage image(edit.viewport()->size(), QImage::Format_RGB32);
  image.fill(Qt::green);
  edit.viewport()->render(&image);
  return image;
}

int Rows(const TSrcEdit& edit) {
  return edit.Model().Mapping().DisplayRowCount();
}

TEST(WordWrapViewTest, OptionsSwitchWrapAndFollowTheWidthByStyle) {
  TSrcEdit edit;
  Plain(edit);
  edit.show();
  TSrcWordWrap& wrap = edit.WordWrap();
  EXPECT_FALSE(wrap.Enabled());
  EXPECT_EQ(wrap.Position(), 80);
  EXPECT_EQ(wrap.Style(), wwsClientWidth);
  EXPECT_TRUE(wrap.Indicator().HasBuiltIn());
  EXPECT_TRUE(wrap.Indicator().Visible());
  EXPECT_EQ(wrap.Indicator().BuiltInMaskColor(), clLime);
  edit.Lines().AppendLine(Letters(200));
  edit.Lines().AppendLine("x");
  EXPECT_EQ(Rows(edit), 2);

  wrap.SetEnabled(true);
  ASSERT_TRUE(edit.Model().WordWrapActive());
  const int columns = edit.VisibleColumns();
  ASSERT_GT(columns, 10);
  EXPECT_EQ(edit.Model().WordWrapLayout()->MaxRowLength(), columns);
  EXPECT_EQ(Rows(edit), (199 / columns + 1) + 1);
  // A narrower window lays the rows out again.
  edit.resize(300, 200);
  QApplication::processEvents();
  EXPECT_EQ(edit.Model().WordWrapLayout()->MaxRowLength(), edit.VisibleColumns());
  EXPECT_LT(edit.VisibleColumns(), columns);
  // So does a wider gutter, which leaves fewer columns.
  const int before = edit.VisibleColumns();
  edit.Gutter().SetWidth(edit.Gutter().Width() + 40);
  EXPECT_LT(edit.VisibleColumns(), before);
  EXPECT_EQ(edit.Model().WordWrapLayout()->MaxRowLength(), edit.VisibleColumns());
  // At the right edge, and at a width of its own (256 and more: 255).
  edit.RightEdge().SetPosition(50);
  wrap.SetStyle(wwsRightEdge);
  EXPECT_EQ(Rows(edit), 4 + 1);
  edit.RightEdge().SetPosition(40);
  EXPECT_EQ(Rows(edit), 5 + 1);
  wrap.SetStyle(wwsSpecified);
  wrap.SetPosition(300);
  EXPECT_EQ(Rows(edit), 2);
  wrap.SetPosition(256);
  EXPECT_EQ(Rows(edit), 2);
  wrap.SetPosition(100);
  EXPECT_EQ(Rows(edit), 3);
  // The width exceeds the window: the view may scroll sideways up to it.
  edit.SetFirstVisibleColumn(500);
  EXPECT_EQ(edit.FirstVisibleColumn(), 100 - edit.VisibleColumns() + 1);
  wrap.SetPosition(10);
  edit.SetFirstVisibleColumn(5);  // the rows fit the window: no sideways scrolling
  EXPECT_EQ(edit.FirstVisibleColumn(), 1);
  QApplication::processEvents();
  EXPECT_FALSE(edit.horizontalScrollBar()->isVisible());

  wrap.SetEnabled(false);
  EXPECT_FALSE(edit.Model().WordWrapActive());
  EXPECT_EQ(Rows(edit), 2);

  // CopyFrom takes everything and notifies once.
  TSrcWordWrap other;
  other.SetEnabled(true);
  other.SetPosition(20);
  other.SetStyle(wwsSpecified);
  other.Indicator().SetVisible(false);
  int changes = 0;
  TSrcWordWrap copy;
  copy.OnChange = [&] { ++changes; };
  copy.CopyFrom(other);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(copy.Enabled());
  EXPECT_EQ(copy.Position(), 20);
  EXPECT_EQ(copy.Style(), wwsSpecified);
  EXPECT_FALSE(copy.Indicator().Visible());
  wrap.CopyFrom(copy);
  EXPECT_EQ(Rows(edit), 10 + 1);
}

TEST(WordWrapViewTest, SwitchingKeepsTheTopLine) {
  TSrcEdit edit;
  Plain(edit);
  edit.show();
  for (int i = 0; i < 100; ++i) {
    edit.Lines().AppendLine(Letters(100));
  }
  edit.SetFirstVisibleRow(50);
  edit.WordWrap().SetStyle(wwsSpecified);
  edit.WordWrap().SetPosition(40);
  edit.WordWrap().SetEnabled(true);
  EXPECT_EQ(Rows(edit), 300);
  EXPECT_EQ(edit.FirstVisibleRow(), edit.Model().Mapping().RowOfLine(50));
  EXPECT_EQ(edit.FirstVisibleRow(), 49 * 3 + 1);
  edit.WordWrap().SetPosition(50);  // rows change: the top line stays
  EXPECT_EQ(edit.FirstVisibleRow(), 49 * 2 + 1);
  edit.WordWrap().SetEnabled(false);
  EXPECT_EQ(edit.FirstVisibleRow(), 50);
}

// A wrapped line's rows look exactly like lines holding the same pieces.
TEST(WordWrapViewTest, WrappedRowsPaintLikeLinesOfTheirPieces) {
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    const std::string wide = std::string(page) == "GBK" ? "\xD6\xD0" : "\xE4\xB8\xAD";
    TSrcEdit wrapped;
    TSrcEdit lines;
    for (TSrcEdit* edit : {&wrapped, &lines}) {
      Plain(*edit);
      edit->SetOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoNoCaret));
      edit->show();
    }
    // A blank begins row 2; a wide character that would straddle the edge
    // begins row 3, followed by a tab (cells 21-24 of the line).
    wrapped.Lines().AppendLine("aaaaaaaa bbbbbbbb" + wide + "c\tz");
    wrapped.Lines().AppendLine("next");
    wrapped.WordWrap().SetStyle(wwsSpecified);
    wrapped.WordWrap().SetPosition(10);
    wrapped.WordWrap().SetEnabled(true);
    ASSERT_EQ(wrapped.Model().WordWrapLayout()->Dump(), "w10/7: 8 9 8 | 4") << page;
    lines.Lines().AppendLine("aaaaaaaa");
    lines.Lines().AppendLine(" bbbbbbbb");
    lines.Lines().AppendLine(wide + "c    z");  // the tab's cells as blanks
    lines.Lines().AppendLine("next");
    // A selection across the row boundaries, in the same places.
    const int w = static_cast<int>(wide.size());
    wrapped.Model().PlaceCaretAndSelection({3, 1}, {3, 1}, {18 + w, 1});
    lines.Model().PlaceCaretAndSelection({3, 1}, {3, 1}, {1 + w, 3});
    const QImage a = Render(wrapped);
    const QImage b = Render(lines);
    const int left = wrapped.GutterExtent();
    ASSERT_EQ(left, lines.GutterExtent());
    for (int y = 0; y < 4 * wrapped.RowHeight(); ++y) {
      for (int x = left; x < a.width(); ++x) {
        ASSERT_EQ(a.pixelColor(x, y), b.pixelColor(x, y)) << page << " at " << x << "," << y;
      }
    }
  }
}

TEST(WordWrapViewTest, ContinuationRowsShowTheIndicatorInTheGutter) {
  TSrcEdit edit;
  Plain(edit);
  edit.Lines().AppendLine(Letters(25));
  edit.Lines().AppendLine("x");
  edit.WordWrap().SetStyle(wwsSpecified);
  edit.WordWrap().SetPosition(10);
  edit.WordWrap().SetEnabled(true);
  const QColor gutter = ToQColor(edit.Gutter().Color());
  const TSrcGlyph& glyph = edit.WordWrap().Indicator();
  const int x0 = edit.GutterExtent() - edit.Gutter().RightOffset() - glyph.GlyphWidth() - 2;
  auto marked = [&](const QImage& image, int row) {
    const int top = (row - 1) * edit.RowHeight();
    int differing = 0;
    for (int y = top; y < top + edit.RowHeight(); ++y) {
      for (int x = std::max(x0, 0); x < x0 + glyph.GlyphWidth(); ++x) {
        differing += image.pixelColor(x, y) != gutter ? 1 : 0;
      }
    }
    return differing > 0;
  };
  QImage image = Render(edit);
  EXPECT_FALSE(marked(image, 1));
  EXPECT_TRUE(marked(image, 2));
  EXPECT_TRUE(marked(image, 3));
  EXPECT_FALSE(marked(image, 4));  // line 2
  EXPECT_FALSE(marked(image, 5));  // below the text
  edit.WordWrap().Indicator().SetVisible(false);
  image = Render(edit);
  EXPECT_FALSE(marked(image, 2));
  edit.WordWrap().Indicator().SetVisible(true);
  edit.WordWrap().SetEnabled(false);
  image = Render(edit);
  EXPECT_FALSE(marked(image, 2));  // line 2 now
}

TEST(WordWrapViewTest, KeysAndClicksWorkByRow) {
  TSrcEdit edit;
  Plain(edit);
  edit.show();
  edit.setFocus();
  edit.Lines().AppendLine(Letters(25));
  edit.WordWrap().SetStyle(wwsSpecified);
  edit.WordWrap().SetPosition(10);
  edit.WordWrap().SetEnabled(true);
  QTest::keyClick(&edit, Qt::Key_Down);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{11, 1}));
  QTest::keyClick(&edit, Qt::Key_End);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{21, 1}));
  EXPECT_EQ(edit.Model().DisplayPos(), (TDisplayPos{11, 2}));
  // The caret is drawn where it shows: at the end of row 2.
  QTest::keyClick(&edit, Qt::Key_A);
  EXPECT_EQ(edit.Lines().GetLine(0), Letters(20) + "a" + Letters(25).substr(20));
  // A click past the end of row 1 puts the caret at that row's end.
  const QPoint p = RowColumnToPixels(edit.Metrics(), {30, 1}) + QPoint(1, 2);
  QTest::mouseClick(edit.viewport(), Qt::LeftButton, Qt::NoModifier, p);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{11, 1}));
  EXPECT_EQ(edit.Model().DisplayPos(), (TDisplayPos{11, 1}));
}

}  // namespace
}  // namespace torvane
