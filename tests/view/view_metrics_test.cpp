#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <QRect>
#include <vector>

#include "document/string_list.h"
#include "editor/position_mapping.h"
#include "view/caret_view.h"
#include "view/invalidation.h"

namespace torvane {
namespace {

TEST(ViewMetricsTest, RowHeightFollowsTheLineSpacingRule) {
  TViewMetrics m;
  m.SetCell(8, 16);
  EXPECT_EQ(m.RowHeight(), 18);
  m.SetLineSpacingRule(lsOneAndHalf);
  EXPECT_EQ(m.RowHeight(), 26);
  m.SetLineSpacingRule(lsDouble);
  EXPECT_EQ(m.RowHeight(), 34);
  m.SetLineSpacingRule(lsSpecified);
  EXPECT_EQ(m.RowHeight(), 16);
  m.SetLineSpacing(5);
  EXPECT_EQ(m.RowHeight(), 21);
  m.SetLineSpacingRule(lsOneAndHalf);
  m.SetCell(8, 13);  // 6.5 rounds to 6
  EXPECT_EQ(m.RowHeight(), 21);
  m.SetCell(8, 11);  // 5.5 rounds to 6
  EXPECT_EQ(m.RowHeight(), 19);
}

TEST(ViewMetricsTest, VisibleExtentAndTextOrigin) {
  TViewMetrics m;
  m.SetCell(10, 16);
  m.SetClientSize(432, 185);
  EXPECT_EQ(m.TextOriginX(), 32);
  EXPECT_EQ(m.VisibleColumns(), 40);
  EXPECT_EQ(m.VisibleRows(), 10);
  m.SetFirstVisibleColumn(5);
  EXPECT_EQ(m.TextOriginX(), -8);
  EXPECT_EQ(m.ColumnToX(5), 32);
  m.SetGutterExtent(-3);
  EXPECT_EQ(m.GutterExtent(), 0);
  m.SetClientSize(1, 1);
  EXPECT_EQ(m.VisibleColumns(), 0);
}

TEST(InvalidationTest, LineRangesBecomeRowRectanglesOfTheVisibleRows) {
  TSrcEditStringList lines;
  for (int i = 0; i < 100; ++i) {
    lines.AppendLine("x");
  }
  TPositionMapping mapping(lines);
  TViewMetrics m;
  m.SetCell(10, 16);          // rows of 18
  m.SetClientSize(500, 180);  // 10 rows
  m.SetFirstVisibleRow(11);
  std::vector<QRect> sent;
  TViewInvalidator inv(m, mapping, [&](const QRect& r) { sent.push_back(r); });

  inv.MarkTextLinesDirty(14, 12);  // swapped into order
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], QRect(30, 18, 470, 54));
  sent.clear();
  inv.MarkTextLinesDirty(1, 5);  // above the window
  EXPECT_TRUE(sent.empty());
  inv.MarkTextLinesDirty(19, 500);  // to the end: clipped to the last (partial) row
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], QRect(30, 8 * 18, 470, 3 * 18));
  sent.clear();
  inv.MarkGutterLinesDirty(11, 11);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], QRect(0, 0, 30, 18));
  sent.clear();
  inv.MarkTextLineDirty(101);  // no such line
  inv.MarkTextLineDirty(30);   // not visible
  EXPECT_TRUE(sent.empty());

  // While collecting, everything unites into one pending rectangle.
  inv.BeginCollecting();
  inv.MarkTextLineDirty(11);
  inv.MarkTextLineDirty(13);
  EXPECT_TRUE(sent.empty());
  inv.EndCollecting();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], QRect(30, 0, 470, 54));
  sent.clear();

  // Once the pending rectangle holds the whole area, line ranges add
  // nothing; an area grown meanwhile is still added.
  inv.BeginCollecting();
  inv.MarkTextLinesDirty(11, 500);
  inv.MarkGutterLinesDirty(11, 500);
  const QRect all = inv.PendingRect();
  EXPECT_TRUE(all.contains(QRect(0, 0, 500, 180)));
  inv.MarkTextLinesDirty(12, 12);
  inv.MarkTextLineDirty(13);
  inv.MarkGutterLinesDirty(14, 14);
  EXPECT_EQ(inv.PendingRect(), all);
  m.SetClientSize(600, 216);
  inv.MarkTextLinesDirty(11, 500);
  inv.MarkGutterLinesDirty(11, 500);
  inv.EndCollecting();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(sent[0].contains(QRect(0, 0, 600, 216)));
}

TEST(CaretShapeTest, ShapesSitInTheCell) {
  EXPECT_EQ(CaretShapeRect(ctVerticalLine, 10, 16, 2), QRect(-1, 1, 2, 16));
  EXPECT_EQ(CaretShapeRect(ctHorizontalLine, 10, 16, 2), QRect(0, 17, 10, 2));
  EXPECT_EQ(CaretShapeRect(ctHalfBlock, 10, 16, 2), QRect(0, 9, 10, 8));
  EXPECT_EQ(CaretShapeRect(ctBlock, 10, 16, 18), QRect(0, 9, 10, 16));
}

}  // namespace
}  // namespace torvane
