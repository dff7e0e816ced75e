// Drawing the document's bytes in fixed cells: glyphs are looked up once per
// style font and placed at their cell positions, one glyph run per font.
#include "view/text_drawer.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/gui/color.h"

namespace torvane {
namespace {

constexpr char kNoFont[] = "SetBaseFont: 'Value' must be specified.";

void Require(bool condition, const char* message) {
  if (!condition) {
    throw EheTextDrawerException(message);
  }
}

// Colours as the painter wants them; clNone reaching the drawer draws
// nothing rather than some arbitrary colour.
QColor ResolveColor(TColor color) {
  return ToQColor(color, QColor(Qt::transparent));
}

// Clips the painter to a rectangle for one call and puts it back afterwards.
class ClipScope {
 public:
  ClipScope(QPainter& painter, const QRect& rect, bool active) : painter_(painter) {
    if (!active) {
      return;
    }
    if (painter.hasClipping()) {
      painter.save();
      painter.setClipRect(rect, Qt::IntersectClip);
      mode_ = kRestore;
    } else {
      painter.setClipRect(rect);
      mode_ = kUnclip;
    }
  }
  ~ClipScope() {
    if (mode_ == kRestore) {
      painter_.restore();
    } else if (mode_ == kUnclip) {
      painter_.setClipping(false);
    }
  }
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  enum Mode { kNone, kUnclip, kRestore };
  QPainter& painter_;
  Mode mode_ = kNone;
};

}  // namespace

TheTextDrawer::TheTextDrawer(TFontStyles measure_style, const QFont* font) {
  if (font == nullptr) {
    throw EheTextDrawerException(kNoFont);
  }
  stock_ = std::make_unique<TheFontStock>(font);
  measure_style_ = measure_style;
  SetBaseFont(font);
  foreground_rgb_ = ResolveColor(foreground_);
  background_rgb_ = ResolveColor(background_);
}

TheTextDrawer::~TheTextDrawer() = default;

void TheTextDrawer::ReleaseSpacingArray() {
  spacing_.clear();
  spacing_.shrink_to_fit();
}

void TheTextDrawer::SetBaseFont(const QFont* font) {
  if (font == nullptr) {
    throw EheTextDrawerException(kNoFont);
  }
  ReleaseSpacingArray();
  std::unique_ptr<TheFontStock> left;
  if (stock_->EntryAlive()) {
    left = std::make_unique<TheFontStock>(&stock_->BaseFont());
  }
  stock_->SetBaseFont(font);
  if (left != nullptr && left->Entry() != stock_->Entry()) {
    left_stock_ = std::move(left);
  }
  stock_->SelectStyle(measure_style_);
  char_width_ = stock_->CellWidth();
  char_height_ = stock_->CellHeight();
  style_ = stock_->CurrentStyle();
  SelectStyle(FontStylesOf(*font));
  secondary_fitted_ = false;
  if (secondary_enabled_) {
    FitSecondaryFont();
  }
}

void TheTextDrawer::SetMeasureStyle(TFontStyles style) {
  if (style == measure_style_) {
    return;
  }
  measure_style_ = style;
  ReleaseSpacingArray();
  stock_->SelectStyle(style);
  char_width_ = stock_->CellWidth();
  char_height_ = stock_->CellHeight();
  // The stock now stands on the measuring style; the drawer's current
  // style must be selected again before it draws.
  const TFontStyles current = style_;
  style_ = style;
  SelectStyle(current);
}

void TheTextDrawer::SelectStyle(TFontStyles style) {
  if (style == style_ && stock_->CurrentStyle() == style) {
    return;
  }
  style_ = style;
  stock_->SelectStyle(style);
  if (secondary_enabled_) {
    // Unused otherwise; FitSecondaryFont selects the style when it comes on.
    secondary_stock_->SelectStyle(style);
  }
  ApplyCurrentFont();
}

void TheTextDrawer::ApplyCurrentFont() {
  if (dc_ == nullptr) {
    return;
  }
  TStyleFont& font = stock_->CurrentFont();
  if (applied_font_ == &font) {
    return;
  }
  applied_font_ = &font;
  if (char_extra_ == 0) {
    dc_->setFont(font.Font());
  } else {
    QFont spaced = font.Font();
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, char_extra_);
    dc_->setFont(spaced);
  }
}

