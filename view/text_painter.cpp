// One paint pass over the text area: rows to lines, the selection in display
// coordinates, and the colours of each row.
#include "view/text_painter.h"

#include <algorithm>

#include "editor/edit_model.h"
#include "editor/row_layout.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/text_drawer.h"
#include "view/view_metrics.h"
#include "view/view_options.h"

namespace torvane {
namespace {

// Detaches the drawer also when painting fails.
class TAttachScope {
 public:
  TAttachScope(TheTextDrawer& drawer, QPainter& painter) : drawer_(drawer) {
    drawer_.AttachDC(&painter);
  }
  ~TAttachScope() { drawer_.DetachDC(); }
  TAttachScope(const TAttachScope&) = delete;
  TAttachScope& operator=(const TAttachScope&) = delete;

 private:
  TheTextDrawer& drawer_;
};

}  // namespace

void TTextPainter::PaintTextRows(QPainter& painter, const QRect& rect, int first_row, int last_row,
                                 int first_column, int last_column, const TPaintLook& look) {
  const TViewMetrics& m = src_.Metrics;
  const TPositionMapping& mapping = src_.Model.Mapping();
  painter_ = &painter;
  look_ = &look;
  left_ = rect.left();
  top_ = rect.top();
  right_ = rect.left() + rect.width();
  bottom_ = rect.top() + rect.height();
  first_column_ = first_column;
  last_column_ = last_column;

  const int text_left = m.GutterExtent() + TViewMetrics::kTextGap;
  if (left_ < text_left) {
    const int strip = std::max(left_, m.GutterExtent());
    painter.fillRect(QRect(strip, top_, text_left - strip, bottom_ - top_),
                     ToQColor(EditorBackground(0, false)));
    left_ = text_left;
  }
  right_edge_x_ = -1;
  if (src_.RightEdge.Visible() && src_.RightEdge.Position() > 0) {
    const int x = src_.RightEdge.Position() * m.ColumnWidth() + m.TextOriginX();
    if (x >= left_ && x < right_) {
      right_edge_x_ = x;
    }
  }

  caret_row_ = src_.Model.DisplayRow();
  TAttachScope attach(src_.Drawer, painter);
  if (last_row >= first_row) {
    const int first_line = mapping.LineOfRow(first_row);
    const int last_line = mapping.LineOfRow(last_row);
    ComputeSelectionRange(first_line, last_line);
    src_.Drawer.SelectStyle(look.FontStyle);
    PaintRowsOfLines(first_line, last_line, first_row, last_row);
  }
  // Below the last row: plain background (or the picture) and the edge.
  const int below = std::max(m.RowToY(std::max(last_row, m.FirstVisibleRow() - 1) + 1), top_);
  if (below < bottom_ && left_ < right_) {
    const QRect area(left_, below, right_ - left_, bottom_ - below);
    const TColor bg = EditorBackground(0, false);
    if (src_.Background.Shows()) {
      DrawBackgroundPicture(area, bg);
    } else {
      painter.fillRect(area, ToQColor(bg));
    }
    DrawRightEdge(below, bottom_);
  }
  painter_ = nullptr;
  look_ = nullptr;
}

void TTextPainter::ComputeSelectionRange(int first_line, int last_line) {
  const TSrcEditModel& model = src_.Model;
  selection_ = {};
  if ((model.HideSelection() && !look_->Focused) || !model.HasSelection()) {
    return;
  }
  const TBufferPos s = model.SelStart();
  const TBufferPos e = model.SelEnd();
  if (e.Line < first_line || s.Line > last_line) {
    return;
  }
  const TDisplayPos ds = model.ConvertToDisplay(s);
  const TDisplayPos de = model.ConvertToDisplay(e);
  selection_.Visible = true;
  selection_.StartColumn = ds.Column;
  selection_.StartRow = ds.Row;
  selection_.EndColumn = de.Column;
  selection_.EndRow = de.Row;
  if (model.SelectionMode() == smColumn && selection_.EndColumn < selection_.StartColumn) {
    std::swap(selection_.StartColumn, selection_.EndColumn);
  }
}

void TTextPainter::BuildColumns(int line, std::string_view text, int first, int last) {
  const int tab = std::max(src_.Model.TabWidth(), 1);
  // The walk begins at the character covering the first column; on a plain
  // line that is the byte of that column.
  first = std::max(first, 1);
  const line_cells::TCoveringChar covering = src_.Model.Lines().IsPlainLine(line - 1)
                                                 ? line_cells::TCoveringChar{first, first}
                                                 : line_cells::CharCoveringColumn(text, first, tab);
  std::size_t i = static_cast<std::size_t>(covering.Char - 1);
  long n = covering.FirstColumn - 1;
  if (i >= text.size()) {
    n -= static_cast<long>(i - text.size());  // past the end one cell per position
    i = text.size();
  }
  col_begin_ = i;
  columns_.clear();
  // Every character that starts at or before the last column.
  while (i < text.size() && n < last) {
    int cells;
    int bytes;
    if (text[i] == '\t') {
      cells = tab - static_cast<int>(n % tab);
      bytes = 1;
    } else {
      cells = CharCells(text, i);
      bytes = std::max(CharLength(text, i), 1);
    }
    bytes =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(bytes), text.size() - i));
    columns_.insert(columns_.end(), static_cast<std::size_t>(bytes), static_cast<int>(n));
    n += cells;
    i += static_cast<std::size_t>(bytes);
  }
  col_end_ = i;
  columns_.push_back(static_cast<int>(std::min<long>(n, INT_MAX)));
}

