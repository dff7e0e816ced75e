// The paint entry of the editor control: which rows and columns a clip
// rectangle needs, the gutter band, the text rows, the caret and the hooks.
#include <QElapsedTimer>
#include <QPaintEvent>

#include "highlight/custom_highlighter.h"
#include "platform/gui/color.h"
#include "view/src_edit.h"
#include "view/text_drawer.h"

namespace torvane {

void TCustomSrcEdit::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRegion& region = event->region();
  // A few separate rectangles (an old and a new caret row) are painted one by
  // one; a scattered region as its bounding rectangle.
  if (region.rectCount() <= 4) {
    for (const QRect& r : region) {
      PaintView(painter, r);
    }
  } else {
    PaintView(painter, region.boundingRect());
  }
  if (drag_line_x_ >= 0) {
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawLine(drag_line_x_, 1, drag_line_x_, viewport()->height() + 1);
  }
  caret_.Paint(painter);
  if (OnPaint) {
    painter.save();
    painter.setFont(font_);
    painter.setBrush(ToQColor(color_));
    OnPaint(*this, painter);
    painter.restore();
  }
  if (OnPaintTransient) {
    OnPaintTransient(*this, &painter, ttAfter);
  }
  if (!model_.RangeStates().Complete()) {
    range_timer_.start(0);
  }
}

void TCustomSrcEdit::ComputeRangeStatesAhead() {
  // Short slices keep keys and paints waiting at most a few milliseconds.
  QElapsedTimer slice;
  slice.start();
  while (model_.RangeStates().ComputeAhead(1024)) {
    if (slice.elapsed() >= 4) {
      range_timer_.start(0);
      return;
    }
  }
}

TPaintLook TCustomSrcEdit::BuildPaintLook() const {
  TPaintLook look;
  look.Color = color_;
  look.FontColor = font_color_;
  look.FontStyle = TFontStyles::FromInt((font_.bold() ? 1 : 0) | (font_.italic() ? 2 : 0) |
                                        (font_.underline() ? 4 : 0) | (font_.strikeOut() ? 8 : 0));
  look.Focused = hasFocus();
  const TSrcCustomHighlighter* hl = model_.Highlighter();
  if (hl != nullptr && hl->Enabled()) {
    if (const TSrcHighlighterAttributes* ws = hl->DefaultAttributeFor(drWhitespace)) {
      look.WhitespaceForeground = ws->Foreground();
      look.WhitespaceBackground = ws->Background();
    }
  }
  auto* self = const_cast<TCustomSrcEdit*>(this);
  look.CollectTokens = [self](int line, std::string_view text, int from, int to,
                              std::vector<TPaintToken>& tokens) {
    self->CollectTokens(line, text, from, to, tokens);
  };
  if (OnSpecialLineColors) {
    look.SpecialLineColors = [self](int line, TColor& fg, TColor& bg) {
      return self->OnSpecialLineColors(*self, line, fg, bg);
    };
  }
  return look;
}

void TCustomSrcEdit::CollectTokens(int line, std::string_view text, int from, int to,
                                   std::vector<TPaintToken>& tokens) {
  TSrcCustomHighlighter* hl = model_.Highlighter();
  if (hl == nullptr || !hl->Enabled()) {
    tokens.push_back({0, static_cast<int>(text.size()), false, clNone, clNone, {}});
    return;
  }
  // The scan starts from the state at the end of the line above. A line
  // whose end state the line below needs is scanned to its end and that
  // state kept; otherwise the scan stops after the painted bytes and, on a
  // long line, begins at the last resume point before them.
  TRangeStateCache& states = model_.RangeStates();
  states.StartScan(line - 1);
  const bool whole = hl->HasRangeStates();
  const bool resumes = !whole && hl->ResumesAtTokens();
  TTokenResumePoints& points = model_.ResumePoints();
  if (resumes) {
    hl->StartLineAt(text, line - 1, points.Before(line - 1, from));
  } else {
    hl->StartLine(text, line - 1);
  }
  for (; !hl->AtLineEnd(); hl->AdvanceToken()) {
    TPaintToken token;
    token.Start = hl->TokenStart();
    if (!whole && token.Start >= to) {
      break;
    }
    if (resumes) {
      points.Note(line - 1, token.Start);
    }
    token.Length = hl->TokenLength();
    if (token.Start + token.Length <= from && token.Start < from) {
      continue;
    }
    if (const TSrcHighlighterAttributes* a = hl->TokenAttributes()) {
      token.HasAttribute = true;
      token.Foreground = a->Foreground();
      token.Background = a->Background();
      token.Style = a->Style();
    }
    tokens.push_back(token);
  }
  if (whole) {
    states.LineScanned(line - 1);
  }
}

void TCustomSrcEdit::PaintView(QPainter& painter, const QRect& clip) {
  const TViewMetrics& m = metrics_;
  const int gutter = m.GutterExtent();
  const int text_left = gutter + TViewMetrics::kTextGap;
  const int cw = m.ColumnWidth();
  const int rh = m.RowHeight();
  const int clip_left = clip.left();
  const int clip_right = clip.left() + clip.width();
  const int clip_top = clip.top();
  const int clip_bottom = clip.top() + clip.height();
  if (clip.isEmpty()) {
    return;
  }
  int first_column = m.FirstVisibleColumn();
  if (clip_left > text_left) {
    first_column += (clip_left - text_left) / cw;
  }
  const int last_column = m.FirstVisibleColumn() + (clip_right - text_left + cw - 1) / cw;
  const int first_row = std::max(m.FirstVisibleRow() + clip_top / rh, m.FirstVisibleRow());
  const int row_count = model_.Mapping().DisplayRowCount();
  int last_row = m.FirstVisibleRow() + (clip_bottom + rh - 1) / rh;
  last_row = row_count == 0 ? 0 : std::clamp(last_row, 1, row_count);

  // The gutter's own part; a side column fills the rest of its extent.
  const int own = gutter - side_column_width_;
  if (clip_left < own) {
    PaintGutter(painter, QRect(clip_left, clip_top, own - clip_left, clip.height()), first_row,
                last_row);
    if (CodeFoldingEnabled() && gutter_.Visible() && model_.LineCount() > 0) {
      painter.save();
      painter.setClipRect(QRect(clip_left, clip_top, own - clip_left, clip.height()));
      TFoldPaintContext bar = FoldPaintContext();
      bar.GutterExtent = own;
      PaintFoldBar(painter, bar);
      painter.restore();
    }
  }
  if (side_column_width_ > 0 && clip_left < gutter) {
    PaintSideColumn(painter, clip, first_row, last_row);
  }
  if (clip_right > gutter) {
    const int left = std::max(clip_left, gutter);
    painter_.PaintTextRows(painter, QRect(left, clip_top, clip_right - left, clip.height()),
                           first_row, last_row, first_column, last_column, BuildPaintLook());
    if (CodeFoldingEnabled() && model_.LineCount() > 0 && last_row >= first_row) {
      painter.save();
      painter.setClipRect(QRect(left, clip_top, clip_right - left, clip.height()));
      PaintFoldDecorations(painter, FoldPaintContext(), first_row, last_row);
      painter.restore();
    }
  }
}

void TCustomSrcEdit::DrawRightEdgeDragLine(int new_x, int old_x) {
  const int height = viewport()->height() + 2;
  if (old_x >= 0) {
    invalidator_.InvalidateRect(QRect(old_x, 0, 1, height));
  }
  drag_line_x_ = new_x;
  if (new_x >= 0) {
    invalidator_.InvalidateRect(QRect(new_x, 0, 1, height));
  }
}

}  // namespace torvane
