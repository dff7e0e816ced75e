// Mouse handling: clicks place the caret and select (Shift extends, Alt may
// force column mode), a click inside the selection may start a drag, the
// left button held beyond the text area auto-scrolls, a double click selects
// a word, gutter clicks are decided at release, and the right edge can be
// dragged.
#include <QApplication>
#include <QMouseEvent>

#include "view/pixel_conversions.h"
#include "view/src_edit.h"
#include "view/src_edit_input.h"

namespace torvane {
namespace {

// Pixels around the right-edge line where it can be grabbed.
constexpr int kEdgeGrab = 3;

TShiftState ButtonsState(Qt::MouseButtons buttons) {
  TShiftState s = 0;
  if ((buttons & Qt::LeftButton) != 0) {
    s |= ssLeft;
  }
  if ((buttons & Qt::RightButton) != 0) {
    s |= ssRight;
  }
  if ((buttons & Qt::MiddleButton) != 0) {
    s |= ssMiddle;
  }
  return s;
}

bool ButtonOf(Qt::MouseButton qt, TMouseButton& button) {
  switch (qt) {
    case Qt::LeftButton:
      button = mbLeft;
      return true;
    case Qt::RightButton:
      button = mbRight;
      return true;
    case Qt::MiddleButton:
      button = mbMiddle;
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TSrcEditInput::MouseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  TShiftState shift = ShiftStateFromQt(event->modifiers()) | ButtonsState(event->buttons());
  if (event->type() == QEvent::MouseMove) {
    MouseMove(shift, p.x(), p.y());
    return true;
  }
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) {
    return false;
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      MouseDown(button, shift, p.x(), p.y());
      break;
    case QEvent::MouseButtonDblClick:
      DoubleClick(button, shift | ssDouble, p.x(), p.y());
      break;
    case QEvent::MouseButtonRelease:
      MouseUp(button, shift, p.x(), p.y());
      break;
    default:
      return false;
  }
  return true;
}

int TSrcEditInput::RightEdgeX() const {
  return editor_.RightEdge().Position() * editor_.ColumnWidth() + editor_.TextOriginX();
}

void TSrcEditInput::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSrcEditModel& model = editor_.Model();
  const bool had_selection = model.HasSelection();
  if (button == mbLeft && had_selection) {
    mouse_down_point_ = QPoint(x, y);
  }
  last_mouse_ = QPoint(x, y);
  if (OnMouseDown) {
    OnMouseDown(editor_, button, shift, x, y);
  }
  kbd_handler_.RunMouseDown(&editor_, button, shift, x, y);

  const TSrcRightEdge& edge = editor_.RightEdge();
  if (button == mbLeft && edge.Visible() && edge.MouseMove() &&
      std::abs(x - RightEdgeX()) <= kEdgeGrab) {
    dragging_edge_ = true;
    edge_last_x_ = x;
    editor_.DrawRightEdgeDragLine(x, -1);
    return;
  }

  const bool in_text = x >= TextAreaLeft(editor_.Metrics());
  if (in_text && button == mbLeft) {
    PlaceCaretAtPixel(x, y);
  } else if (in_text && button == mbRight && model.HasOption(eoRightMouseMovesCursor)) {
    if (!(had_selection && model.IsPointInSelection(BufferPosAtPixel(x, y)))) {
      PlaceCaretAtPixel(x, y);
      model.SetSelectionAnchor(model.CaretPos());
    }
  }

  if (button == mbLeft) {
    mouse_captured_ = true;
    waiting_for_drag_ = had_selection && model.HasOption(eoDragDropEditing) && in_text &&
                        model.SelectionMode() == smNormal &&
                        model.IsPointInSelection(model.CaretPos());
    if (!waiting_for_drag_ && !double_clicked_) {
      if ((shift & ssShift) != 0) {
        model.SetSelectionActiveEnd(model.CaretPos());
      } else {
        model.SetSelectionAnchor(model.CaretPos());
        SetAltColumnMode((shift & ssAlt) != 0);
      }
    }
  }

