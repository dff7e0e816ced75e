// The object through which the editor draws text: it holds the painter while
// painting, the current colours and style, and places every character of the
// document's bytes in fixed cells of GridWidth pixels.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/colors.h"
#include "platform/errors.h"
#include "platform/font_styles.h"
#include "view/font_stock.h"

namespace torvane {

class EheTextDrawerException : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// Output options of CellTextOut: fill the rectangle with the background
// colour first; keep all ink inside the rectangle.
inline constexpr int kEtoOpaque = 2;
inline constexpr int kEtoClipped = 4;

class TheTextDrawer {
 public:
  // Throws EheTextDrawerException when no font is given.
  TheTextDrawer(TFontStyles measure_style, const QFont* font);
  virtual ~TheTextDrawer();
  TheTextDrawer(const TheTextDrawer&) = delete;
  TheTextDrawer& operator=(const TheTextDrawer&) = delete;

  // The cell every character is placed in, measured in the measuring style.
  int GridWidth() const { return char_width_; }
  int GridHeight() const { return char_height_; }

  // Nestable; the painter's state is saved on the first attach and restored
  // by the matching last detach. Attaching another painter meanwhile is an
  // error.
  virtual void AttachDC(QPainter* dc);
  virtual void DetachDC();
  QPainter* DC() const { return dc_; }

  // Text at the font's own advances, top-left at (x, y).
  virtual void PlainTextOut(int x, int y, std::string_view text);
  // The document bytes `text` with the top of its cells at y and the first
  // cell at x; every character takes CharCells cells of GridWidth pixels,
  // an undecodable byte draws as one replacement cell. One draw call per
  // run of glyphs from one font.
  virtual void CellTextOut(int x, int y, int options, const QRect& rect, std::string_view text);

  // Throws EheTextDrawerException when no font is given; nothing changes then.
  virtual void SetBaseFont(const QFont* font);
  virtual void SetMeasureStyle(TFontStyles style);
  virtual void SelectStyle(TFontStyles style);
  virtual void SetForeground(TColor color);
  virtual void SetBackground(TColor color);
  virtual void SetCharSpacing(int pixels);
  virtual void ReleaseStyleHandles();

  TColor Foreground() const { return foreground_; }
  TColor Background() const { return background_; }
  int CharSpacing() const { return char_extra_; }
  TFontStyles MeasureStyle() const { return measure_style_; }
  TFontStyles CurrentStyle() const { return style_; }
  // Height of the current style's characters (to centre them in a row).
  int TextHeight() const { return stock_->CellHeight(); }
  const TheFontStock& FontStock() const { return *stock_; }

  // The font for multi-byte characters; empty when they use the main font.
  QString UnicodeFontName() const;
  void SetUnicodeFontName(const QString& name);
  const QFont& SecondaryFont() const { return secondary_font_; }
  const TheFontStock& SecondaryFontStock() const;

  int SpacingArrayLength() const { return static_cast<int>(spacing_.size()); }

 protected:
  virtual void ReleaseSpacingArray();
  virtual void ApplyCurrentFont();
  void FitSecondaryFont();

 private:
  // Gathers the glyphs of text[begin, end) from `font`, the first at cell
  // `cell` of the spacing array and x; returns the x after the last cell.
  int CollectGlyphs(TStyleFont& font, int x, int baseline, std::string_view text, std::size_t begin,
                    std::size_t end, int& cell, const QRect* clip);
  void DrawCollected(TStyleFont& font);
  void DrawDecorations(const TStyleFont& font, int x, int x_end, int baseline);
  void FillCells(int x, int x_end, int top, int height, const QRect* clip);
  void DrawSecondaryRuns(int x, const QRect& rect, std::string_view text, bool fill_cells);

  QPainter* dc_ = nullptr;
  std::unique_ptr<TheFontStock> stock_;
  // The base font before the current one, held with its styles: the editor
  // switches to its gutter's font and back on every paint, and the font it
  // comes back to then still has its glyph lookups.
  std::unique_ptr<TheFontStock> left_stock_;
  TFontStyles measure_style_;
  TFontStyles style_;
  int char_width_ = 0;
  int char_height_ = 0;
  std::vector<std::int32_t> spacing_;  // invariant: every entry equals GridWidth
  TColor foreground_ = clWindowText;
  TColor background_ = clWindow;
  QColor foreground_rgb_;
  QColor background_rgb_;
  int char_extra_ = 0;
  int attach_count_ = 0;
  const TStyleFont* applied_font_ = nullptr;  // the font last set on the painter
  QFont secondary_font_;
  // Made when a secondary font is first set (or asked for): most editors
  // never use one, and measuring it costs a font of its own.
  mutable std::unique_ptr<TheFontStock> secondary_stock_;
  bool secondary_enabled_ = false;
  bool secondary_fitted_ = false;  // the secondary font was fitted to this grid

  // Scratch buffers reused by every call, so drawing allocates only while
  // they grow to the longest run seen.
  std::vector<quint32> glyphs_;
  std::vector<QPointF> positions_;
  std::vector<std::uint16_t> glyph_fonts_;
  std::vector<quint32> part_glyphs_;
  std::vector<QPointF> part_positions_;
  QGlyphRun glyph_run_;
};

}  // namespace torvane
