// Scrolling the editor: the first visible row and column (moving pixels for
// small moves), bringing the caret into view, the scroll bars in their
// styles, the nine scroll codes with the hint, and the mouse wheel.
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "editor/word_wrap_plugin.h"
#include "view/scroll_hint.h"
#include "view/src_edit.h"

namespace torvane {

TScrollExtent TCustomSrcEdit::ScrollExtent() const {
  TScrollExtent extent;
  extent.DisplayRowCount = model_.Mapping().DisplayRowCount();
  extent.VisibleRows = metrics_.VisibleRows();
  extent.VisibleColumns = metrics_.VisibleColumns();
  extent.LongestLineLength = model_.Lines().LongestLineLength();
  extent.MaxScrollWidth = model_.MaxScrollWidth();
  extent.WordWrap = model_.Mapping().IsWrapping();
  extent.WrapWidth = WrapRowLength(WrapWidth());
  extent.Options = model_.Options();
  if (extent.WordWrap) {
    // Wrapped rows are never wider than the wrap width: sideways scrolling
    // reaches it and no further, also where the caret may pass line ends.
    extent.Options.Exclude(eoScrollPastEol);
    extent.LongestLineLength = extent.WrapWidth;
  }
  return extent;
}

void TCustomSrcEdit::SetFirstVisibleRow(int row) {
  row = ClampFirstVisibleRow(row, ScrollExtent());
  const int old = metrics_.FirstVisibleRow();
  if (row == old) {
    return;
  }
  metrics_.SetFirstVisibleRow(row);
  if (std::abs(old - row) < metrics_.VisibleRows() && isVisible()) {
    // The rows still on screen move; only the uncovered ones are painted.
    viewport()->scroll(0, (old - row) * metrics_.RowHeight());
  } else {
    InvalidateAll();
  }
  PlaceCaretView();
  RefreshScrollBars();
  model_.RaiseStatusChange({scTopLine});
}

void TCustomSrcEdit::SetFirstVisibleColumn(int column) {
  const TScrollExtent extent = ScrollExtent();
  column = ClampFirstVisibleColumn(column, extent);
  const int old = metrics_.FirstVisibleColumn();
  if (column == old) {
    return;
  }
  metrics_.SetFirstVisibleColumn(column);
  const int left = metrics_.GutterExtent() + TViewMetrics::kTextGap;
  const QRect text_area(left, 0, std::max(metrics_.ClientWidth() - left, 0),
                        metrics_.ClientHeight());
  if (std::abs(old - column) < extent.VisibleColumns && isVisible()) {
    viewport()->scroll((old - column) * metrics_.ColumnWidth(), 0, text_area);
  } else {
    invalidator_.InvalidateRect(text_area);
  }
  PlaceCaretView();
  const std::int64_t reach = std::int64_t{column} + extent.VisibleColumns;
  if (model_.HasOption(eoScrollPastEol) && model_.HasOption(eoAutoSizeMaxScrollWidth) &&
      model_.MaxScrollWidth() < reach) {
    // Growing the width refreshes the scroll bars.
    model_.SetMaxScrollWidth(static_cast<int>(std::min<std::int64_t>(reach, kMaxScrollWidthLimit)));
  } else {
    RefreshScrollBars();
  }
  model_.RaiseStatusChange({scLeftChar});
  MarkTextLineDirty(model_.CaretLine());
}

void TCustomSrcEdit::ScrollCaretIntoView(bool centre) {
  if (metrics_.VisibleColumns() <= 0) {
    return;
  }
  TPaintHoldScope hold(model_.PaintHold());
  const TCaretScroll target = CaretScrollTarget(model_.DisplayPos(), metrics_.FirstVisibleColumn(),
                                                metrics_.FirstVisibleRow(), ScrollExtent(), centre);
  SetFirstVisibleColumn(target.Column);
  if (target.Row) {
    SetFirstVisibleRow(*target.Row);
  }
}

void TCustomSrcEdit::RefreshScrollBars() {
  // While painting is held the refresh waits for the hold's end.
  model_.PaintHold().RequestScrollBarUpdate();
}

void TCustomSrcEdit::UpdateScrollBars() {
  if (scroll_bars_.ScrollBars() == ssNone) {
    scroll_bar_adapter_.ShowScrollBar(SB_HORZ, false);
    scroll_bar_adapter_.ShowScrollBar(SB_VERT, false);
    return;
  }
  const TScrollExtent extent = ScrollExtent();
  if (scroll_bars_.HasHorizontal()) {
    const TScrollBarState bar = ComputeHorizontalBar(extent, metrics_.FirstVisibleColumn());
    if (bar.Info.nMax == 0 && !bar.Shown) {
      scroll_bar_adapter_.ShowScrollBar(SB_HORZ, false);  // wrapped to the window
    } else {
      scroll_bar_adapter_.ShowScrollBar(SB_HORZ, bar.Shown);
      scroll_bar_adapter_.SetScrollInfo(SB_HORZ, bar.Info, true);
      scroll_bar_adapter_.EnableScrollBar(SB_HORZ, bar.Arrows);
    }
  } else {
    scroll_bar_adapter_.ShowScrollBar(SB_HORZ, false);
  }
  if (scroll_bars_.HasVertical()) {
    const TScrollBarState bar = ComputeVerticalBar(extent, metrics_.FirstVisibleRow());
    scroll_bar_adapter_.ShowScrollBar(SB_VERT, bar.Shown);
    scroll_bar_adapter_.SetScrollInfo(SB_VERT, bar.Info, true);
    scroll_bar_adapter_.EnableScrollBar(SB_VERT, bar.Arrows);
  } else {
    scroll_bar_adapter_.ShowScrollBar(SB_VERT, false);
  }
}

void TCustomSrcEdit::ScrollBarsStyleChanged() {
  scroll_bar_adapter_.StyleChanged();
  UpdateScrollBars();
  InvalidateAll();
}

void TCustomSrcEdit::HandleVerticalScroll(int code, int position) {
  const TScrollExtent extent = ScrollExtent();
  if (const std::optional<int> row =
          VerticalScrollTarget(code, position, metrics_.FirstVisibleRow(), extent)) {
    SetFirstVisibleRow(*row);
  }
  const bool hint = model_.HasOption(eoShowScrollHint);
  if (hint && (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)) {
    ShowTopLineHint();
  } else if (hint && code == SB_ENDSCROLL) {
    HideScrollHint();
  }
  if (OnScroll) {
    OnScroll(*this, sbVertical);
  }
}

void TCustomSrcEdit::HandleHorizontalScroll(int code, int position) {
  if (const std::optional<int> column =
          HorizontalScrollTarget(code, position, metrics_.FirstVisibleColumn(), ScrollExtent())) {
    SetFirstVisibleColumn(*column);
  }
  if (OnScroll) {
    OnScroll(*this, sbHorizontal);
  }
}

void TCustomSrcEdit::ShowTopLineHint() {
  const TPositionMapping& mapping = model_.Mapping();
  const int top = metrics_.FirstVisibleRow();
  const int rows = mapping.DisplayRowCount();
  const int top_line = mapping.LineOfRow(top);
  const int bottom_line = mapping.LineOfRow(top + std::min(metrics_.VisibleRows(), rows - top));
  TScrollHintPlace place;
  place.Follows = model_.HasOption(eoScrollHintFollows);
  TScrollInfo info;
  if (scroll_bar_adapter_.GetScrollInfo(SB_VERT, info)) {
    place.TrackPos = info.nTrackPos;
    place.RangeMax = info.nMax;
  }
  const std::string text = ScrollHintText(scroll_bars_.HintFormat(), top_line, bottom_line);
  ShowScrollHint(*viewport(), QString::fromStdString(text), scroll_bars_.HintColor(), place);
}

void TCustomSrcEdit::wheelEvent(QWheelEvent* event) {
  const int notches = wheel_.Feed(event->angleDelta().y());
  event->accept();
  if (notches == 0) {
    return;
  }
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  const int step = WheelStep(ctrl, metrics_.VisibleRows(), model_.Options());
  const std::int64_t target =
      std::int64_t{metrics_.FirstVisibleRow()} - std::int64_t{notches} * step;
  SetFirstVisibleRow(static_cast<int>(std::clamp<std::int64_t>(target, INT_MIN, INT_MAX)));
  if (OnScroll) {
    OnScroll(*this, sbVertical);
  }
}

// Qt's bar actions as the classic scroll codes; the bars are set from the
// view afterwards, so a bar never runs ahead of what is shown.
void TCustomSrcEdit::ConnectScrollBars() {
  const auto code_of = [](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
      case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
      case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
      case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
      case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
      case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
      case QAbstractSlider::SliderMove:
        return SB_THUMBTRACK;
      default:
        return -1;
    }
  };
  QScrollBar* v = verticalScrollBar();
  QScrollBar* h = horizontalScrollBar();
  connect(v, &QAbstractSlider::actionTriggered, this, [this, v, code_of](int action) {
    const int code = code_of(action);
    if (code >= 0) {
      HandleVerticalScroll(code, v->sliderPosition());
      SyncScrollBars();
    }
  });
  connect(v, &QAbstractSlider::sliderReleased, this, [this, v] {
    HandleVerticalScroll(SB_THUMBPOSITION, v->sliderPosition());
    HandleVerticalScroll(SB_ENDSCROLL, 0);
    SyncScrollBars();
  });
  connect(h, &QAbstractSlider::actionTriggered, this, [this, h, code_of](int action) {
    const int code = code_of(action);
    if (code >= 0) {
      HandleHorizontalScroll(code, h->sliderPosition());
      SyncScrollBars();
    }
  });
  connect(h, &QAbstractSlider::sliderReleased, this, [this, h] {
    HandleHorizontalScroll(SB_THUMBPOSITION, h->sliderPosition());
    HandleHorizontalScroll(SB_ENDSCROLL, 0);
    SyncScrollBars();
  });
}

void TCustomSrcEdit::SyncScrollBars() {
  if (!model_.PaintHold().IsHeld()) {
    UpdateScrollBars();
  }
}

void TCustomSrcEdit::scrollContentsBy(int, int) {
  // The bars only report requests; the view moves itself.
}

}  // namespace torvane
