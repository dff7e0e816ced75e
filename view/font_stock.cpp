// Style selection and font measuring for one user of a cached font.
#include "view/font_stock.h"

#include <QFontMetrics>
#include <QRawFont>

namespace torvane {
namespace {

constexpr char kNoFont[] = "SetBaseFont: 'Value' must be specified.";

}  // namespace

TFontStyles FontStylesOf(const QFont& font) {
  TFontStyles styles;
  styles = font.bold() ? styles.With(fsBold) : styles;
  styles = font.italic() ? styles.With(fsItalic) : styles;
  styles = font.underline() ? styles.With(fsUnderline) : styles;
  return font.strikeOut() ? styles.With(fsStrikeOut) : styles;
}

TheFontStock::TheFontStock(const QFont* font) {
  SetBaseFont(font);
}

TheFontStock::~TheFontStock() {
  GiveUpEntry();
}

void TheFontStock::GiveUpEntry() {
  if (entry_ == nullptr) {
    return;
  }
  if (generation_ != FontsInfoGeneration()) {
    // The cache was shut down under this stock and took the entry with it.
    entry_ = nullptr;
    current_ = nullptr;
    using_font_handles_ = false;
    return;
  }
  TheFontsInfoManager& manager = FontsInfoManagerInstance();
  if (using_font_handles_) {
    manager.DeactivateFontsInfo(entry_);
    using_font_handles_ = false;
  }
  manager.DropFontsInfo(entry_);
  entry_ = nullptr;
  current_ = nullptr;
}

void TheFontStock::SetBaseFont(const QFont* font) {
  if (font == nullptr) {
    throw EheFontStockException(kNoFont);
  }
  TheFontsInfoManager& manager = FontsInfoManagerInstance();
  TFontsInfoEntry* entry = manager.AcquireFontsInfo(*font);
  if (entry == entry_ && generation_ == FontsInfoGeneration()) {
    manager.DropFontsInfo(entry);
    return;
  }
  GiveUpEntry();
  entry_ = entry;
  generation_ = FontsInfoGeneration();
  base_key_ = entry->key;
  SelectStyle(FontStylesOf(*font));
}

void TheFontStock::SelectStyle(TFontStyles style) {
  if (!using_font_handles_) {
    FontsInfoManagerInstance().ActivateFontsInfo(entry_);
    using_font_handles_ = true;
  }
  TStyleFontData* slot = &entry_->styles[static_cast<std::size_t>(style.ToInt())];
  // The handle is checked too: the cache frees handles when their last
  // user lets go, and a remembered slot must not point at a freed font.
  if (slot == current_ && slot->handle != nullptr) {
    return;
  }
  style_ = style;
  if (slot->handle == nullptr) {
    const QFont font = CreateStyleFont(style);
    int height = 0;
    int wide = 0;  // stays 0 for a font without double-byte glyphs
    slot->cell_width =
        MeasureFontAdvance(font, &height, entry_->is_dbcs ? &wide : nullptr, base_key_.charset);
    slot->cell_height = height;
    slot->wide_cell_width = wide;
    slot->handle = std::make_unique<TStyleFont>(font);
  }
  current_ = slot;
}

TStyleFont& TheFontStock::CurrentFont() {
  if (!using_font_handles_ || current_->handle == nullptr) {
    const TFontStyles style = style_;
    current_ = nullptr;
    SelectStyle(style);
  }
  return *current_->handle;
}

void TheFontStock::ReleaseStyleHandles() {
  if (using_font_handles_) {
    FontsInfoManagerInstance().DeactivateFontsInfo(entry_);
    using_font_handles_ = false;
  }
}

QFont TheFontStock::CreateStyleFont(TFontStyles style) const {
  QFont font = entry_->base_font;
  font.setPixelSize(base_key_.height);
  font.setWeight(style.Contains(fsBold) ? QFont::Bold : QFont::Normal);
  font.setItalic(style.Contains(fsItalic));
  font.setUnderline(style.Contains(fsUnderline));
  font.setStrikeOut(style.Contains(fsStrikeOut));
  return font;
}

int TheFontStock::MeasureFontAdvance(const QFont& font, int* height, int* wide_width,
                                     std::uint8_t charset) {
  const QFontMetrics metrics(font);
  // The font's own glyphs only: the metrics object would answer for the
  // fallback fonts as well.
  const QRawFont raw = QRawFont::fromFont(font);
  const bool has_m = raw.supportsCharacter(QChar(u'M'));
  // Left bearing + ink + right bearing of 'M' is its advance.
  const int width = has_m ? metrics.horizontalAdvance(QChar(u'M')) : metrics.averageCharWidth();
  if (height != nullptr) {
    *height = std::abs(metrics.height());
  }
  if (wide_width != nullptr) {
    *wide_width = kUnknownWidth;
    // Only a Japanese font's wide width is known: the ideographic comma and
    // the kana 'a' must be equally wide and clearly wider than one cell.
    if (charset == kShiftJisCharset && has_m && raw.supportsCharacter(0x3001u) &&
        raw.supportsCharacter(0x3042u)) {
      const int w = metrics.horizontalAdvance(QString(QChar(0x3001)));
      if (2 * w > 3 * width && w == metrics.horizontalAdvance(QString(QChar(0x3042)))) {
        *wide_width = w;
      }
    }
  }
  return width;
}

}  // namespace torvane
