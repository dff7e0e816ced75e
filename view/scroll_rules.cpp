// Scroll bounds, scroll-bar ranges, scroll codes, wheel and hint arithmetic.
#include "view/scroll_rules.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace torvane {

int MulDiv(int a, int b, int c) {
  if (c == 0) {
    return 0;
  }
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t divisor = c;
  const bool negative = (product < 0) != (divisor < 0);
  const std::int64_t p = product < 0 ? -product : product;
  const std::int64_t d = divisor < 0 ? -divisor : divisor;
  std::int64_t q = (p + d / 2) / d;
  q = negative ? -q : q;
  return static_cast<int>(std::clamp<std::int64_t>(q, INT_MIN, INT_MAX));
}

int ClampFirstVisibleRow(int row, const TScrollExtent& extent) {
  const int bound = extent.Options.Has(eoScrollPastEof)
                        ? extent.DisplayRowCount
                        : extent.DisplayRowCount - extent.VisibleRows + 1;
  return std::max(std::min(row, bound), 1);
}

int HorizontalScrollWidth(const TScrollExtent& extent) {
  if (extent.WordWrap) {
    return extent.MaxScrollWidth;  // no row is wider than the wrap width
  }
  // Columns to the end of the longest line and the caret cell behind it.
  const std::int64_t longest = std::int64_t{extent.LongestLineLength} + 1;
  return static_cast<int>(
      std::min<std::int64_t>(std::max<std::int64_t>(extent.MaxScrollWidth, longest), INT_MAX));
}

int ClampFirstVisibleColumn(int column, const TScrollExtent& extent) {
  const int visible = extent.VisibleColumns;
  if (extent.WordWrap && visible >= extent.WrapWidth) {
    return 1;
  }
  std::int64_t bound;
  if (extent.Options.Has(eoScrollPastEol)) {
    bound = extent.Options.Has(eoAutoSizeMaxScrollWidth)
                ? std::int64_t{INT_MAX} - visible
                : std::int64_t{HorizontalScrollWidth(extent)} - visible + 1;
  } else {
    const int width = extent.WordWrap ? extent.WrapWidth : extent.LongestLineLength;
    bound = visible < width ? std::int64_t{width} - visible + 1 : 1;
  }
  return static_cast<int>(std::clamp<std::int64_t>(column, 1, std::max<std::int64_t>(bound, 1)));
}

TCaretScroll CaretScrollTarget(TDisplayPos caret, int first_column, int first_row,
                               const TScrollExtent& extent, bool centre) {
  TCaretScroll target;
  const int columns = extent.VisibleColumns;
  if (caret.Column < first_column) {
    target.Column = caret.Column;
  } else if (caret.Column >= first_column + columns) {
    target.Column = caret.Column - columns + kCaretJumpColumns;
  } else {
    target.Column = first_column;
  }
  const int rows = extent.VisibleRows;
  const int r = caret.Row;
  if (centre) {
    if (r < first_row - 1) {
      target.Row = r - rows / 2 < 0 ? 1 : r - rows / 2 + 1;
    } else if (r > first_row + rows - 2) {
      target.Row = r - rows + 1 + rows / 2;
    }
  } else if (r < first_row) {
    target.Row = r;
  } else if (r > first_row + std::max(1, rows) - 1) {
    target.Row = r - rows + 1;
  } else {
    target.Row = first_row;
  }
  return target;
}

namespace {

TScrollInfo PreparedInfo(const TScrollExtent& extent) {
  TScrollInfo info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  if (!extent.Options.Has(eoHideShowScrollbars)) {
    info.fMask |= SIF_DISABLENOSCROLL;
  }
  return info;
}

// Range, page and position of a bar over `range` units showing `page` of
// them from `first`.
void FillRange(TScrollBarState& bar, int range, int page, int first, int minimum_max) {
  if (range > kScrollScaleLimit) {
    bar.Scaled = true;
    bar.Info.nMax = kScrollScaleLimit;
    bar.Info.nPage =
        static_cast<std::uint32_t>(std::max(MulDiv(kScrollScaleLimit, page, range), 0));
    bar.Info.nPos = MulDiv(kScrollScaleLimit, first, range);
  } else {
    bar.Info.nMax = std::max(minimum_max, range);
    bar.Info.nPage = static_cast<std::uint32_t>(std::max(page, 0));
    bar.Info.nPos = first;
  }
}

}  // namespace