void TTextPainter::PaintRowsOfLines(int first_line, int last_line, int first_row, int last_row) {
  const TPositionMapping& mapping = src_.Model.Mapping();
  for (int line = first_line; line <= last_line; ++line) {
    const std::string_view text = src_.Model.LineText(line);
    const int line_first_row = mapping.RowOfLine(line);
    const int line_last_row = mapping.RowOfLine(line + 1) - 1;
    const int row_from = std::max(line_first_row, first_row);
    const int row_to = std::min(std::max(line_last_row, line_first_row), last_row);
    // Only the characters under the painted columns are measured and only
    // their tokens collected.
    int first = INT_MAX;
    int last = 0;
    for (int row = row_from; row <= row_to; ++row) {
      RowColumns(row, line);
      first = std::min(first, row_first_col_);
      last = std::max(last, row_last_col_);
    }
    if (row_from > row_to) {
      continue;
    }
    BuildColumns(line, text, first, last);
    TColor special_fg = clNone;
    TColor special_bg = clNone;
    const bool special =
        look_->SpecialLineColors && look_->SpecialLineColors(line, special_fg, special_bg);
    tokens_.clear();
    if (look_->CollectTokens) {
      look_->CollectTokens(line, text, static_cast<int>(col_begin_), static_cast<int>(col_end_),
                           tokens_);
    } else {
      tokens_.push_back({0, static_cast<int>(text.size()), false, clNone, clNone, {}});
    }
    for (int row = row_from; row <= row_to; ++row) {
      PaintRow(row, line, text, special, special_fg, special_bg);
    }
  }
}

void TTextPainter::RowSelection(int row, std::string_view text) {
  sel_from_ = 0;
  sel_to_ = 0;
  if (!selection_.Visible || row < selection_.StartRow || row > selection_.EndRow) {
    return;
  }
  switch (src_.Model.SelectionMode()) {
    case smLine:
      sel_from_ = 1;
      sel_to_ = kToRowEnd;
      break;
    case smColumn: {
      // The cells of the characters the block takes on this line, whole, as
      // copying and cutting take them. Display columns count from the row's
      // start, line columns from the line's.
      const int tab = src_.Model.TabWidth();
      const auto [from, to] = line_cells::ColumnBlockChars(
          text, selection_.StartColumn + row_shift_, selection_.EndColumn + row_shift_, tab);
      sel_from_ = line_cells::ColumnOfChar(text, from, tab);
      sel_to_ = line_cells::ColumnOfChar(text, to, tab);
      break;
    }
    case smNormal:
      sel_from_ = row == selection_.StartRow ? selection_.StartColumn + row_shift_ : 1;
      sel_to_ = row == selection_.EndRow ? selection_.EndColumn + row_shift_ : kToRowEnd;
      break;
  }
  if (sel_to_ <= sel_from_) {
    sel_from_ = sel_to_ = 0;
  }
}

TColor TTextPainter::EditorForeground(int line, bool caret_row) const {
  const TSrcActiveLine& active = src_.ActiveLine;
  TColor fg;
  if (caret_row && active.Visible() && active.Foreground() != clNone) {
    fg = active.Foreground();
  } else {
    fg = look_->FontColor;
    if (look_->WhitespaceForeground != clWindow && look_->WhitespaceForeground != clNone) {
      fg = look_->WhitespaceForeground;
    }
  }
  if (line >= 1) {
    const TLineAttributes a = src_.Model.Lines().GetLineAttributes(line - 1);
    if ((a.LineColorFlags & lcfForeground) != 0 && a.LineForeground != clNone) {
      fg = a.LineForeground;
    }
  }
  return fg;
}

