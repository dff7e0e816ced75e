// Row height rules and the visible extent of the text area.
#include "view/view_metrics.h"

#include <algorithm>

namespace torvane {

void TViewMetrics::SetCell(int column_width, int glyph_height) {
  column_width_ = std::max(column_width, 1);
  glyph_height_ = std::max(glyph_height, 0);
}

int TViewMetrics::LineSpacingExtra() const {
  switch (line_spacing_rule_) {
    case lsSingle:
      return 2;
    case lsOneAndHalf: {
      // Half of the glyph height, rounded half to even.
      const int half = glyph_height_ / 2;
      const bool round_up = glyph_height_ % 2 != 0 && half % 2 != 0;
      return half + (round_up ? 1 : 0) + 2;
    }
    case lsDouble:
      return glyph_height_ + 2;
    case lsSpecified:
      return line_spacing_;
  }
  return 2;
}

int TViewMetrics::RowHeight() const {
  return std::max(glyph_height_ + LineSpacingExtra(), 1);
}

void TViewMetrics::SetGutterExtent(int pixels) {
  gutter_extent_ = std::max(pixels, 0);
}

void TViewMetrics::SetClientSize(int width, int height) {
  client_width_ = std::max(width, 0);
  client_height_ = std::max(height, 0);
}

int TViewMetrics::TextOriginX() const {
  return gutter_extent_ + kTextGap - (first_visible_column_ - 1) * column_width_;
}

int TViewMetrics::VisibleRows() const {
  return client_height_ / RowHeight();
}

int TViewMetrics::VisibleColumns() const {
  return std::max(client_width_ - gutter_extent_ - kTextGap, 0) / column_width_;
}

}  // namespace torvane