void TheTextDrawer::AttachDC(QPainter* dc) {
  Require(dc != nullptr, "AttachDC: no painter given.");
  if (dc_ != nullptr) {
    Require(dc == dc_, "AttachDC: another painter is attached.");
    ++attach_count_;
    return;
  }
  dc_ = dc;
  dc_->save();
  applied_font_ = nullptr;
  ApplyCurrentFont();
  foreground_rgb_ = ResolveColor(foreground_);
  background_rgb_ = ResolveColor(background_);
  dc_->setPen(foreground_rgb_);
  dc_->setBackground(background_rgb_);
  ++attach_count_;
}

void TheTextDrawer::DetachDC() {
  Require(attach_count_ > 0, "DetachDC: no painter is attached.");
  if (--attach_count_ == 0) {
    dc_->restore();
    dc_ = nullptr;
    applied_font_ = nullptr;
  }
}

void TheTextDrawer::SetForeground(TColor color) {
  if (color == foreground_) {
    return;
  }
  foreground_ = color;
  foreground_rgb_ = ResolveColor(color);
  if (dc_ != nullptr) {
    dc_->setPen(foreground_rgb_);
  }
}

void TheTextDrawer::SetBackground(TColor color) {
  if (color == background_) {
    return;
  }
  background_ = color;
  background_rgb_ = ResolveColor(color);
  if (dc_ != nullptr) {
    dc_->setBackground(background_rgb_);
  }
}

void TheTextDrawer::SetCharSpacing(int pixels) {
  if (pixels == char_extra_) {
    return;
  }
  char_extra_ = pixels;
  applied_font_ = nullptr;
  ApplyCurrentFont();
}

void TheTextDrawer::ReleaseStyleHandles() {
  stock_->ReleaseStyleHandles();
  left_stock_.reset();
}

void TheTextDrawer::PlainTextOut(int x, int y, std::string_view text) {
  Require(dc_ != nullptr, "PlainTextOut: no painter is attached.");
  applied_font_ = nullptr;  // the caller may have set a font of its own meanwhile
  ApplyCurrentFont();
  dc_->setPen(foreground_rgb_);
  const TStyleFont& font = stock_->CurrentFont();
  dc_->drawText(QPoint(x, y + font.Ascent()), DecodeText(text));
}

void TheTextDrawer::CellTextOut(int x, int y, int options, const QRect& rect,
                                std::string_view text) {
  Require(dc_ != nullptr, "CellTextOut: no painter is attached.");
  if (spacing_.size() < text.size()) {
    // The next multiple of 64 above the length; new entries are one cell.
    spacing_.resize((text.size() & ~std::size_t{63}) + 64, char_width_);
  }
  if ((options & kEtoOpaque) != 0 && rect.isValid()) {
    dc_->fillRect(rect, background_rgb_);
  }
  if (text.empty()) {
    return;
  }
  if (secondary_enabled_) {
    ClipScope clip(*dc_, rect, true);
    DrawSecondaryRuns(x, rect, text,
                      (options & kEtoOpaque) == 0 && dc_->backgroundMode() == Qt::OpaqueMode);
    return;
  }
  const bool clipped = (options & kEtoClipped) != 0;
  const QRect* clip_rect = clipped ? &rect : nullptr;
  TStyleFont& font = stock_->CurrentFont();
  const int baseline = y + font.Ascent();
  int cell = 0;
  const int x_end = CollectGlyphs(font, x, baseline, text, 0, text.size(), cell, clip_rect);
  if ((options & kEtoOpaque) == 0 && dc_->backgroundMode() == Qt::OpaqueMode) {
    FillCells(x, x_end, y, font.Height(), clip_rect);
  }
  ClipScope clip(*dc_, rect, clipped);
  DrawCollected(font);
  DrawDecorations(font, x, x_end, baseline);
}