TScrollBarState ComputeHorizontalBar(const TScrollExtent& extent, int first_column) {
  TScrollBarState bar;
  bar.Info = PreparedInfo(extent);
  const int visible = extent.VisibleColumns;
  if (extent.WordWrap && extent.WrapWidth <= visible) {
    return bar;  // hidden
  }
  int range;
  if (extent.Options.Has(eoScrollPastEol)) {
    range = HorizontalScrollWidth(extent);
  } else if (extent.WordWrap) {
    range = extent.WrapWidth;
  } else {
    range = std::max(extent.LongestLineLength, 1);
  }
  FillRange(bar, range, visible, first_column, range);
  bar.Shown =
      !(extent.Options.Has(eoHideShowScrollbars) && !bar.Scaled && visible >= bar.Info.nMax);
  if (extent.Options.Has(eoDisableScrollArrows) || visible >= range) {
    const bool end_visible = std::int64_t{first_column} + visible - 1 >= range;
    if (first_column > 1 || !end_visible) {
      bar.Arrows =
          first_column <= 1 ? ESB_DISABLE_LTUP : (end_visible ? ESB_DISABLE_RTDN : ESB_ENABLE_BOTH);
    } else {
      bar.Arrows = ESB_DISABLE_BOTH;
    }
  }
  return bar;
}

TScrollBarState ComputeVerticalBar(const TScrollExtent& extent, int first_row) {
  TScrollBarState bar;
  bar.Info = PreparedInfo(extent);
  const int visible = extent.VisibleRows;
  const int rows = extent.DisplayRowCount;
  const int range = rows + (extent.Options.Has(eoScrollPastEof) ? visible - 1 : 0);
  FillRange(bar, range, visible, first_row, 1);
  bar.Shown =
      !(extent.Options.Has(eoHideShowScrollbars) && !bar.Scaled && visible >= bar.Info.nMax);
  if (extent.Options.Has(eoDisableScrollArrows) || visible >= range) {
    if (first_row > 1 || visible < range) {
      if (first_row <= 1) {
        bar.Arrows = ESB_DISABLE_LTUP;
      } else if (std::int64_t{first_row} + visible - 1 == rows) {
        bar.Arrows = ESB_DISABLE_RTDN;
      } else {
        bar.Arrows = ESB_ENABLE_BOTH;
      }
    } else {
      bar.Arrows = ESB_DISABLE_BOTH;
    }
  }
  return bar;
}

std::optional<int> VerticalScrollTarget(int code, int position, int first_row,
                                        const TScrollExtent& extent) {
  const int page = extent.VisibleRows - (extent.Options.Has(eoScrollByOneLess) ? 1 : 0);
  const int rows = extent.DisplayRowCount;
  switch (code) {
    case SB_LINEUP:
      return first_row - 1;
    case SB_LINEDOWN:
      return first_row + 1;
    case SB_PAGEUP:
      return first_row - page;
    case SB_PAGEDOWN:
      return first_row + page;
    case SB_TOP:
      return 1;
    case SB_BOTTOM:
      return rows;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (rows < kScrollScaleLimit + 1) {
        return position;
      }
      return MulDiv(rows + extent.VisibleRows - 1, position, kScrollScaleLimit);
    default:
      return std::nullopt;
  }
}

std::optional<int> HorizontalScrollTarget(int code, int position, int first_column,
                                          const TScrollExtent& extent) {
  const int page = extent.VisibleColumns - (extent.Options.Has(eoScrollByOneLess) ? 1 : 0);
  const bool past_eol = extent.Options.Has(eoScrollPastEol);
  switch (code) {
    case SB_LINELEFT:
      return first_column - 1;
    case SB_LINERIGHT:
      return first_column + 1;
    case SB_PAGELEFT:
      return first_column - page;
    case SB_PAGERIGHT:
      return first_column + page;
    case SB_LEFT:
      return 1;
    case SB_RIGHT:
      return past_eol ? HorizontalScrollWidth(extent) - extent.VisibleColumns + 1
                      : extent.LongestLineLength;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      const int range =
          past_eol ? HorizontalScrollWidth(extent) : std::max(extent.LongestLineLength, 1);
      if (range < kScrollScaleLimit + 1) {
        return position;
      }
      return MulDiv(range, position, kScrollScaleLimit);
    }
    default:
      return std::nullopt;
  }
}

int TWheelAccumulator::Feed(int delta) {
  const std::int64_t sum = std::int64_t{remainder_} + delta;
  remainder_ = static_cast<int>(sum % kWheelDelta);
  return static_cast<int>(sum / kWheelDelta);
}

int WheelStep(bool ctrl, int visible_rows, const TSrcEditorOptions& options) {
  if (!ctrl) {
    return kWheelRows;
  }
  return options.Has(eoHalfPageScroll) ? visible_rows >> 1 : visible_rows;
}

std::string ScrollHintText(TScrollHintFormat format, int top_line, int bottom_line) {
  char buffer[256];
  if (format == shfTopToBottom) {
    std::snprintf(buffer, sizeof buffer, "%d - %d", top_line, bottom_line);
  } else {
    std::snprintf(buffer, sizeof buffer, "Top Line: %d", top_line);
  }
  return buffer;
}

int ScrollHintY(bool follows, int arrow_height, int client_height, int track_pos, int range_max,
                int hint_height) {
  if (!follows) {
    return 10;
  }
  const int travel = client_height - 2 * arrow_height;
  return arrow_height + MulDiv(travel, track_pos, std::max(range_max, 1)) + hint_height / 2;
}

}  // namespace torvane
