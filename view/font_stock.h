// One user's view of a font cache entry: selects a style and creates and
// measures the style's font the first time it is needed.
#pragma once

#include <QFont>

#include "platform/errors.h"
#include "platform/font_styles.h"
#include "view/fonts_info.h"

namespace torvane {

class EheFontStockException : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// The style set a QFont asks for.
TFontStyles FontStylesOf(const QFont& font);

class TheFontStock {
 public:
  explicit TheFontStock(const QFont* font);
  virtual ~TheFontStock();
  TheFontStock(const TheFontStock&) = delete;
  TheFontStock& operator=(const TheFontStock&) = delete;

  // Throws EheFontStockException when no font is given; nothing changes then.
  virtual void SetBaseFont(const QFont* font);
  virtual void SelectStyle(TFontStyles style);
  virtual void ReleaseStyleHandles();

  int CellWidth() const { return current_->cell_width; }
  int CellHeight() const { return current_->cell_height; }
  int WideCellWidth() const { return current_->wide_cell_width; }
  const TStyleFontData& StyleData() const { return *current_; }
  TFontStyles CurrentStyle() const { return style_; }
  const QFont& BaseFont() const { return entry_->base_font; }
  const TFontsInfoEntry* Entry() const { return entry_; }
  // False once the cache was shut down under this stock.
  bool EntryAlive() const { return entry_ != nullptr && generation_ == FontsInfoGeneration(); }
  // The current style's font, made again if the cache let it go meanwhile.
  TStyleFont& CurrentFont();

  // Cell width, height and double-width advance of a font, the way the
  // editor's cells are measured: the advance of 'M' (the average width when
  // the font has no 'M'), the ascent plus descent, and the width of a
  // double-byte character (kUnknownWidth unless it is known to be wide).
  static int MeasureFontAdvance(const QFont& font, int* height, int* wide_width,
                                std::uint8_t charset);

 protected:
  virtual QFont CreateStyleFont(TFontStyles style) const;

 private:
  void GiveUpEntry();

  TFontsInfoEntry* entry_ = nullptr;  // one reference held
  int generation_ = 0;                // of the cache that gave entry_
  bool using_font_handles_ = false;   // counted as a user of the entry's handles
  TStyleFontData* current_ = nullptr;
  TFontStyles style_;
  TFontRecord base_key_;  // the entry's key, a private copy
};

}  // namespace torvane
