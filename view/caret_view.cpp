// Caret shapes, placement and blinking.
#include "view/caret_view.h"

#include <algorithm>

namespace torvane {

QRect CaretShapeRect(TSrcEditCaretType type, int cell_width, int glyph_height,
                     int line_spacing_extra) {
  // h is the height of a row at single spacing; every shape moves down by
  // half of the extra spacing so it stays centred on the glyphs.
  const int h = glyph_height + 2;
  const int w = std::max(cell_width, 1);
  const int down = std::max(line_spacing_extra, 0) / 2;
  switch (type) {
    case ctVerticalLine:
      return QRect(-1, down, 2, std::max(h - 2, 1));
    case ctHorizontalLine:
      return QRect(0, down + h - 2, w, 2);
    case ctHalfBlock: {
      const int height = std::max((h - 2) / 2, 1);
      return QRect(0, down + (h - 2) - height, w, height);
    }
    case ctBlock:
      return QRect(0, down, w, std::max(h - 2, 1));
  }
  return QRect(-1, down, 2, std::max(h - 2, 1));
}

void TCaretView::Create(const QRect& shape) {
  const QRect before = Rect();
  shape_ = shape;
  exists_ = true;
  phase_on_ = true;
  Refresh(before);
}

void TCaretView::Destroy() {
  const QRect before = Rect();
  exists_ = false;
  shown_ = false;
  Refresh(before);
}

void TCaretView::SetPosition(QPoint cell) {
  if (cell == cell_) {
    return;
  }
  const QRect before = Rect();
  cell_ = cell;
  phase_on_ = true;  // a moved caret shows at once
  Refresh(before);
}

void TCaretView::SetShown(bool shown) {
  if (shown == shown_) {
    return;
  }
  const QRect before = Rect();
  shown_ = shown;
  phase_on_ = true;
  Refresh(before);
}

void TCaretView::Blink() {
  if (!exists_ || !shown_) {
    return;
  }
  const QRect before = Rect();
  phase_on_ = !phase_on_;
  Refresh(before);
}

QRect TCaretView::Rect() const {
  if (!exists_ || !shown_ || !phase_on_) {
    return {};
  }
  return shape_.translated(cell_);
}

void TCaretView::Refresh(const QRect& before) {
  const QRect after = Rect();
  if (before == after) {
    return;
  }
  if (!before.isEmpty()) {
    update_(before);
  }
  if (!after.isEmpty()) {
    update_(after);
  }
}

void TCaretView::Paint(QPainter& painter) const {
  const QRect r = Rect();
  if (r.isEmpty()) {
    return;
  }
  // Inverted, so the character under a block caret stays readable.
  painter.save();
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  painter.fillRect(r, Qt::white);
  painter.restore();
}

}  // namespace torvane