int TheTextDrawer::CollectGlyphs(TStyleFont& font, int x, int baseline, std::string_view text,
                                 std::size_t begin, std::size_t end, int& cell, const QRect* clip) {
  glyphs_.clear();
  positions_.clear();
  glyph_fonts_.clear();
  const CodePage& page = CodePage::Current();
  font.UseCodePage(page);
  const int clip_left = clip != nullptr ? clip->left() : INT32_MIN;
  const int clip_right = clip != nullptr ? clip->right() : INT32_MAX;
  std::size_t i = begin;
  while (i < end) {
    const int len = std::max(1, page.CharLength(text, i));
    const TGlyphRef ref = font.GlyphAt(text, i, len, page);
    int width = 0;
    for (int k = 0; k < ref.cells; ++k) {
      // A character never takes more cells than bytes, so the array (one
      // entry a byte) reaches; the check only guards against a code page
      // that breaks that rule.
      const auto at = static_cast<std::size_t>(cell++);
      width += at < spacing_.size() ? spacing_[at] : char_width_;
    }
    if (!ref.blank && x + width > clip_left && x <= clip_right) {
      glyphs_.push_back(ref.glyph);
      positions_.emplace_back(x, baseline);
      glyph_fonts_.push_back(ref.font);
    }
    x += width;
    i += static_cast<std::size_t>(len);
    if (x > clip_right) {
      break;  // the rest is clipped away
    }
  }
  return x;
}

void TheTextDrawer::DrawCollected(TStyleFont& font) {
  if (glyphs_.empty()) {
    return;
  }
  // Glyphs take the pen's colour, and callers draw lines with their own pens
  // between runs; the text colour must not follow them.
  if (dc_->pen().color() != foreground_rgb_ || dc_->pen().style() != Qt::SolidLine) {
    dc_->setPen(foreground_rgb_);
  }
  const bool one_font =
      std::all_of(glyph_fonts_.begin(), glyph_fonts_.end(), [](std::uint16_t f) { return f == 0; });
  if (one_font) {
    glyph_run_.setRawFont(font.RawFont(0));
    glyph_run_.setRawData(glyphs_.data(), positions_.data(), static_cast<int>(glyphs_.size()));
    dc_->drawGlyphRun(QPointF(0, 0), glyph_run_);
    return;
  }
  // Characters from fallback fonts: one run for each font that occurs.
  std::uint16_t max_font = *std::max_element(glyph_fonts_.begin(), glyph_fonts_.end());
  for (std::uint16_t f = 0; f <= max_font; ++f) {
    part_glyphs_.clear();
    part_positions_.clear();
    for (std::size_t k = 0; k < glyphs_.size(); ++k) {
      if (glyph_fonts_[k] == f) {
        part_glyphs_.push_back(glyphs_[k]);
        part_positions_.push_back(positions_[k]);
      }
    }
    if (part_glyphs_.empty()) {
      continue;
    }
    glyph_run_.setRawFont(font.RawFont(f));
    glyph_run_.setRawData(part_glyphs_.data(), part_positions_.data(),
                          static_cast<int>(part_glyphs_.size()));
    dc_->drawGlyphRun(QPointF(0, 0), glyph_run_);
  }
}

void TheTextDrawer::DrawDecorations(const TStyleFont& font, int x, int x_end, int baseline) {
  const QFont& f = font.Font();
  if (!f.underline() && !f.strikeOut()) {
    return;
  }
  const int thickness = font.LineWidth();
  if (f.underline()) {
    dc_->fillRect(QRect(x, baseline + font.UnderlinePos(), x_end - x, thickness), foreground_rgb_);
  }
  if (f.strikeOut()) {
    dc_->fillRect(QRect(x, baseline - font.StrikeOutPos(), x_end - x, thickness), foreground_rgb_);
  }
}

