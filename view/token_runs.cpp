// Runs of like tokens: merging, splitting at the selection, drawing in
// cells and filling the rest of the row.
#include <algorithm>

#include "editor/edit_model.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/text_drawer.h"
#include "view/text_painter.h"
#include "view/view_metrics.h"
#include "view/view_options.h"

namespace torvane {
namespace {

bool IsBlankRun(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The visible marks for a blank and a line end, one cell each in the code
// page in use. A double-byte page has no one-cell code for them, and any
// stand-in ('.', '$') is a real character in NASM source: there the cell is
// left blank and the mark is drawn as a shape (DrawnMarks).
bool DrawnMarks() {
  const CodePageKind kind = CodePage::Current().Kind();
  return kind != CodePageKind::Utf8 && kind != CodePageKind::SingleByte;
}

std::string_view BlankMark() {
  switch (CodePage::Current().Kind()) {
    case CodePageKind::Utf8:
      return "\xC2\xB7";
    case CodePageKind::SingleByte:
      return "\xB7";
    default:
      return " ";
  }
}

std::string_view PilcrowMark() {
  switch (CodePage::Current().Kind()) {
    case CodePageKind::Utf8:
      return "\xC2\xB6";
    case CodePageKind::SingleByte:
      return "\xB6";
    default:
      return " ";
  }
}

// The colour of shown blanks and line ends: between the text's colour and
// its background, so the marks stay out of the way of the text itself.
TColor FaintMarkColor(TColor foreground, TColor background) {
  const QColor fg = ToQColor(foreground);
  const QColor bg = ToQColor(background);
  auto mix = [](int a, int b) { return (a * 35 + b * 65) / 100; };
  return static_cast<TColor>(mix(fg.red(), bg.red()) | (mix(fg.green(), bg.green()) << 8) |
                             (mix(fg.blue(), bg.blue()) << 16));
}

// A middle dot: a small square in the middle of the cell.
void DrawDotShape(QPainter& painter, const QRect& cell, const QRect& clip, const QColor& ink) {
  const int d = std::max(2, cell.width() / 4);
  const QRect dot(cell.left() + (cell.width() - d) / 2, cell.top() + (cell.height() - d) / 2, d, d);
  painter.fillRect(dot & clip, ink);
}

// A pilcrow in the glyph box (the cell over the text height): two stems
// joined at the top, and the bowl left of them.
void DrawPilcrowShape(QPainter& painter, const QRect& box, const QRect& clip, const QColor& ink) {
  const int w = box.width();
  const int h = box.height();
  const int top = box.top() + h / 5;
  const int bottom = box.top() + h * 4 / 5;
  const int stem = std::max(1, w / 8);
  const int x1 = box.left() + w / 2;
  const int x2 = box.left() + w * 3 / 4;
  painter.save();
  painter.setClipRect(clip, Qt::IntersectClip);
  painter.fillRect(QRect(x1, top, stem, bottom - top), ink);
  painter.fillRect(QRect(x2, top, stem, bottom - top), ink);
  painter.fillRect(QRect(x1, top, x2 + stem - x1, stem), ink);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  const int bowl_left = box.left() + w / 8;
  painter.drawEllipse(QRect(bowl_left, top, x1 + stem - bowl_left, (bottom - top) / 2 + 1));
  painter.restore();
}

}  // namespace

int TTextPainter::ClipLeft(int x) const {
  return std::clamp(x, left_, right_);
}

int TTextPainter::ColumnX(long long column) const {
  const TViewMetrics& m = src_.Metrics;
  const long long x = (column - row_shift_ - 1) * m.ColumnWidth() + m.TextOriginX();
  return static_cast<int>(std::clamp<long long>(x, -1000000000LL, 1000000000LL));
}

void TTextPainter::AppendTokenRun(const TPaintToken& token) {
  TColor fg = token.HasAttribute ? token.Foreground : normal_fg_;
  TColor bg = token.HasAttribute ? token.Background : normal_bg_;
  const TFontStyles style = token.HasAttribute ? token.Style : look_->FontStyle;
  if (fg == clNone) {
    fg = normal_fg_;
  }
  if (bg == clNone) {
    bg = normal_bg_;
  }
  const int col_start = Col(static_cast<std::size_t>(token.Start)) + 1;
  const int col_end = Col(static_cast<std::size_t>(token.Start + token.Length)) + 1;
  if (!run_.Empty()) {
    const bool blank = IsBlankRun(text_.substr(static_cast<std::size_t>(token.Start),
                                               static_cast<std::size_t>(token.Length)));
    const bool same_style = style == run_.Style || (blank && !style.Contains(fsUnderline) &&
                                                    !run_.Style.Contains(fsUnderline));
    const bool same_look = (special_ && !src_.Model.HasOption(eoSpecialLineDefaultFg)) ||
                           wholly_selected_ ||
                           (bg == run_.Background && (fg == run_.Foreground || blank));
    if (same_style && same_look) {
      run_.ColEnd = col_end;
      run_.ByteEnd = token.Start + token.Length;
      return;
    }
    FlushTokenRun(false);
  }
  run_ = {col_start, col_end, token.Start, token.Start + token.Length, fg, bg, style};
}

void TTextPainter::FlushTokenRun(bool fill_to_row_end) {
  const TViewMetrics& m = src_.Metrics;
  if (!run_.Empty()) {
    const int a = std::max(row_first_col_, run_.ColStart);
    const int b = std::min(row_last_col_, run_.ColEnd - 1);
    if (a <= b) {
      TColor fg = run_.Foreground;
      TColor bg = run_.Background;
      if (special_) {
        fg = src_.Model.HasOption(eoSpecialLineDefaultFg) ? run_.Foreground : normal_fg_;
        bg = normal_bg_;
      }
      src_.Drawer.SelectStyle(run_.Style);
      DrawRunParts(a, b, fg, bg);
    }
    run_ = {};
  }
  if (!fill_to_row_end) {
    return;
  }
  const int x0 = ClipLeft(ColumnX(next_column_));
  if (x0 >= right_) {
    return;
  }
  struct Part {
    long long from, to;  // columns [from, to); to < 0: to the row end
    bool selected;
  };
  Part parts[3];
  int count = 0;
  if (sel_to_ > sel_from_) {
    parts[count++] = {next_column_, sel_from_, false};
    parts[count++] = {sel_from_, sel_to_ == kToRowEnd ? -1 : sel_to_, true};
    if (sel_to_ != kToRowEnd) {
      parts[count++] = {sel_to_, -1, false};
    }
  } else {
    parts[count++] = {next_column_, -1, false};
  }
  const int height = m.RowHeight();
  for (int i = 0; i < count; ++i) {
    const int x1 = std::max(x0, ClipLeft(ColumnX(parts[i].from)));
    const int x2 = parts[i].to < 0 ? right_ : ClipLeft(ColumnX(parts[i].to));
    if (x1 >= x2) {
      continue;
    }
    const TColor bg = parts[i].selected ? sel_bg_ : normal_bg_;
    const bool last = parts[i].to < 0;
    if (last && bg == look_->Color && src_.Background.Shows()) {
      continue;  // the picture shows through
    }
    painter_->fillRect(QRect(x1, row_top_, x2 - x1, height), ToQColor(bg));
  }
}

void TTextPainter::DrawRunParts(int first_column, int last_column, TColor fg, TColor bg) {
  run_.Foreground = fg;
  run_.Background = bg;
  if (sel_to_ <= sel_from_ || sel_from_ > last_column || sel_to_ <= first_column) {
    DrawRunText(first_column, last_column, false);
    return;
  }
  if (first_column < sel_from_) {
    DrawRunText(first_column, sel_from_ - 1, false);
  }
  const int sel_last = sel_to_ == kToRowEnd ? last_column : std::min(last_column, sel_to_ - 1);
  DrawRunText(std::max(first_column, sel_from_), sel_last, true);
  if (sel_to_ != kToRowEnd && sel_to_ <= last_column) {
    DrawRunText(sel_to_, last_column, false);
  }
}

void TTextPainter::SetRowColors(bool selected) {
  src_.Drawer.SetForeground(selected ? sel_fg_ : run_.Foreground);
  src_.Drawer.SetBackground(selected ? sel_bg_ : run_.Background);
}

void TTextPainter::DrawRunText(int first_column, int last_column, bool selected) {
  const TViewMetrics& m = src_.Metrics;
  const bool show_special = src_.Model.HasOption(eoShowSpecialChars);
  const bool drawn_marks = show_special && DrawnMarks();
  draw_text_.clear();
  dot_columns_.clear();
  int x_column = first_column;
  const auto end = static_cast<std::size_t>(run_.ByteEnd);
  // Start at the character covering the first column rather than walking
  // the run from its start: a wrapped row shows the middle of a long run.
  const auto base = static_cast<std::ptrdiff_t>(col_begin_);
  const auto run_begin = columns_.begin() + (run_.ByteStart - base);
  auto covering =
      std::upper_bound(run_begin, columns_.begin() + (run_.ByteEnd - base), first_column - 1);
  if (covering != run_begin) {
    covering = std::lower_bound(run_begin, covering, *(covering - 1));
  }
  std::size_t i = static_cast<std::size_t>(covering - columns_.begin()) + col_begin_;
  bool first = true;
  while (i < end) {
    const bool tab = text_[i] == '\t';
    const std::size_t len = tab ? 1 : static_cast<std::size_t>(std::max(CharLength(text_, i), 1));
    const int col0 = Col(i) + 1;
    const int cells = Col(std::min(i + len, col_end_)) - Col(i);
    if (col0 + cells - 1 < first_column) {
      i += len;
      continue;
    }
    if (col0 > last_column) {
      break;
    }
    if (tab) {
      const int n = std::min(col0 + cells - 1, last_column) - std::max(col0, first_column) + 1;
      draw_text_.append(static_cast<std::size_t>(std::max(n, 0)), ' ');
    } else {
      if (first && col0 < first_column) {
        x_column = col0;  // a wide character cut at the left edge draws from its start
      }
      const char c = text_[i];
      if (c == ' ' && show_special) {
        // The mark goes over the blank afterwards, in its faint colour.
        draw_text_ += ' ';
        dot_columns_.push_back(col0);
      } else if (c == '\0') {
        draw_text_ += ' ';
      } else {
        draw_text_.append(text_.substr(i, len));
      }
    }
    first = false;
    i += len;
  }
  SetRowColors(selected);
  const int clip_left = ClipLeft(ColumnX(first_column));
  const int clip_right = ClipLeft(ColumnX(static_cast<long long>(last_column) + 1));
  next_column_ = last_column + 1;
  if (clip_left >= clip_right) {
    return;
  }
  const QRect clip(clip_left, row_top_, clip_right - clip_left, m.RowHeight());
  const int y = row_top_ + (m.RowHeight() - src_.Drawer.TextHeight()) / 2;
  int options = kEtoOpaque | kEtoClipped;
  const bool transparent =
      (selected ? sel_bg_ : run_.Background) == look_->Color && src_.Background.Shows();
  if (transparent) {
    options = kEtoClipped;
    painter_->setBackgroundMode(Qt::TransparentMode);
  }
  src_.Drawer.CellTextOut(ColumnX(x_column), y, options, clip, draw_text_);
  if (transparent) {
    painter_->setBackgroundMode(Qt::OpaqueMode);
  }
  if (!dot_columns_.empty()) {
    const TColor faint = FaintMarkColor(src_.Drawer.Foreground(), src_.Drawer.Background());
    if (drawn_marks) {
      for (const int column : dot_columns_) {
        const QRect cell(ColumnX(column), row_top_, m.ColumnWidth(), m.RowHeight());
        DrawDotShape(*painter_, cell, clip, ToQColor(faint));
      }
    } else {
      src_.Drawer.SetForeground(faint);
      painter_->setBackgroundMode(Qt::TransparentMode);
      for (const int column : dot_columns_) {
        src_.Drawer.CellTextOut(ColumnX(column), y, kEtoClipped, clip, BlankMark());
      }
      painter_->setBackgroundMode(Qt::OpaqueMode);
    }
  }
}

void TTextPainter::DrawPilcrow(int column) {
  FlushTokenRun(false);
  const bool selected = column >= sel_from_ && column < sel_to_;
  run_.Foreground = normal_fg_;
  run_.Background = normal_bg_;
  src_.Drawer.SelectStyle(look_->FontStyle);
  SetRowColors(selected);
  const TViewMetrics& m = src_.Metrics;
  const int clip_left = ClipLeft(ColumnX(column));
  const int clip_right = ClipLeft(ColumnX(static_cast<long long>(column) + 1));
  next_column_ = column + 1;
  run_ = {};
  if (clip_left >= clip_right) {
    return;
  }
  const QRect clip(clip_left, row_top_, clip_right - clip_left, m.RowHeight());
  const int y = row_top_ + (m.RowHeight() - src_.Drawer.TextHeight()) / 2;
  src_.Drawer.SetForeground(FaintMarkColor(src_.Drawer.Foreground(), src_.Drawer.Background()));
  src_.Drawer.CellTextOut(ColumnX(column), y, kEtoOpaque | kEtoClipped, clip, PilcrowMark());
  if (DrawnMarks()) {
    const QRect box(ColumnX(column), y, m.ColumnWidth(), src_.Drawer.TextHeight());
    DrawPilcrowShape(*painter_, box, clip, ToQColor(src_.Drawer.Foreground()));
  }
}

void TTextPainter::DrawRightEdge(int top, int bottom) {
  if (right_edge_x_ < 0 || bottom <= top) {
    return;
  }
  QPen pen(ToQColor(src_.RightEdge.Color()));
  pen.setStyle(ToQtPenStyle(src_.RightEdge.Style()));
  painter_->setPen(pen);
  painter_->drawLine(right_edge_x_, top, right_edge_x_, bottom - 1);
}

}  // namespace torvane
