// Word wrap in the editor control: the width by style, switching the row
// layout on and off, and laying rows out again when the width changes.
#include "editor/word_wrap_plugin.h"
#include "view/src_edit.h"

namespace torvane {

void TCustomSrcEdit::InitWordWrap() {
  word_wrap_.OnChange = [this] { WordWrapChanged(); };
  word_wrap_.Indicator().OnChange = [this] { MarkGutterLinesDirty(-1, -1); };
}

int TCustomSrcEdit::WrapWidth() const {
  switch (word_wrap_.Style()) {
    case wwsRightEdge:
      return right_edge_.Position();
    case wwsSpecified:
      return word_wrap_.Position();
    case wwsClientWidth:
      break;
  }
  return metrics_.VisibleColumns();
}

void TCustomSrcEdit::WordWrapChanged() {
  if (word_wrap_.Enabled() != model_.WordWrapActive()) {
    SetWordWrapActive(word_wrap_.Enabled());
  }
  WrapWidthChanged();
  InvalidateAll();
}

void TCustomSrcEdit::SetWordWrapActive(bool on) {
  if (on == model_.WordWrapActive()) {
    return;
  }
  InvalidateAll();
  const TPositionMapping& mapping = model_.Mapping();
  const TDisplayPos caret = model_.DisplayPos();
  const bool caret_visible = caret.Row >= FirstVisibleRow() &&
                             caret.Row < FirstVisibleRow() + VisibleRows() &&
                             caret.Column >= FirstVisibleColumn() &&
                             caret.Column < FirstVisibleColumn() + VisibleColumns();
  const int top_line = mapping.LineOfRow(FirstVisibleRow());
  TPaintHoldScope hold(model_.PaintHold());
  model_.SetWordWrapActive(on);
  if (on) {
    SetFirstVisibleColumn(1);  // wrapped text needs no horizontal scrolling
  }
  SetFirstVisibleRow(mapping.RowOfLine(top_line));
  RefreshScrollBars();
  if (caret_visible) {
    ScrollCaretIntoView(false);
  }
}

void TCustomSrcEdit::WrapWidthChanged() {
  TSrcWordWrapPlugin* layout = model_.WordWrapLayout();
  if (layout == nullptr || WrapRowLength(WrapWidth()) == layout->MaxRowLength()) {
    return;
  }
  const TPositionMapping& mapping = model_.Mapping();
  const int top_line = mapping.LineOfRow(FirstVisibleRow());
  TPaintHoldScope hold(model_.PaintHold());
  layout->WidthChanged();
  InvalidateAll();
  SetFirstVisibleRow(mapping.RowOfLine(top_line));
  RefreshScrollBars();
  model_.PaintHold().RequestCaretUpdate();
}

}  // namespace torvane
