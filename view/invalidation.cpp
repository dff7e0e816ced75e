// Line ranges to row rectangles, through the one row/line mapping.
#include "view/invalidation.h"

#include <algorithm>
#include <utility>

#include "editor/position_mapping.h"
#include "view/view_metrics.h"

namespace torvane {

bool TViewInvalidator::VisibleRowsOf(int first, int last, bool gutter, int& first_row,
                                     int& last_row) const {
  first = std::max(first, 1);
  last = std::max(last, 1);
  if (first > last) {
    std::swap(first, last);
  }
  const int top = metrics_.FirstVisibleRow();
  first_row = mapping_.RowOfLine(first);
  // Lines below the window (every line appended while a file is read) are
  // turned away before the division VisibleRows costs: row r lies below
  // the last visible row when (r - top) * row height passes the height.
  if (first_row > top &&
      static_cast<long long>(first_row - top) * metrics_.RowHeight() > metrics_.ClientHeight()) {
    return false;
  }
  const int bottom = top + metrics_.VisibleRows();
  const int count = mapping_.LineCount();
  if (last >= count) {
    last_row = bottom;
  } else if (mapping_.IsWrapping() && !gutter) {
    last_row = mapping_.RowOfLine(last + 1) - 1;
  } else {
    last_row = mapping_.RowOfLine(last);
  }
  first_row = std::max(first_row, top);
  last_row = std::min(last_row, bottom);
  return first_row <= last_row;
}

void TViewInvalidator::MarkRows(int first_row, int last_row, int left, int right) {
  const int top = metrics_.RowToY(first_row);
  const int bottom = metrics_.RowToY(last_row + 1);
  InvalidateRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

bool TViewInvalidator::PendingCoversAll() const {
  return collecting_ > 0 && !pending_.isEmpty() && pending_.left() <= 0 && pending_.top() <= 0 &&
         pending_.right() >= metrics_.ClientWidth() - 1 &&
         pending_.bottom() >= metrics_.ClientHeight() - 1;
}

void TViewInvalidator::MarkTextLinesDirty(int first, int last) {
  if (PendingCoversAll()) {
    return;  // e.g. every line appended while a file is read
  }
  const int left = metrics_.GutterExtent();
  const int right = metrics_.ClientWidth();
  if (first == -1 && last == -1) {
    InvalidateRect(QRect(left, 0, right - left, metrics_.ClientHeight()));
    return;
  }
  int first_row = 0;
  int last_row = 0;
  if (VisibleRowsOf(first, last, false, first_row, last_row)) {
    MarkRows(first_row, last_row, left, right);
  }
}

void TViewInvalidator::MarkGutterLinesDirty(int first, int last) {
  if (PendingCoversAll()) {
    return;
  }
  if (first == -1 && last == -1) {
    InvalidateRect(QRect(0, 0, metrics_.GutterExtent(), metrics_.ClientHeight()));
    return;
  }
  int first_row = 0;
  int last_row = 0;
  if (VisibleRowsOf(first, last, true, first_row, last_row)) {
    MarkRows(first_row, last_row, 0, metrics_.GutterExtent());
  }
}

void TViewInvalidator::MarkTextLineDirty(int line) {
  if (PendingCoversAll()) {
    return;
  }
  if (line < 1 || line > mapping_.LineCount()) {
    return;
  }
  if (mapping_.IsWrapping()) {
    MarkTextLinesDirty(line, line);
    return;
  }
  const int top = metrics_.FirstVisibleRow();
  if (line >= top && line <= top + metrics_.VisibleRows()) {
    MarkRows(line, line, metrics_.GutterExtent(), metrics_.ClientWidth());
  }
}

void TViewInvalidator::InvalidateAll() {
  InvalidateRect(QRect(0, 0, metrics_.ClientWidth(), metrics_.ClientHeight()));
}

void TViewInvalidator::InvalidateRect(const QRect& rect) {
  if (!enabled_ || rect.isEmpty()) {
    return;
  }
  if (collecting_ > 0) {
    pending_ = pending_.united(rect);
    return;
  }
  update_(rect);
}

void TViewInvalidator::EndCollecting() {
  if (collecting_ == 0 || --collecting_ > 0) {
    return;
  }
  const QRect pending = std::exchange(pending_, QRect());
  if (!pending.isEmpty()) {
    update_(pending);
  }
}

}  // namespace torvane
