// Mouse actions on a shown editor: clicks, Shift and Alt, waiting for a
// drag, double clicks, gutter clicks and auto-scrolling.
#include <QMimeData>

#include "input_test_support.h"

namespace torvane {
namespace {

class MouseInputTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    swallow = false;
    SetText(5, "mov ax, bx ; copy");
  }
  TSrcEditModel& Model() { return edit.Model(); }
};

TEST_F(MouseInputTest, ShiftClickExtendsAndAPlainClickCollapses) {
  Click(At(3, 1));
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{3, 1}));
  EXPECT_FALSE(edit.HasSelection());
  Click(At(6, 2), Qt::ShiftModifier);
  EXPECT_EQ(edit.SelStart(), (TBufferPos{3, 1}));
  EXPECT_EQ(edit.SelEnd(), (TBufferPos{6, 2}));
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{6, 2}));
  Click(At(2, 3));
  EXPECT_FALSE(edit.HasSelection());
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{2, 3}));

  // Dragging with the left button selects; the nearest boundary wins.
  Press(At(1, 1));
  DragTo(At(5, 2));
  Release(At(5, 2));
  EXPECT_EQ(edit.SelStart(), (TBufferPos{1, 1}));
  EXPECT_EQ(edit.SelEnd(), (TBufferPos{5, 2}));
  const QPoint right_half = At(5, 2) + QPoint(edit.ColumnWidth() * 3 / 4, 0);
  Click(right_half);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{6, 2}));
}

TEST_F(MouseInputTest, AltDragSelectsAColumnUntilTheNextPlainClick) {
  SetOption(eoAltSetsColumnMode, true);
  Press(At(2, 1), Qt::AltModifier);
  DragTo(At(5, 3), Qt::AltModifier);
  Release(At(5, 3), Qt::AltModifier);
  EXPECT_EQ(edit.SelectionMode(), smColumn);
  EXPECT_EQ(edit.SelectedText(), "ov \r\nov \r\nov ");
  Click(At(1, 4));
  EXPECT_EQ(edit.SelectionMode(), smNormal);
  EXPECT_FALSE(edit.HasSelection());

  // Without the option Alt does nothing to the mode.
  SetOption(eoAltSetsColumnMode, false);
  Click(At(2, 1), Qt::AltModifier);
  EXPECT_EQ(edit.SelectionMode(), smNormal);
}

TEST_F(MouseInputTest, AClickInsideTheSelectionCollapsesItAndMovingStartsADrag) {
  int drags = 0;
  std::string dragged;
  edit.Input().OnStartDrag = [&](TCustomSrcEdit& source, QMimeData* data) {
    ++drags;
    EXPECT_EQ(&source, &edit);
    EXPECT_EQ(TSrcEditInput::DragSource(data), &edit);
    dragged = data->text().toStdString();
  };
  Press(At(1, 1));
  DragTo(At(8, 1));
  Release(At(8, 1));
  ASSERT_EQ(edit.SelectedText(), "mov ax,");

  Press(At(3, 1));
  EXPECT_TRUE(edit.Input().IsWaitingForDrag());
  EXPECT_TRUE(edit.HasSelection());  // kept while a drag may follow
  Release(At(3, 1));
  EXPECT_FALSE(edit.HasSelection());
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{3, 1}));
  EXPECT_EQ(drags, 0);

  Press(At(1, 1));
  DragTo(At(8, 1));
  Release(At(8, 1));
  Press(At(3, 1));
  const int distance = QApplication::startDragDistance();
  DragTo(At(3, 1) + QPoint(distance - 1, 0));
  EXPECT_EQ(drags, 0);
  DragTo(At(3, 1) + QPoint(distance, 0));
  Release(At(3, 1) + QPoint(distance, 0));
  EXPECT_EQ(drags, 1);
  EXPECT_EQ(dragged, "mov ax,");
}

TEST_F(MouseInputTest, DoubleClickSelectsAWordAndGutterClicksWaitForTheRelease) {
  QTest::mouseDClick(edit.viewport(), Qt::LeftButton, Qt::NoModifier, At(6, 2));
  EXPECT_EQ(edit.SelectedText(), "ax");

  std::vector<int> clicks;
  edit.OnGutterClick = [&](TCustomSrcEdit&, Qt::MouseButton b, int, int y, int, TSrcEditMark*,
                           bool) { clicks.push_back(b == Qt::LeftButton ? y : -y); };
  const QPoint gutter(3, At(1, 2).y());
  Press(gutter);
  EXPECT_TRUE(clicks.empty());
  Release(gutter);
  EXPECT_EQ(clicks, std::vector<int>{gutter.y()});
  // Selecting from the gutter over several lines is no click.
  clicks.clear();
  Press(gutter);
  DragTo(At(3, 4));
  Release(QPoint(3, At(3, 4).y()));
  EXPECT_TRUE(clicks.empty());
  // The right button clicks at once.
  QTest::mousePress(edit.viewport(), Qt::RightButton, Qt::NoModifier, gutter);
  EXPECT_EQ(clicks, std::vector<int>{-gutter.y()});
  QTest::mouseRelease(edit.viewport(), Qt::RightButton, Qt::NoModifier, gutter);
  EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(MouseInputTest, HoldingTheMouseBelowTheWindowScrollsUntilRelease) {
  SetText(200, "db 0");
  Press(At(1, 1));
  const int bottom = edit.VisibleRows() * edit.RowHeight();
  const QPoint below(At(1, 1).x(), bottom + 2);
  DragTo(below);
  EXPECT_TRUE(edit.Input().IsAutoScrolling());
  EXPECT_EQ(edit.Input().ScrollDeltaY(), 1);
  QTest::qWait(350);
  const int top = edit.FirstVisibleRow();
  EXPECT_GT(top, 1);
  EXPECT_TRUE(edit.HasSelection());
  EXPECT_EQ(edit.CaretLine(), top + edit.VisibleRows() - 1);
  Release(below);
  EXPECT_FALSE(edit.Input().IsAutoScrolling());
  QTest::qWait(250);
  EXPECT_EQ(edit.FirstVisibleRow(), top);

  // Further below scrolls faster; back inside stops.
  Click(At(1, top + 1));  // inside the selection: collapses it
  Press(At(1, top + 1));
  DragTo(QPoint(below.x(), below.y() + 3 * edit.RowHeight()));
  EXPECT_EQ(edit.Input().ScrollDeltaY(), 4);
  DragTo(At(1, top + 2));
  EXPECT_FALSE(edit.Input().IsAutoScrolling());
  Release(At(1, top + 2));
}

}  // namespace
}  // namespace torvane
