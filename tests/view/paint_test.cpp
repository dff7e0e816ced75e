// Renders the editor control under the offscreen platform and probes pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/fold_painter.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(900, 200);
    edit.SetColor(clWhite);
    edit.SetFontColor(clBlack);
    edit.SelectedColor().SetBackground(clBlue);
    edit.SelectedColor().SetForeground(clWhite);
    edit.ActiveLine().SetBackground(clNone);
    edit.ActiveLine().SetForeground(clNone);
    edit.RightEdge().SetVisible(false);
  }
  void SetText(std::initializer_list<const char*> lines) {
    for (const char* l : lines) {
      edit.Lines().AppendLine(l);
    }
  }
  QImage Render() {
    if (!edit.isVisible()) {
      edit.show();  // lays out the viewport at the requested size
    }
    QImage image(edit.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::green);  // anything left unpainted shows up
    edit.viewport()->render(&image);
    return image;
  }
  // The background of a cell: its top pixel row is never inked.
  QColor CellBackground(const QImage& image, int column, int row) {
    const int x = edit.ColumnToX(column) + edit.ColumnWidth() / 2;
    const int y = (row - edit.FirstVisibleRow()) * edit.RowHeight();
    return image.pixelColor(x, y);
  }
  // Whether any pixel of the cell differs from `bg` (the cell holds ink).
  bool CellHasInk(const QImage& image, int column, int row, const QColor& bg) {
    const int x0 = edit.ColumnToX(column);
    const int y0 = (row - edit.FirstVisibleRow()) * edit.RowHeight();
    for (int y = y0; y < y0 + edit.RowHeight(); ++y) {
      for (int x = x0; x < x0 + edit.ColumnWidth(); ++x) {
        if (image.pixelColor(x, y) != bg) {
          return true;
        }
      }
    }
    return false;
  }

  TSrcEdit edit;
};

TEST_F(PaintTest, EveryPixelIsPaintedAndTextHasInk) {
  SetText({"mov eax, 1"});
  const QImage image = Render();
  for (int y = 0; y < image.height(); y += 7) {
    for (int x = 0; x < image.width(); x += 7) {
      ASSERT_NE(image.pixelColor(x, y), QColor(Qt::green))
          << x << "," << y << " of " << image.width() << "x" << image.height();
    }
  }
  EXPECT_TRUE(CellHasInk(image, 1, 1, kWhite));   // m
  EXPECT_FALSE(CellHasInk(image, 4, 1, kWhite));  // blank
  EXPECT_FALSE(CellHasInk(image, 11, 1, kWhite));
  EXPECT_EQ(image.pixelColor(5, 5), ToQColor(clBtnFace));  // the gutter band
}

TEST_F(PaintTest, NormalSelectionCoversExactlyItsCellsAndFillsSelectedLineBreaks) {
  SetText({"abcdef", "ghijkl", "mnopqr"});
  edit.Model().SetSelectionAnchor({3, 1});
  edit.Model().SetSelectionActiveEnd({2, 2});
  const QImage image = Render();
  EXPECT_EQ(CellBackground(image, 2, 1), kWhite);
  EXPECT_EQ(CellBackground(image, 3, 1), kBlue);
  EXPECT_EQ(CellBackground(image, 6, 1), kBlue);
  // The line break is selected: the rest of row 1 is filled in selection colour.
  EXPECT_EQ(CellBackground(image, 40, 1), kBlue);
  EXPECT_EQ(image.pixelColor(image.width() - 1, 0), kBlue);
  EXPECT_EQ(CellBackground(image, 1, 2), kBlue);
  EXPECT_EQ(CellBackground(image, 2, 2), kWhite);
  EXPECT_EQ(CellBackground(image, 40, 2), kWhite);
  EXPECT_EQ(CellBackground(image, 1, 3), kWhite);
  // Selected text is drawn in the selection foreground.
  EXPECT_TRUE(CellHasInk(image, 3, 1, kBlue));
}

TEST_F(PaintTest, LineSelectionCoversWholeRows) {
  SetText({"abc", "def", "ghi"});
  edit.SetSelectionMode(smLine);
  edit.Model().SetSelectionAnchor({2, 2});
  edit.Model().SetSelectionActiveEnd({3, 3});
  const QImage image = Render();
  EXPECT_EQ(CellBackground(image, 1, 1), kWhite);
  EXPECT_EQ(CellBackground(image, 1, 2), kBlue);
  EXPECT_EQ(CellBackground(image, 50, 3), kBlue);
  EXPECT_EQ(CellBackground(image, 1, 4), kWhite);
}

