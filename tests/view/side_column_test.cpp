// A host's side column between the gutter and the text: the room it takes,
// the rows it is asked to paint (with word wrap and folding), that clicks in
// it are no gutter clicks and that the fold bar keeps to the gutter.
#include "view/side_column.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>
#include <string>
#include <vector>

#include "view/src_edit.h"

namespace torvane {
namespace {

class TRecordingColumn : public ISrcEditSideColumn {
 public:
  int Width(const TCustomSrcEdit&) const override { return width; }
  void PaintRow(TCustomSrcEdit&, QPainter& painter, const QRect& cell, int line,
                bool first_row) override {
    painter.fillRect(cell, QColor(10, 200, 10));
    rows.push_back(std::to_string(line) + (first_row ? "" : "+"));
    lefts.push_back(cell.left());
  }
  int width = 40;
  std::vector<std::string> rows;
  std::vector<int> lefts;
};

class SideColumnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(400, 200);
    std::string text;
    for (int i = 1; i <= 30; ++i) {
      text += (i > 1 ? "\n" : "") + std::string("mov eax, ") + std::to_string(i);
    }
    edit.Lines().SetAllText(text);
    edit.show();
  }
  QImage Render() {
    QImage image(edit.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    column.rows.clear();
    column.lefts.clear();
    edit.viewport()->render(&image);
    return image;
  }

  TSrcEdit edit;
  TRecordingColumn column;
};

TEST_F(SideColumnTest, TakesRoomRightOfTheGutterAndPaintsEveryVisibleRow) {
  const int gutter = edit.GutterExtent();
  const int origin = edit.TextOriginX();
  edit.SetSideColumn(&column);
  EXPECT_EQ(edit.GutterExtent(), gutter + 40);
  EXPECT_EQ(edit.TextOriginX(), origin + 40);
  const QImage image = Render();
  ASSERT_FALSE(column.rows.empty());
  EXPECT_EQ(column.rows.front(), "1");
  EXPECT_EQ(column.rows[4], "5");
  for (const int left : column.lefts) {
    EXPECT_EQ(left, gutter);
  }
  EXPECT_EQ(image.pixelColor(gutter + 5, 3), QColor(10, 200, 10));
  EXPECT_NE(image.pixelColor(gutter - 3, 3), QColor(10, 200, 10));
  // Rows below the text are painted as line 0.
  edit.Lines().SetAllText("one\ntwo");
  Render();
  ASSERT_GE(column.rows.size(), 3u);
  EXPECT_EQ(column.rows[2], "0+");
  // A new width is laid out when the host says so; none takes no room.
  column.width = 0;
  edit.SideColumnChanged();
  EXPECT_EQ(edit.GutterExtent(), gutter);
  column.width = 40;
  edit.SideColumnChanged();
  edit.SetSideColumn(nullptr);
  EXPECT_EQ(edit.GutterExtent(), gutter);
}

TEST_F(SideColumnTest, WrappedRowsAreNotFirstRows) {
  edit.SetSideColumn(&column);
  edit.Lines().SetAllText(std::string(300, 'a') + "\nb");
  edit.WordWrap().SetEnabled(true);
  Render();
  ASSERT_GE(column.rows.size(), 3u);
  EXPECT_EQ(column.rows[0], "1");
  EXPECT_EQ(column.rows[1], "1+");
  edit.SetSideColumn(nullptr);
}

TEST_F(SideColumnTest, ClicksInTheColumnAreNoGutterClicks) {
  edit.SetSideColumn(&column);
  int clicks = 0;
  edit.OnGutterClick = [&](TCustomSrcEdit&, Qt::MouseButton, int, int, int, TSrcEditMark*, bool) {
    ++clicks;
  };
  const int inside = edit.GutterExtent() - 20;
  QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, QPoint(inside, 3));
  EXPECT_EQ(clicks, 0);
  QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(clicks, 1);
  edit.SetSideColumn(nullptr);
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

TEST_F(SideColumnTest, SeveralColumnsSitSideBySideInTheOrderAsked) {
  const int gutter = edit.GutterExtent();
  TRecordingColumn second;
  second.width = 25;
  edit.AddSideColumn(&column);
  edit.AddSideColumn(&second, true);  // nearest the line numbers
  edit.AddSideColumn(&column);        // once only
  EXPECT_EQ(edit.SideColumnWidth(), 65);
  EXPECT_EQ(edit.GutterExtent(), gutter + 65);
  EXPECT_EQ(edit.SideColumnLeft(&second), gutter);
  EXPECT_EQ(edit.SideColumnLeft(&column), gutter + 25);
  EXPECT_EQ(edit.SideColumnWidthOf(&second), 25);
  second.rows.clear();
  Render();
  ASSERT_FALSE(column.lefts.empty());
  ASSERT_FALSE(second.lefts.empty());
  EXPECT_EQ(column.lefts.front(), gutter + 25);
  EXPECT_EQ(second.lefts.front(), gutter);
  EXPECT_EQ(column.rows, second.rows);
  // A column of no width takes no room; a removed one is gone.
  second.width = 0;
  edit.SideColumnChanged();
  EXPECT_EQ(edit.SideColumnLeft(&column), gutter);
  edit.RemoveSideColumn(&second);
  EXPECT_EQ(edit.SideColumnLeft(&second), -1);
  EXPECT_EQ(edit.SideColumnWidth(), 40);
  edit.RemoveSideColumn(&column);
  EXPECT_EQ(edit.GutterExtent(), gutter);
}

}  // namespace
}  // namespace torvane