void TheTextDrawer::FillCells(int x, int x_end, int top, int height, const QRect* clip) {
  QRect box(x, top, x_end - x, height);
  if (clip != nullptr) {
    box &= *clip;
  }
  if (box.isValid()) {
    dc_->fillRect(box, background_rgb_);
  }
}

void TheTextDrawer::DrawSecondaryRuns(int x, const QRect& rect, std::string_view text,
                                      bool fill_cells) {
  const CodePage& page = CodePage::Current();
  int cell = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    // A run of characters of one kind: single bytes, or multi-byte ones.
    const bool multi = page.CharLength(text, i) > 1;
    std::size_t end = i;
    while (end < text.size() && (page.CharLength(text, end) > 1) == multi) {
      end += static_cast<std::size_t>(std::max(1, page.CharLength(text, end)));
    }
    TheFontStock& stock = multi ? *secondary_stock_ : *stock_;
    TStyleFont& font = stock.CurrentFont();
    // Each font is centred in the rectangle on its own height.
    const int top = rect.top() + (rect.height() - stock.CellHeight()) / 2;
    const int baseline = top + font.Ascent();
    const int x_start = x;
    x = CollectGlyphs(font, x, baseline, text, i, end, cell, &rect);
    if (fill_cells) {
      FillCells(x_start, x, top, stock.CellHeight(), &rect);
    }
    DrawCollected(font);
    DrawDecorations(font, x_start, x, baseline);
    i = end;
  }
}

const TheFontStock& TheTextDrawer::SecondaryFontStock() const {
  if (secondary_stock_ == nullptr) {
    secondary_stock_ = std::make_unique<TheFontStock>(&secondary_font_);
  }
  return *secondary_stock_;
}

QString TheTextDrawer::UnicodeFontName() const {
  return secondary_enabled_ ? secondary_font_.family() : QString();
}

void TheTextDrawer::SetUnicodeFontName(const QString& name) {
  if (name.isEmpty()) {
    secondary_enabled_ = false;
    return;
  }
  secondary_enabled_ = true;
  if (name != secondary_font_.family() || !secondary_fitted_) {
    secondary_font_.setFamily(name);
    FitSecondaryFont();
  } else {
    secondary_stock_->SelectStyle(style_);  // styles changed while it was off
  }
}

void TheTextDrawer::FitSecondaryFont() {
  const QString name = secondary_font_.family();
  QFont font = stock_->BaseFont();
  font.setFamily(name);
  font.setBold(measure_style_.Contains(fsBold));
  font.setItalic(measure_style_.Contains(fsItalic));
  font.setUnderline(measure_style_.Contains(fsUnderline));
  font.setStrikeOut(measure_style_.Contains(fsStrikeOut));
  int pixels = stock_->Entry()->key.height;
  auto apply = [&] {
    font.setPixelSize(pixels);
    secondary_font_ = font;
    if (secondary_stock_ == nullptr) {
      secondary_stock_ = std::make_unique<TheFontStock>(&secondary_font_);
    } else {
      secondary_stock_->SetBaseFont(&secondary_font_);
    }
  };
  auto wider = [&] { return secondary_stock_->CellWidth() > char_width_; };
  auto taller = [&] { return secondary_stock_->CellHeight() > char_height_; };
  apply();
  if (wider() || taller()) {
    while ((wider() || taller()) && pixels > 1) {
      --pixels;
      apply();
    }
  } else if (secondary_stock_->CellWidth() < char_width_ &&
             secondary_stock_->CellHeight() < char_height_) {
    // Grow while it fits, then step back to the last size that did. The
    // bound stops a font whose metrics do not grow with its size.
    const int limit = pixels + 4 * std::max(char_height_, 1);
    while (!wider() && !taller() && pixels < limit) {
      ++pixels;
      apply();
    }
    --pixels;
    apply();
  }
  secondary_stock_->SelectStyle(style_);
  secondary_fitted_ = true;
}

}  // namespace torvane