TEST_F(PaintTest, ColumnSelectionAcrossATabAndAWideCharacter) {
  ScopedCodePage cp("UTF-8");
  // Row 1: a, tab to column 9, b. Row 2: x, a wide character in 2-3, yz.
  SetText({"a\tb",
           "x\xE4\xB8\xAD"
           "yz",
           "short"});
  edit.SetSelectionMode(smColumn);
  edit.Model().SetSelectionAnchor({2, 1});     // column 2 (the tab)
  edit.Model().SetSelectionActiveEnd({4, 3});  // column 4
  const QImage image = Render();
  EXPECT_EQ(CellBackground(image, 1, 1), kWhite);
  EXPECT_EQ(CellBackground(image, 2, 1), kBlue);
  EXPECT_EQ(CellBackground(image, 3, 1), kBlue);
  EXPECT_EQ(CellBackground(image, 8, 1), kBlue);  // the whole tab, as cutting takes it
  EXPECT_EQ(CellBackground(image, 9, 1), kWhite);
  EXPECT_EQ(CellBackground(image, 2, 2), kBlue);
  EXPECT_EQ(CellBackground(image, 3, 2), kBlue);
  EXPECT_EQ(CellBackground(image, 4, 2), kWhite);
  EXPECT_EQ(CellBackground(image, 2, 3), kBlue);
  EXPECT_EQ(CellBackground(image, 4, 3), kWhite);
  EXPECT_EQ(CellBackground(image, 20, 3), kWhite);

  // A bound in the second cell of the wide character takes the character
  // whole, so it is never half selected.
  edit.Model().SetSelectionAnchor({3, 3});     // column 3
  edit.Model().SetSelectionActiveEnd({6, 2});  // column 5
  const QImage moved = Render();
  EXPECT_EQ(CellBackground(moved, 1, 2), kWhite);
  EXPECT_EQ(CellBackground(moved, 2, 2), kBlue);
  EXPECT_EQ(CellBackground(moved, 3, 2), kBlue);
  EXPECT_EQ(CellBackground(moved, 4, 2), kBlue);
  EXPECT_EQ(CellBackground(moved, 5, 2), kWhite);
  EXPECT_EQ(CellBackground(moved, 3, 3), kBlue);
  EXPECT_EQ(CellBackground(moved, 4, 3), kBlue);
}

TEST_F(PaintTest, RightEdgeSitsAtItsColumn) {
  SetText({"x"});
  edit.RightEdge().SetVisible(true);
  edit.RightEdge().SetColor(clSilver);
  const QImage image = Render();
  const int x = 80 * edit.ColumnWidth() + edit.TextOriginX();
  ASSERT_LT(x, image.width());
  const QColor silver(192, 192, 192);
  EXPECT_EQ(image.pixelColor(x, 2), silver);                   // through a text row
  EXPECT_EQ(image.pixelColor(x, image.height() - 2), silver);  // and below the text
  EXPECT_EQ(image.pixelColor(x - 1, 2), kWhite);
  EXPECT_EQ(image.pixelColor(x + 1, 2), kWhite);
  // Scrolled 90 columns right, the edge is gone.
  edit.SetFirstVisibleColumn(91);
  const QImage scrolled = Render();
  for (int px = 40; px < scrolled.width(); ++px) {
    ASSERT_NE(scrolled.pixelColor(px, 2), silver) << px;
  }
}

TEST_F(PaintTest, SpecialCharactersMarkBlanksAndTheLineEnd) {
  SetText({"a b"});
  QImage image = Render();
  EXPECT_FALSE(CellHasInk(image, 2, 1, kWhite));
  EXPECT_FALSE(CellHasInk(image, 4, 1, kWhite));
  edit.SetOptions(edit.Options() | TSrcEditorOptions{eoShowSpecialChars});
  image = Render();
  EXPECT_TRUE(CellHasInk(image, 2, 1, kWhite));  // the middle dot
  EXPECT_TRUE(CellHasInk(image, 4, 1, kWhite));  // the pilcrow
  EXPECT_FALSE(CellHasInk(image, 5, 1, kWhite));
}

TEST_F(PaintTest, SpecialCharacterMarksAreFaintWhateverTheTokensColour) {
  // The darkest pixel of a cell, as a grey level (0 black .. 255 white).
  auto darkest = [&](const QImage& image, int column) {
    int level = 255;
    const int x0 = edit.ColumnToX(column);
    for (int y = 0; y < edit.RowHeight(); ++y) {
      for (int x = x0; x < x0 + edit.ColumnWidth(); ++x) {
        level = std::min(level, qGray(image.pixel(x, y)));
      }
    }
    return level;
  };
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage code_page(page);
    SetText({"a b"});
    edit.SetOptions(edit.Options() | TSrcEditorOptions{eoShowSpecialChars});
    const QImage image = Render();
    const int text = darkest(image, 1);
    EXPECT_LT(text, 100) << page;    // the letter in the text's black
    for (const int mark : {2, 4}) {  // the blank's dot, the line end's pilcrow
      EXPECT_TRUE(CellHasInk(image, mark, 1, kWhite)) << page << mark;
      EXPECT_GT(darkest(image, mark), 130) << page << mark;
      EXPECT_LT(darkest(image, mark), 230) << page << mark;
    }
    // Selected, the marks are faint on the selection's colours.
    edit.Model().SetSelectionAnchor({1, 1});
    edit.Model().SetSelectionActiveEnd({4, 1});
    const QImage selected = Render();
    EXPECT_TRUE(CellHasInk(selected, 2, 1, kBlue)) << page;
    edit.Model().SetCaretAndDeselect({1, 1});
  }
}