  if (!in_text) {
    if (button == mbRight) {
      GutterClick(button, x, y);
    } else {
      possible_gutter_click_ = true;
    }
  }
  editor_.setFocus(Qt::MouseFocusReason);
}

void TSrcEditInput::SetAltColumnMode(bool alt) {
  TSrcEditModel& model = editor_.Model();
  if (!model.HasOption(eoAltSetsColumnMode)) {
    return;
  }
  if (alt) {
    if (!alt_column_mode_) {
      saved_selection_mode_ = model.SelectionMode();
      alt_column_mode_ = true;
    }
    model.SetSelectionMode(smColumn);
  } else if (alt_column_mode_) {
    alt_column_mode_ = false;
    model.SetSelectionMode(saved_selection_mode_);
  }
}

void TSrcEditInput::MouseMove(TShiftState shift, int x, int y) {
  last_mouse_ = QPoint(x, y);
  if (OnMouseMove) {
    OnMouseMove(editor_, shift, x, y);
  }
  const TSrcRightEdge& edge = editor_.RightEdge();
  if (edge.Visible() && edge.MouseMove()) {
    const bool near = dragging_edge_ || std::abs(x - RightEdgeX()) <= kEdgeGrab;
    editor_.viewport()->setCursor(near ? Qt::SplitHCursor : cursor_);
    if (dragging_edge_) {
      editor_.DrawRightEdgeDragLine(x, edge_last_x_);
      edge_last_x_ = x;
      return;
    }
    if (near) {
      return;
    }
  }
  UpdateMouseCursor(x, y);
  if (editor_.CodeFoldingEnabled()) {
    editor_.UpdateCollapsedCodeHint(x, y);
  }

  TSrcEditModel& model = editor_.Model();
  if (waiting_for_drag_ && mouse_captured_) {
    const int distance = QApplication::startDragDistance();
    if (std::abs(x - mouse_down_point_.x()) >= distance ||
        std::abs(y - mouse_down_point_.y()) >= distance) {
      waiting_for_drag_ = false;
      StartDrag();
    }
  } else if ((shift & ssLeft) != 0 && mouse_captured_) {
    ComputeScrollDeltas(x, y);
    TDisplayPos pos = PixelsToNearestRowColumn(editor_.Metrics(), x, y);
    pos.Row = std::clamp(pos.Row, 1, std::max(model.Mapping().DisplayRowCount(), 1));
    // While the timer scrolls in a direction, it moves the caret that way.
    if (scroll_dx_ != 0) {
      pos.Column = model.DisplayColumn();
    }
    if (scroll_dy_ != 0) {
      pos.Row = model.DisplayRow();
    }
    model.PlaceCaretAtDisplay(pos, true);
    model.SetSelectionActiveEnd(model.CaretPos());
    if (possible_gutter_click_ && model.CaretLine() != model.SelectionAnchor().Line) {
      gutter_drag_ = true;
    }
  }
}

void TSrcEditInput::ComputeScrollDeltas(int x, int y) {
  const TViewMetrics& m = editor_.Metrics();
  const int w = std::max(m.ColumnWidth(), 1);
  const int h = m.RowHeight();
  const int left = TextAreaLeft(m);
  const int right = left + m.VisibleColumns() * w;
  const int bottom = m.VisibleRows() * h;
  scroll_dx_ = x < left ? (x - left) / w - 1 : x >= right ? (x - right) / w + 1 : 0;
  scroll_dy_ = y < 0 ? y / h - 1 : y >= bottom ? (y - bottom) / h + 1 : 0;
  if (scroll_dx_ != 0 || scroll_dy_ != 0) {
    if (!scroll_timer_.isActive()) {
      scroll_timer_.start();
    }
  } else {
    scroll_timer_.stop();
  }
}

void TSrcEditInput::AutoScrollStep() {
  TSrcEditModel& model = editor_.Model();
  const int rows = std::max(model.Mapping().DisplayRowCount(), 1);
  TDisplayPos pos = PixelsToRowColumn(editor_.Metrics(), last_mouse_.x(), last_mouse_.y());
  pos.Row = std::clamp(pos.Row, 1, rows);
  if (scroll_dx_ != 0) {
    editor_.SetFirstVisibleColumn(editor_.FirstVisibleColumn() + scroll_dx_);
    pos.Column = editor_.FirstVisibleColumn() + (scroll_dx_ > 0 ? editor_.VisibleColumns() : 0);
  }
  if (scroll_dy_ != 0) {
    const bool page = (QApplication::keyboardModifiers() & Qt::ShiftModifier) != 0;
    editor_.SetFirstVisibleRow(editor_.FirstVisibleRow() +
                               (page ? scroll_dy_ * editor_.VisibleRows() : scroll_dy_));
    pos.Row = editor_.FirstVisibleRow();
    if (scroll_dy_ > 0) {
      pos.Row += std::max(editor_.VisibleRows() - 1, 0);
    }
    pos.Row = std::clamp(pos.Row, 1, rows);
  }
  const TBufferPos target = model.ConvertToBuffer(pos);
  if (target != model.CaretPos()) {
    // The view has just been scrolled; the caret only follows.
    model.PlaceCaret(target, false, model.EndsRow(target, pos.Row));
    if (mouse_captured_) {
      model.SetSelectionActiveEnd(model.CaretPos());
    }
  }
  ComputeScrollDeltas(last_mouse_.x(), last_mouse_.y());
}

void TSrcEditInput::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) {
    OnMouseUp(editor_, button, shift, x, y);
  }
  kbd_handler_.RunMouseUp(&editor_, button, shift, x, y);
  if (dragging_edge_) {
    dragging_edge_ = false;
    editor_.DrawRightEdgeDragLine(-1, edge_last_x_);
    TSrcRightEdge& edge = editor_.RightEdge();
    int column = PixelsToRowColumn(editor_.Metrics(), x, y).Column;
    if (column < edge.Position()) {
      --column;
    }
    edge.SetPosition(std::max(column, 0));
  }
  if (editor_.CodeFoldingEnabled()) {
    editor_.Model().UpdateCurrentFoldRange();
  }
  scroll_timer_.stop();
  scroll_dx_ = 0;
  scroll_dy_ = 0;
  mouse_captured_ = false;

  TSrcEditModel& model = editor_.Model();
  if (possible_gutter_click_ && x < TextAreaLeft(editor_.Metrics()) && !gutter_drag_ &&
      button != mbRight) {
    GutterClick(button, x, y);
  } else if (waiting_for_drag_ && !double_clicked_) {
    // The drag never started: a plain click inside the selection.
    PlaceCaretAtPixel(x, y);
    if ((shift & ssShift) == 0) {
      model.SetSelectionAnchor(model.CaretPos());
    }
    model.SetSelectionActiveEnd(model.CaretPos());
  }
  waiting_for_drag_ = false;
  double_clicked_ = false;
  possible_gutter_click_ = false;
  gutter_drag_ = false;
}

