// The editor control with the assembly highlighter: tokens in their look,
// cells unchanged, and range states kept in step with edits.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "highlight/asm_highlighter.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

class HighlightPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(600, 120);
    edit.SetColor(clWhite);
    edit.SetFontColor(clBlack);
    edit.RightEdge().SetVisible(false);
    edit.ActiveLine().SetBackground(clNone);
    edit.ActiveLine().SetForeground(clNone);
    edit.show();
  }
  QImage Render() {
    QImage image(edit.viewport()->size(), QImage::Format_RGB32);
    edit.viewport()->render(&image);
    return image;
  }
  // Dark pixels in columns first..last of row 1.
  int Ink(const QImage& image, int first, int last) {
    int n = 0;
    for (int y = 0; y < edit.RowHeight(); ++y) {
      for (int x = edit.ColumnToX(first); x < edit.ColumnToX(last + 1); ++x) {
        n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
      }
    }
    return n;
  }

  TSrcEdit edit;
  std::unique_ptr<TSrcAsmHighlighter> asm_hl = std::make_unique<TSrcAsmHighlighter>();
};

TEST_F(HighlightPaintTest, KeywordIsDrawnBoldInItsOwnCells) {
  edit.Lines().AppendLine("mov eax, 1 ; x");
  const int plain_width = edit.ColumnWidth();
  const int plain = Ink(Render(), 1, 3);
  edit.SetHighlighter(asm_hl.get());
  EXPECT_EQ(edit.ColumnWidth(), plain_width);  // a fixed-pitch face keeps its cell in bold
  const QImage image = Render();
  EXPECT_GT(Ink(image, 1, 3), plain);
  EXPECT_EQ(Ink(image, 4, 4), 0);  // nothing spills into the blank after it
  // The comment's own colour reaches its cells.
  asm_hl->CommentAttri()->SetForeground(clRed);
  const QImage red = Render();
  bool found_red = false;
  for (int x = edit.ColumnToX(14); x < edit.ColumnToX(15); ++x) {
    for (int y = 0; y < edit.RowHeight(); ++y) {
      const QColor c = red.pixelColor(x, y);
      found_red = found_red || (c.red() > 200 && c.green() < 80 && c.blue() < 80);
    }
  }
  EXPECT_TRUE(found_red);
}

TEST_F(HighlightPaintTest, HighlighterThatGoesAwayDetachesItself) {
  edit.Lines().AppendLine("mov eax, 1");
  edit.SetHighlighter(asm_hl.get());
  asm_hl.reset();
  EXPECT_EQ(edit.Highlighter(), nullptr);
  Render();  // paints plainly, without touching the freed highlighter
}

TEST_F(HighlightPaintTest, WordSelectionUsesTheHighlightersWordCharacters) {
  edit.Lines().AppendLine("  mov eax, [ebx+4]");
  edit.SetHighlighter(asm_hl.get());
  edit.Model().SelectWordAt({13, 1});
  EXPECT_EQ(edit.SelectedText(), "ebx");
}

}  // namespace
}  // namespace torvane