TColor TTextPainter::EditorBackground(int line, bool caret_row) const {
  const TSrcActiveLine& active = src_.ActiveLine;
  TColor bg;
  if (caret_row && active.Visible() && active.Background() != clNone) {
    bg = active.Background();
  } else {
    bg = look_->Color;
    if (look_->WhitespaceBackground != clNone) {
      bg = look_->WhitespaceBackground;
    }
  }
  if (line >= 1) {
    const TLineAttributes a = src_.Model.Lines().GetLineAttributes(line - 1);
    if ((a.LineColorFlags & lcfBackground) != 0 && a.LineBackground != clNone) {
      bg = a.LineBackground;
    }
  }
  return bg;
}

void TTextPainter::RowColumns(int row, int line) {
  row_first_col_ = first_column_;
  row_last_col_ = last_column_;
  row_shift_ = 0;
  const TPositionMapping& mapping = src_.Model.Mapping();
  if (mapping.IsWrapping()) {
    const int first_cell = mapping.RowLayout()->DisplayToBuffer({1, row}).Char;
    row_shift_ = first_cell - 1;
    row_first_col_ += row_shift_;
    row_last_col_ += row_shift_;
    if (mapping.LineOfRow(row + 1) == line) {
      // The next row shows the rest; past a row's last cell nothing is drawn.
      row_last_col_ = std::min(row_last_col_, row_shift_ + mapping.RowLayout()->RowCharCount(row));
    }
  }
}

void TTextPainter::PaintRow(int row, int line, std::string_view text, bool special,
                            TColor special_fg, TColor special_bg) {
  const TViewMetrics& m = src_.Metrics;
  text_ = text;
  row_top_ = m.RowToY(row);
  RowColumns(row, line);
  const bool caret_row = row == caret_row_;
  special_ = special;
  normal_fg_ = EditorForeground(line, caret_row);
  normal_bg_ = EditorBackground(line, caret_row);
  if (special) {
    if (special_fg != clNone) {
      normal_fg_ = special_fg;
    }
    if (special_bg != clNone) {
      normal_bg_ = special_bg;
    }
    sel_fg_ = normal_bg_;
    sel_bg_ = normal_fg_;
  } else {
    sel_fg_ = src_.SelectedColor.Foreground();
    sel_bg_ = src_.SelectedColor.Background();
  }
  RowSelection(row, text);
  wholly_selected_ = sel_to_ > sel_from_ && sel_from_ <= row_first_col_ && sel_to_ == kToRowEnd;

  if (src_.Background.Shows()) {
    DrawBackgroundPicture(QRect(left_, row_top_, right_ - left_, m.RowHeight()), normal_bg_);
  }
  next_column_ = row_first_col_;
  run_ = {};
  const int line_cells = columns_.back();
  const int size = static_cast<int>(col_end_);
  int covered = static_cast<int>(col_begin_);  // bytes before it are not painted or seen
  for (std::size_t k = 0; k <= tokens_.size(); ++k) {
    TPaintToken token;
    if (k < tokens_.size()) {
      token = tokens_[k];
      if (token.Start > covered && covered < size) {
        // Text the highlighter passed over is drawn in the row's plain look.
        token = {covered, token.Start - covered, false, clNone, clNone, {}};
        --k;
      }
    } else if (covered < size) {
      token = {covered, size - covered, false, clNone, clNone, {}};
    } else {
      break;
    }
    const int start = std::clamp(token.Start, covered, size);
    const int end = std::clamp(token.Start + token.Length, start, size);
    covered = std::max(covered, end);
    const int col_start = Col(static_cast<std::size_t>(start)) + 1;
    const int col_end = Col(static_cast<std::size_t>(end)) + 1;
    if (col_start > row_last_col_) {
      break;
    }
    if (col_end <= row_first_col_ || end == start) {
      continue;
    }
    TPaintToken t = token;
    t.Start = start;
    t.Length = end - start;
    AppendTokenRun(t);
  }
  FlushTokenRun(false);
  if (src_.Model.HasOption(eoShowSpecialChars) && line_cells + 1 <= row_last_col_ &&
      line_cells + 1 >= row_first_col_) {
    DrawPilcrow(line_cells + 1);
  }
  FlushTokenRun(true);
  DrawRightEdge(row_top_, row_top_ + m.RowHeight());
  if (src_.LineDivider.Visible()) {
    QPen pen(ToQColor(src_.LineDivider.Color()));
    pen.setStyle(ToQtPenStyle(src_.LineDivider.Style()));
    painter_->setPen(pen);
    const int y = row_top_ + m.RowHeight() - 1;
    painter_->drawLine(m.GutterExtent() + TViewMetrics::kTextGap, y, m.ClientWidth(), y);
  }
}

}  // namespace torvane