void TSrcEditInput::DoubleClick(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) {
    OnMouseDown(editor_, button, shift, x, y);
  }
  if (button != mbLeft) {
    return;
  }
  TSrcEditModel& model = editor_.Model();
  if (x >= TextAreaLeft(editor_.Metrics())) {
    // Normally the first click put the caret here already.
    PlaceCaretAtPixel(x, y);
    if (!model.HasOption(eoNoSelection)) {
      model.SelectWordAt(model.CaretPos());
    }
    if (OnDblClick) {
      OnDblClick(editor_);
    }
    double_clicked_ = true;
    mouse_captured_ = false;
    waiting_for_drag_ = false;
  } else if (OnDblClick) {
    OnDblClick(editor_);
  }
}

void TSrcEditInput::UpdateMouseCursor(int x, int y) {
  const TSrcEditModel& model = editor_.Model();
  const TBufferPos pos = model.ConvertToBuffer(PixelsToRowColumn(editor_.Metrics(), x, y));
  Qt::CursorShape cursor = cursor_;
  if (x < TextAreaLeft(editor_.Metrics())) {
    cursor = Qt::ArrowCursor;  // the gutter's
  } else if (model.HasOption(eoDragDropEditing) && !mouse_captured_ &&
             model.IsPointInSelection(pos)) {
    cursor = Qt::ArrowCursor;
  }
  if (OnMouseCursor) {
    OnMouseCursor(editor_, pos, cursor);
  }
  kbd_handler_.RunMouseCursor(&editor_, pos, cursor);
  if (editor_.viewport()->cursor().shape() != cursor) {
    editor_.viewport()->setCursor(cursor);
  }
}

void TSrcEditInput::GutterClick(TMouseButton button, int x, int y) {
  const Qt::MouseButton qt = button == mbLeft    ? Qt::LeftButton
                             : button == mbRight ? Qt::RightButton
                                                 : Qt::MiddleButton;
  editor_.HandleGutterClick(qt, x, y);
}

}  // namespace torvane
