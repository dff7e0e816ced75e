// The first visible row and column, bringing the caret into view, and the
// scroll bars that show both.
#include <QScrollBar>

#include "view/src_edit.h"

namespace torvane {

void TCustomSrcEdit::SetFirstVisibleRow(int row) {
  const int rows = model_.Mapping().DisplayRowCount();
  const int bound = model_.HasOption(eoScrollPastEof) ? rows : rows - metrics_.VisibleRows() + 1;
  row = std::max(std::min(row, bound), 1);
  if (row == metrics_.FirstVisibleRow()) {
    return;
  }
  metrics_.SetFirstVisibleRow(row);
  InvalidateAll();
  PlaceCaretView();
  RefreshScrollBars();
  model_.RaiseStatusChange({scTopLine});
}

void TCustomSrcEdit::SetFirstVisibleColumn(int column) {
  const int visible = metrics_.VisibleColumns();
  long bound;
  if (model_.HasOption(eoScrollPastEol)) {
    bound = model_.HasOption(eoAutoSizeMaxScrollWidth) ? 2147483647L - visible
                                                       : model_.MaxScrollWidth() - visible + 1L;
  } else {
    const int longest = Lines().LongestLineLength();
    bound = visible < longest ? longest - visible + 1 : 1;
  }
  column = static_cast<int>(std::clamp<long>(column, 1, std::max(bound, 1L)));
  if (column == metrics_.FirstVisibleColumn()) {
    return;
  }
  metrics_.SetFirstVisibleColumn(column);
  InvalidateAll();
  PlaceCaretView();
  RefreshScrollBars();
  model_.RaiseStatusChange({scLeftChar});
}

void TCustomSrcEdit::ScrollCaretIntoView(bool centre) {
  const int visible_columns = metrics_.VisibleColumns();
  if (visible_columns <= 0) {
    return;
  }
  TPaintHoldScope hold(model_.PaintHold());
  const TDisplayPos caret = model_.DisplayPos();
  const int first_column = metrics_.FirstVisibleColumn();
  if (caret.Column < first_column) {
    SetFirstVisibleColumn(caret.Column);
  } else if (caret.Column >= first_column + visible_columns) {
    SetFirstVisibleColumn(caret.Column - visible_columns + 24);
  } else {
    SetFirstVisibleColumn(first_column);
  }
  const int rows = metrics_.VisibleRows();
  const int top = metrics_.FirstVisibleRow();
  if (centre) {
    if (caret.Row < top - 1) {
      SetFirstVisibleRow(std::max(caret.Row - rows / 2 + 1, 1));
    } else if (caret.Row > top + rows - 2) {
      SetFirstVisibleRow(caret.Row - rows + 1 + rows / 2);
    }
  } else if (caret.Row < top) {
    SetFirstVisibleRow(caret.Row);
  } else if (caret.Row > top + std::max(1, rows) - 1) {
    SetFirstVisibleRow(caret.Row - rows + 1);
  } else {
    SetFirstVisibleRow(top);
  }
}

void TCustomSrcEdit::UpdateScrollBars() {
  const int rows = model_.Mapping().DisplayRowCount();
  const int visible_rows = metrics_.VisibleRows();
  const int v_range = rows + (model_.HasOption(eoScrollPastEof) ? visible_rows - 1 : 0);
  QScrollBar* v = verticalScrollBar();
  QScrollBar* h = horizontalScrollBar();
  const QSignalBlocker block_v(v);
  const QSignalBlocker block_h(h);
  v->setRange(1, std::max(1, v_range - visible_rows + 1));
  v->setPageStep(std::max(visible_rows, 1));
  v->setValue(metrics_.FirstVisibleRow());
  const int visible_columns = metrics_.VisibleColumns();
  const int h_range = model_.HasOption(eoScrollPastEol) ? model_.MaxScrollWidth()
                                                        : std::max(Lines().LongestLineLength(), 1);
  h->setRange(1, std::max(1, h_range - visible_columns + 1));
  h->setPageStep(std::max(visible_columns, 1));
  h->setValue(metrics_.FirstVisibleColumn());
}

void TCustomSrcEdit::RefreshScrollBars() {
  model_.PaintHold().RequestScrollBarUpdate();
}

void TCustomSrcEdit::scrollContentsBy(int, int) {
  SetFirstVisibleRow(verticalScrollBar()->value());
  SetFirstVisibleColumn(horizontalScrollBar()->value());
}

}  // namespace torvane
