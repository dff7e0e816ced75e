// The machine-code column's rows as images of their ink, drawn once per
// distinct text and copied on later paints: drawing the glyphs on every
// paint cost a fifth of a full repaint; copying just the ink's box onto the
// filled cell costs about what filling it does.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/colors.h"

namespace torvane {

class TheTextDrawer;

class TColumnRowImages {
 public:
  TColumnRowImages();
  ~TColumnRowImages();
  TColumnRowImages(const TColumnRowImages&) = delete;
  TColumnRowImages& operator=(const TColumnRowImages&) = delete;

  struct TInk {
    QPoint At;     // where the image goes in the cell
    QImage Image;  // null for a row without ink
  };
  // The ink of the document bytes `text` in `font` and `ink` on
  // `background`, in a cell of `size` (device-independent pixels at
  // `ratio`) from `left` pixels, centred in height (multi-byte characters
  // in `unicode_font` when one is named). At most `capacity` rows are kept;
  // other fonts, size, ratio or left edge than the last row's start afresh.
  const TInk& Row(const QFont& font, const QString& unicode_font, QSize size, qreal ratio, int left,
                  std::string_view text, TColor ink, TColor background, std::size_t capacity);
  std::size_t Count() const { return images_.size(); }
  void Clear();

 private:
  QFont font_;
  QString unicode_font_;
  QSize size_;
  qreal ratio_ = 0;
  int left_ = 0;
  std::unique_ptr<TheTextDrawer> drawer_;
  std::unordered_map<std::string, TInk> images_;
};

}  // namespace torvane
