// The gutter's paint pass.
#include "view/gutter_painter.h"

#include <algorithm>

#include "editor/edit_model.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/bookmark_options.h"
#include "view/gutter.h"
#include "view/gutter_glyphs.h"
#include "view/scroll_rules.h"
#include "view/text_drawer.h"

namespace torvane {
namespace {

constexpr int kFoldBarWidth = 12;
constexpr int kModifiedBarWidth = 5;

QColor Resolved(TColor color) {
  return ToQColor(color, QColor(Qt::transparent));
}

int TextCells(std::string_view text) {
  int cells = 0;
  for (std::size_t i = 0; i < text.size();) {
    cells += CharCells(text, i);
    i += static_cast<std::size_t>(std::max(CharLength(text, i), 1));
  }
  return cells;
}

}  // namespace

void FillGradient(QPainter& painter, TColor start, TColor end, bool horizontal, const QRect& rect,
                  int steps) {
  steps = std::clamp(steps, 2, 256);
  const QColor from = Resolved(ColorToRGB(start));
  const QColor to = Resolved(ColorToRGB(end));
  const int extent = horizontal ? rect.width() : rect.height();
  for (int i = 0; i < steps; ++i) {
    const int a = MulDiv(i, extent, steps);
    const int b = MulDiv(i + 1, extent, steps);
    if (b <= a) {
      continue;
    }
    auto channel = [&](int s, int e) { return s + MulDiv(i, e - s, steps - 1); };
    const QColor band(channel(from.red(), to.red()), channel(from.green(), to.green()),
                      channel(from.blue(), to.blue()));
    const QRect part = horizontal ? QRect(rect.left() + a, rect.top(), b - a, rect.height())
                                  : QRect(rect.left(), rect.top() + a, rect.width(), b - a);
    painter.fillRect(part, band);
  }
}

TGutterPainter::TGutterPainter() = default;
TGutterPainter::~TGutterPainter() = default;

int TGutterPainter::RowTop(int row) const {
  return (row - ctx_->FirstVisibleRow) * ctx_->RowHeight;
}

QRect TGutterPainter::RowBox(int top) const {
  const int right = std::max(rect_.left() + rect_.width(), ctx_->GutterExtent);
  return QRect(rect_.left(), top, right - rect_.left(), ctx_->RowHeight);
}

void TGutterPainter::PaintGutterArea(QPainter& painter, const QRect& rect, int first_row,
                                     int last_row, const TGutterPaintContext& context) {
  if (rect.isEmpty()) {
    return;
  }
  painter_ = &painter;
  ctx_ = &context;
  rect_ = rect;
  const TSrcEditModel& model = *context.Model;
  const TSrcGutter& gutter = *context.Gutter;
  const int line_count = model.LineCount();
  // Rows past the text show no line.
  first_row_ = first_row;
  last_row_ = std::min(last_row, model.Mapping().DisplayRowCount());
  const bool has_rows = line_count > 0 && last_row_ >= first_row_;
  // An empty document still has the caret's line 1, and its number shows.
  const bool lone_line = line_count == 0 && first_row <= 1;
  const int first_line = has_rows ? model.Mapping().LineOfRow(first_row_) : 1;
  const int last_line = has_rows ? model.Mapping().LineOfRow(last_row_) : (lone_line ? 1 : 0);

  painter.save();
  painter.setClipRect(rect, Qt::IntersectClip);
  if (gutter.Gradient()) {
    FillGradient(painter, gutter.GradientStartColor(), gutter.GradientEndColor(), true,
                 QRect(0, rect.top(), context.GutterExtent, rect.height()), gutter.GradientSteps());
  }
  if (gutter.ShowLineNumbers()) {
    PaintLineNumbers(first_line, last_line);
  } else if (!gutter.Gradient()) {
    painter.fillRect(rect, Resolved(gutter.Color()));
  }
  if (gutter.LeftOffsetColor() != clNone) {
    painter.fillRect(QRect(0, 0, gutter.LeftOffset(), context.ClientHeight),
                     Resolved(gutter.LeftOffsetColor()));
  }
  if (gutter.RightOffsetColor() != clNone) {
    painter.fillRect(QRect(context.GutterExtent - gutter.RightOffset(), 0, gutter.RightOffset(),
                           context.ClientHeight),
                     Resolved(gutter.RightOffsetColor()));
  }
  if (context.CodeFolding) {
    painter.fillRect(
        QRect(context.GutterExtent - kFoldBarWidth, rect.top(), kFoldBarWidth, rect.height()),
        Resolved(context.FolderBarColor));
  }
  if (context.WrapIndicator != nullptr && has_rows) {
    const int x =
        context.GutterExtent - gutter.RightOffset() - context.WrapIndicator->GlyphWidth() - 2;
    for (int row = std::max(first_row_, 2); row <= last_row_; ++row) {
      if (model.Mapping().LineOfRow(row) == model.Mapping().LineOfRow(row - 1)) {
        context.WrapIndicator->DrawGlyph(painter, x, context.RowHeight, RowTop(row));
      }
    }
  }
  PaintBorder();
  if (has_rows) {
    PaintMarks(first_line, last_line);
    if (context.ActiveLineIndicator != nullptr) {
      const int caret_row = model.DisplayRow();
      if (caret_row >= first_row_ && caret_row <= last_row_) {
        context.ActiveLineIndicator->DrawGlyph(painter, gutter.LeftOffset() + 2, context.RowHeight,
                                               RowTop(caret_row));
      }
    }
    if (gutter.ShowLineModified()) {
      PaintModifiedBars();
    }
  }
  painter.restore();
  painter_ = nullptr;
  ctx_ = nullptr;
}

void TGutterPainter::PaintLineNumbers(int first_line, int last_line) {
  const TSrcGutter& gutter = *ctx_->Gutter;
  const TSrcEditModel& model = *ctx_->Model;
  TheTextDrawer& drawer = *ctx_->Drawer;
  const bool own_font = gutter.UseFontStyle();
  const bool gradient = gutter.Gradient();
  const QColor gutter_color = Resolved(gutter.Color());
  if (own_font) {
    drawer.SetBaseFont(&gutter.Font());
  } else {
    drawer.SelectStyle({});
  }
  drawer.AttachDC(painter_);
  const TColor ink = own_font ? gutter.FontColor() : ctx_->EditorFontColor;
  drawer.SetForeground(ink);
  drawer.SetBackground(gutter.Color());
  const int rh = ctx_->RowHeight;
  const bool wrapping = model.Mapping().IsWrapping();
  const int caret_line = model.CaretLine();
  int previous_bottom = RowTop(first_row_);
  std::string text;
  for (int line = first_line; line <= last_line; ++line) {
    const int top = RowTop(model.LineCount() == 0 ? 1 : model.Mapping().RowOfLine(line));
    if (wrapping && !gradient && top > previous_bottom) {
      painter_->fillRect(QRect(rect_.left(), previous_bottom, rect_.width(), top - previous_bottom),
                         gutter_color);
    }
    previous_bottom = top + rh;
    const QRect box = RowBox(top);
    const int hidden = ctx_->HiddenLinesBefore ? ctx_->HiddenLinesBefore(line) : 0;
    text = gutter.LineNumberText(line + hidden);
    if (ctx_->GetText) {
      ctx_->GetText(line, text);
    }
    if (gutter.Intens() && line != caret_line && (text.empty() || text.back() != '0')) {
      if (!gradient) {
        painter_->fillRect(box, gutter_color);
      }
      PaintDash(line, top);
      continue;
    }
    const int width = TextCells(text) * drawer.GridWidth();
    const int x = ctx_->GutterExtent - gutter.RightOffset() - width - 2;
    const int y = top + (rh - drawer.TextHeight()) / 2;
    if (gradient) {
      const Qt::BGMode mode = painter_->backgroundMode();
      painter_->setBackgroundMode(Qt::TransparentMode);
      drawer.CellTextOut(x, y, kEtoClipped, box, text);
      painter_->setBackgroundMode(mode);
    } else {
      drawer.CellTextOut(x, y, kEtoOpaque | kEtoClipped, box, text);
    }
  }
  const int rest_top = previous_bottom;
  const int bottom = rect_.top() + rect_.height();
  if (!gradient && rest_top < bottom) {
    const int top = std::max(rest_top, rect_.top());
    painter_->fillRect(QRect(rect_.left(), top, rect_.width(), bottom - top), gutter_color);
  }
  drawer.DetachDC();
  if (own_font && ctx_->EditorFont != nullptr) {
    drawer.SetBaseFont(ctx_->EditorFont);
  }
}

void TGutterPainter::PaintDash(int line, int top) {
  const TSrcGutter& gutter = *ctx_->Gutter;
  const QColor ink = Resolved(gutter.UseFontStyle() ? gutter.FontColor() : ctx_->EditorFontColor);
  const int w = ctx_->GutterExtent - gutter.RightOffset() - 2;
  const int c = ctx_->GutterCharWidth;
  const int rh = ctx_->RowHeight;
  if (line % 5 != 0) {
    const int x1 = w + (c - 2) / 2 - c;
    const int x2 = w - (c - 2) / 2;
    const int y = top + (rh - 2) / 2;
    painter_->fillRect(QRect(x1, y, x2 - x1, 2), ink);
  } else {
    const int x1 = w + (c - 4) / 2 - c;
    const int x2 = w - (c - 4) / 2;
    painter_->fillRect(QRect(x1, top + (rh - 1) / 2, x2 - x1, 1), ink);
  }
}

void TGutterPainter::PaintBorder() {
  const TSrcGutter& gutter = *ctx_->Gutter;
  const int edge = ctx_->GutterExtent;
  if (gutter.BorderStyle() == gbsNone || rect_.left() + rect_.width() - 1 < edge - 2) {
    return;
  }
  const QColor border = Resolved(gutter.BorderColor());
  QColor last = border;
  if (gutter.BorderStyle() == gbsMiddle) {
    painter_->fillRect(QRect(edge - 2, rect_.top(), 1, rect_.height()), border);
    last = Resolved(gutter.Color());
  }
  painter_->fillRect(QRect(edge - 1, rect_.top(), 1, rect_.height()), last);
}

void TGutterPainter::PaintMarks(int first_line, int last_line) {
  const TSrcEditModel& model = *ctx_->Model;
  const TSrcBookMarkOpt& options = *ctx_->BookMarkOptions;
  const TSrcEditMarkList& marks = model.Marks();
  offsets_.assign(static_cast<std::size_t>(last_row_ - first_row_ + 1), 0);
  auto row_index = [&](int line) { return model.Mapping().RowOfLine(line) - first_row_; };
  if (options.GlyphsVisible() && !marks.Empty()) {
    remembered_.clear();
    for (int i = 0; i < marks.Count(); ++i) {
      const TSrcEditMark& mark = marks.Item(i);
      if (!mark.Visible() || mark.Line() < first_line || mark.Line() > last_line) {
        continue;
      }
      if (mark.IsNumberedBookmark() != options.DrawBookmarksFirst()) {
        remembered_.push_back(&mark);
        continue;
      }
      const int index = row_index(mark.Line());
      if (index >= 0) {
        PaintMarkGlyph(mark, offsets_[static_cast<std::size_t>(index)], RowTop(first_row_ + index));
      }
    }
    for (const TSrcEditMark* mark : remembered_) {
      const int index = row_index(mark->Line());
      if (index >= 0) {
        PaintMarkGlyph(*mark, offsets_[static_cast<std::size_t>(index)],
                       RowTop(first_row_ + index));
      }
    }
  }
  if (ctx_->PaintLineMarks) {
    for (int line = first_line; line <= last_line; ++line) {
      const int index = row_index(line);
      if (index >= 0) {
        ctx_->PaintLineMarks(*painter_, line,
                             options.LeftMargin() + offsets_[static_cast<std::size_t>(index)],
                             RowTop(first_row_ + index));
      }
    }
  }
  if (!ctx_->LinePainted) {
    return;
  }
  for (int line = first_line; line <= last_line; ++line) {
    const int index = row_index(line);
    const int x = index >= 0 ? offsets_[static_cast<std::size_t>(index)] : 0;
    ctx_->LinePainted(line, x, RowTop(first_row_ + index));
  }
}

void TGutterPainter::PaintMarkGlyph(const TSrcEditMark& mark, int& offset, int top) {
  const TSrcBookMarkOpt& options = *ctx_->BookMarkOptions;
  const TImageList* images = options.BookmarkImages();
  if (!mark.UseBuiltInImage() && images != nullptr) {
    if (mark.GlyphIndex() > images->Count()) {
      return;
    }
    if (mark.IsNumberedBookmark() == options.DrawBookmarksFirst()) {
      offset = 0;
    } else if (offset == 0) {
      offset = options.Xoffset();
    }
    images->Draw(*painter_, mark.GlyphIndex(), options.LeftMargin() + offset, top);
    offset += options.Xoffset();
    return;
  }
  if (mark.GlyphIndex() < 0 || mark.GlyphIndex() >= kBookmarkImageCount || offset != 0) {
    return;
  }
  if (strip_ == nullptr) {
    strip_ = std::make_unique<TSrcInternalImage>(kInternalImagesResource, kBookmarkImageCount);
  }
  strip_->DrawImage(*painter_, mark.GlyphIndex(), ctx_->RowHeight, top, options.LeftMargin());
  offset += options.Xoffset();
}

void TGutterPainter::PaintModifiedBars() {
  const TSrcGutter& gutter = *ctx_->Gutter;
  const TSrcEditModel& model = *ctx_->Model;
  const int x = ctx_->GutterExtent - gutter.RightOffset();
  for (int row = first_row_; row <= last_row_; ++row) {
    const int line = model.Mapping().LineOfRow(row);
    if (line < 1 || line > model.LineCount()) {
      continue;
    }
    const TLineChangeState state = model.Lines().GetChangeState(line - 1);
    if (state == lcsUnchanged) {
      continue;
    }
    const TColor color = state == lcsSaved ? gutter.LineNormalColor() : gutter.LineModifiedColor();
    painter_->fillRect(QRect(x, RowTop(row), kModifiedBarWidth, ctx_->RowHeight), Resolved(color));
  }
}

}  // namespace torvane