TEST(FoldMarkContrast, PaleLineColoursAreDeepenedToThreeToOne) {
  const QColor white(Qt::white);
  const QColor pale(0xCA, 0xC1, 0x92);  // the main window's folder bar colour
  EXPECT_LT(ContrastRatio(pale, white), kFoldMarkContrast);
  const QColor legible = LegibleOn(pale, white, kFoldMarkContrast);
  EXPECT_GE(ContrastRatio(legible, white), kFoldMarkContrast);
  EXPECT_NEAR(legible.hueF(), pale.hueF(), 0.02);
  EXPECT_EQ(LegibleOn(QColor(Qt::black), white, kFoldMarkContrast), QColor(Qt::black));
  // On a dark background the colour gets lighter instead.
  const QColor on_black = LegibleOn(QColor(0x20, 0x20, 0x40), QColor(Qt::black), kFoldMarkContrast);
  EXPECT_GE(ContrastRatio(on_black, QColor(Qt::black)), kFoldMarkContrast);
  EXPECT_NEAR(ContrastRatio(white, QColor(Qt::black)), 21.0, 0.01);
}

TEST_F(PaintTest, DoubleByteMarksCannotBeTakenForText) {
  // In GBK no one-cell code is free for the marks, and '.' and '$' are
  // text: the marks are drawn shapes, unlike the characters.
  ScopedCodePage gbk("GBK");
  SetText({"$. x"});
  edit.SetOptions(edit.Options() | TSrcEditorOptions{eoShowSpecialChars});
  const QImage image = Render();
  auto cell = [&](int column) {
    return image.copy(edit.ColumnToX(column), 0, edit.ColumnWidth(), edit.RowHeight());
  };
  EXPECT_TRUE(CellHasInk(image, 3, 1, kWhite));  // the blank's dot
  EXPECT_TRUE(CellHasInk(image, 5, 1, kWhite));  // the line end's pilcrow
  EXPECT_NE(cell(3), cell(2));                   // not a '.'
  EXPECT_NE(cell(5), cell(1));                   // not a '$'
  // The dot sits in the middle of the row, where a '.' has no ink.
  const QImage dot = cell(3);
  const int middle = edit.RowHeight() / 2;
  bool inked = false;
  for (int x = 0; x < dot.width(); ++x) {
    inked = inked || dot.pixelColor(x, middle) != kWhite || dot.pixelColor(x, middle - 1) != kWhite;
  }
  EXPECT_TRUE(inked);
}

TEST_F(PaintTest, HideSelectionHidesItWithoutFocus) {
  SetText({"abcdef"});
  edit.Model().SetSelectionAnchor({1, 1});
  edit.Model().SetSelectionActiveEnd({4, 1});
  ASSERT_FALSE(edit.hasFocus());
  EXPECT_EQ(CellBackground(Render(), 2, 1), kBlue);
  edit.SetHideSelection(true);
  EXPECT_EQ(CellBackground(Render(), 2, 1), kWhite);
}

TEST_F(PaintTest, SpecialLineSwapsItsSelectionColours) {
  SetText({"abcdef", "abcdef"});
  edit.OnSpecialLineColors = [](TCustomSrcEdit&, int line, TColor& fg, TColor& bg) {
    if (line != 1) {
      return false;
    }
    fg = clRed;
    bg = clYellow;
    return true;
  };
  edit.Model().SetSelectionAnchor({3, 1});
  edit.Model().SetSelectionActiveEnd({3, 2});
  const QImage image = Render();
  EXPECT_EQ(CellBackground(image, 1, 1), kYellow);
  EXPECT_EQ(CellBackground(image, 3, 1), kRed);   // selection: background is the foreground
  EXPECT_EQ(CellBackground(image, 30, 1), kRed);  // the selected line break too
  EXPECT_EQ(CellBackground(image, 1, 2), kBlue);  // an ordinary line
  EXPECT_EQ(CellBackground(image, 3, 2), kWhite);
}

TEST_F(PaintTest, ActiveLineColoursAndTheBackgroundBelowTheText) {
  SetText({"one", "two"});
  edit.ActiveLine().SetBackground(clYellow);
  edit.SetCaretPos({1, 2});
  const QImage image = Render();
  EXPECT_EQ(CellBackground(image, 1, 1), kWhite);
  EXPECT_EQ(CellBackground(image, 1, 2), kYellow);
  EXPECT_EQ(CellBackground(image, 60, 2), kYellow);
  EXPECT_EQ(CellBackground(image, 1, 5), kWhite);
}

TEST_F(PaintTest, StatusChangesReachTheControlsHandlerOnce) {
  SetText({"some text"});
  std::vector<TSrcStatusChanges> got;
  edit.SetOnStatusChange([&](TCustomSrcEdit&, TSrcStatusChanges c) { got.push_back(c); });
  edit.Model().MoveCaretAndSelect(edit.Model().SelectionAnchor(), {5, 1}, true);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (TSrcStatusChanges{scCaretX, scSelection}));
}

}  // namespace
}  // namespace torvane
