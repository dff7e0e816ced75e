// The caret the editor draws, focus, the right-edge drag line and the
// background picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "view/src_edit.h"

namespace torvane {
namespace {

class CaretFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(500, 150);
    edit.SetColor(clWhite);
    edit.ActiveLine().SetBackground(clNone);
    edit.ActiveLine().SetForeground(clNone);
    edit.RightEdge().SetVisible(false);
    edit.Lines().AppendLine("abc");
    edit.Lines().AppendLine("defgh");
    edit.show();
  }
  QImage Render() {
    QImage image(edit.viewport()->size(), QImage::Format_RGB32);
    edit.viewport()->render(&image);
    return image;
  }
  bool Focus() {
    edit.activateWindow();
    edit.setFocus();
    return QTest::qWaitForWindowActive(&edit) && edit.hasFocus();
  }
  // x of the pixel column the vertical-line caret covers inside the cell.
  int CaretX(int column) { return edit.ColumnToX(column); }
  int RowMiddle(int row) { return (row - 1) * edit.RowHeight() + edit.RowHeight() / 2; }

  TSrcEdit edit;
};

TEST_F(CaretFocusTest, CaretIsDrawnOnlyWithFocusAndFollowsMoves) {
  // Column 4 of row 1 is blank: any dark pixel there is the caret.
  edit.SetCaretPos({4, 1});
  EXPECT_EQ(Render().pixelColor(CaretX(4), RowMiddle(1)), QColor(Qt::white));
  if (!Focus()) {
    GTEST_SKIP() << "the platform gives no focus";
  }
  EXPECT_NE(Render().pixelColor(CaretX(4), RowMiddle(1)), QColor(Qt::white));
  edit.Model().MoveCaretByRows(1, false);
  const QImage moved = Render();
  EXPECT_EQ(moved.pixelColor(CaretX(4), RowMiddle(1)), QColor(Qt::white));
  EXPECT_NE(moved.pixelColor(CaretX(4), RowMiddle(2)), moved.pixelColor(CaretX(4) + 3, 1));
  // eoNoCaret: created and placed, never shown.
  edit.SetOptions(edit.Options() | TSrcEditorOptions{eoNoCaret});
  EXPECT_EQ(Render().pixelColor(CaretX(7), RowMiddle(2)), QColor(Qt::white));
}

TEST_F(CaretFocusTest, HideSelectionShowsTheSelectionAgainWithFocus) {
  edit.SetHideSelection(true);
  edit.SelectedColor().SetBackground(clBlue);
  edit.Model().SetSelectionAnchor({1, 2});
  edit.Model().SetSelectionActiveEnd({4, 2});
  const int y = edit.RowHeight();  // top pixel row of row 2
  EXPECT_EQ(Render().pixelColor(edit.ColumnToX(2) + 2, y), QColor(Qt::white));
  if (!Focus()) {
    GTEST_SKIP() << "the platform gives no focus";
  }
  EXPECT_EQ(Render().pixelColor(edit.ColumnToX(2) + 2, y), QColor(Qt::blue));
}

TEST_F(CaretFocusTest, RightEdgeDragLineIsDrawnAndRemoved) {
  edit.DrawRightEdgeDragLine(200, -1);
  const QImage with_line = Render();
  int dark = 0;
  for (int y = 1; y < with_line.height(); ++y) {
    dark += qGray(with_line.pixel(200, y)) < 64 ? 1 : 0;
  }
  EXPECT_GT(dark, with_line.height() / 4);  // dotted
  EXPECT_LT(dark, with_line.height());
  edit.DrawRightEdgeDragLine(-1, 200);
  EXPECT_EQ(Render().pixelColor(200, 100), QColor(Qt::white));
}

TEST_F(CaretFocusTest, BackgroundPictureTilesAndScrollsWithTheText) {
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::green);
  picture.setPixelColor(0, 0, Qt::red);
  edit.Background().SetBackground(picture);
  edit.Background().SetRepeatMode(brmAll);
  edit.Background().SetVisible(true);
  const int x0 = edit.GutterExtent() + 2;
  QImage image = Render();
  // Far right of the text and below it the picture shows, tiled every 4 pixels.
  EXPECT_EQ(image.pixelColor(x0 + 400, 100), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(x0 + 401, 100), QColor(Qt::green));
  EXPECT_EQ(image.pixelColor(x0 + 400, 4 * (edit.RowHeight() + 1)), QColor(Qt::red));
  // Only once, without repeating.
  edit.Background().SetRepeatMode(brmNone);
  image = Render();
  EXPECT_EQ(image.pixelColor(x0 + 400, 100), QColor(Qt::white));
}

}  // namespace
}  // namespace torvane
