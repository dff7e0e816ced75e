// Pixels to display positions and back.
#include "view/pixel_conversions.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(PixelConversionsTest, CellsNearestBoundariesAndBack) {
  TViewMetrics m;
  m.SetCell(8, 16);
  m.SetGutterExtent(30);  // text starts at x 32
  const int h = m.RowHeight();
  m.SetClientSize(32 + 80 * 8, 10 * h);
  EXPECT_EQ(PixelsToRowColumn(m, 32, 0), (TDisplayPos{1, 1}));
  EXPECT_EQ(PixelsToRowColumn(m, 32 + 15, 2 * h - 1), (TDisplayPos{2, 2}));
  EXPECT_EQ(PixelsToRowColumn(m, 0, 0), (TDisplayPos{1, 1}));  // the gutter: column 1

  // Halves go to the even boundary: 4/8 -> 0, 12/8 -> 2, 20/8 -> 2.
  EXPECT_EQ(PixelsToNearestRowColumn(m, 32 + 4, 0).Column, 1);
  EXPECT_EQ(PixelsToNearestRowColumn(m, 32 + 5, 0).Column, 2);
  EXPECT_EQ(PixelsToNearestRowColumn(m, 32 + 12, 0).Column, 3);
  EXPECT_EQ(PixelsToNearestRowColumn(m, 32 + 20, 0).Column, 3);
  EXPECT_EQ(PixelsToNearestRowColumn(m, 32 + 21, 0).Column, 4);
  // Below the window the row stays on its last row.
  EXPECT_EQ(PixelsToNearestRowColumn(m, 32, 10 * h + 3 * h).Row, 10);
  EXPECT_EQ(PixelsToRowColumn(m, 32, 10 * h + 3 * h).Row, 14);

  m.SetFirstVisibleRow(5);
  m.SetFirstVisibleColumn(3);
  EXPECT_EQ(PixelsToRowColumn(m, 32, 0), (TDisplayPos{3, 5}));
  EXPECT_EQ(RowColumnToPixels(m, {3, 5}), QPoint(32, 0));
  EXPECT_EQ(RowColumnToPixels(m, {4, 7}), QPoint(40, 2 * h));
  for (int col = 3; col < 20; ++col) {
    const QPoint p = RowColumnToPixels(m, {col, 6});
    EXPECT_EQ(PixelsToRowColumn(m, p.x(), p.y()), (TDisplayPos{col, 6}));
    EXPECT_EQ(PixelsToNearestRowColumn(m, p.x() + 3, p.y() + h - 1), (TDisplayPos{col, 6}));
  }
}

}  // namespace
}  // namespace torvane
