// The geometry every view piece shares: cell and row size with the
// line-spacing rule, the gutter extent, the first visible row and column and
// how many rows and columns fit. Plain arithmetic, no widget.
#pragma once

#include <cstdint>

namespace torvane {

enum TLineSpacingRule : std::uint8_t { lsSingle, lsOneAndHalf, lsDouble, lsSpecified };

class TViewMetrics {
 public:
  int ColumnWidth() const { return column_width_; }
  int GlyphHeight() const { return glyph_height_; }
  // Cell size from MeasureCharCell.
  void SetCell(int column_width, int glyph_height);

  int LineSpacing() const { return line_spacing_; }
  void SetLineSpacing(int pixels) { line_spacing_ = pixels; }
  TLineSpacingRule LineSpacingRule() const { return line_spacing_rule_; }
  void SetLineSpacingRule(TLineSpacingRule rule) { line_spacing_rule_ = rule; }
  // Pixels added to GlyphHeight by the rule.
  int LineSpacingExtra() const;
  // Never below 1, so row arithmetic never divides by zero.
  int RowHeight() const;

  int GutterExtent() const { return gutter_extent_; }
  void SetGutterExtent(int pixels);
  // The text area starts this many pixels right of the gutter.
  static constexpr int kTextGap = 2;

  int FirstVisibleRow() const { return first_visible_row_; }
  int FirstVisibleColumn() const { return first_visible_column_; }
  void SetFirstVisibleRow(int row) { first_visible_row_ = row < 1 ? 1 : row; }
  void SetFirstVisibleColumn(int column) { first_visible_column_ = column < 1 ? 1 : column; }

  int ClientWidth() const { return client_width_; }
  int ClientHeight() const { return client_height_; }
  void SetClientSize(int width, int height);

  // x of display column 1 (left of the gutter edge when scrolled right).
  int TextOriginX() const;
  int VisibleRows() const;
  int VisibleColumns() const;
  int ColumnToX(int column) const { return (column - 1) * ColumnWidth() + TextOriginX(); }
  // Top of a display row relative to the client area.
  int RowToY(int row) const { return (row - first_visible_row_) * RowHeight(); }

 private:
  int column_width_ = 8;
  int glyph_height_ = 16;
  int line_spacing_ = 0;
  TLineSpacingRule line_spacing_rule_ = lsSingle;
  int gutter_extent_ = 30;
  int first_visible_row_ = 1;
  int first_visible_column_ = 1;
  int client_width_ = 0;
  int client_height_ = 0;
};

}  // namespace torvane
