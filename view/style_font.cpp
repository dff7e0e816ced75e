// Glyph lookup for one style font, with fallback fonts found the way Qt's
// own text layout finds them, cached per character.
#include "view/style_font.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>

namespace torvane {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kWarmUpChar = U'\u4E2D';

// Style fonts whose warm-up has not run yet, oldest first.
std::vector<TStyleFont*>& Waiting() {
  static std::vector<TStyleFont*> waiting;
  return waiting;
}

// One style font a turn of the event loop, so no turn is blocked for long.
void WarmUpNext() {
  std::vector<TStyleFont*>& waiting = Waiting();
  if (waiting.empty()) {
    return;
  }
  TStyleFont* font = waiting.front();
  waiting.erase(waiting.begin());
  // The first character that needs a fallback font makes Qt find and load
  // that font and FreeType prepare its hinting, about two thirds of the
  // first paint of a document with Chinese comments. The program speaks
  // Chinese, so that fallback is the one to have ready.
  (void)font->GlyphOf(kWarmUpChar);
  if (!waiting.empty()) {
    QTimer::singleShot(0, &WarmUpNext);
  }
}

}  // namespace

TStyleFont::TStyleFont(const QFont& font) : font_(font) {
  raw_fonts_.push_back(QRawFont::fromFont(font_));
  const QFontMetrics metrics(font_);
  ascent_ = metrics.ascent();
  height_ = metrics.height();
  underline_pos_ = metrics.underlinePos();
  strike_out_pos_ = metrics.strikeOutPos();
  line_width_ = std::max(1, metrics.lineWidth());
  // The printable ASCII characters in one call, as most text is nothing
  // else; only those the font lacks go the way of Lookup.
  QChar printable[0x7F - 0x20];
  for (char32_t c = 0x20; c < 0x7F; ++c) {
    printable[c - 0x20] = QChar(static_cast<char16_t>(c));
  }
  quint32 glyphs[0x7F - 0x20] = {};
  int count = 0x7F - 0x20;
  const bool found = raw_fonts_.front().glyphIndexesForChars(printable, count, glyphs, &count) &&
                     count == 0x7F - 0x20;
  for (char32_t c = 0; c < 0x80; ++c) {
    if (found && c >= 0x20 && c < 0x7F && glyphs[c - 0x20] != 0) {
      ascii_[c].glyph = glyphs[c - 0x20];
      ascii_[c].blank = c == U' ';
    } else {
      ascii_[c] = Lookup(c);
    }
  }
  RasterizeAscii();
  Waiting().push_back(this);
  if (Waiting().size() == 1) {
    QTimer::singleShot(0, &WarmUpNext);
  }
}

TStyleFont::~TStyleFont() {
  std::erase(Waiting(), this);
}

void TStyleFont::RasterizeAscii() const {
  // Qt keeps the rasterised glyphs of a font for every painter; drawing the
  // printable ASCII ones once here, while fonts are set up, spares the first
  // paint of a document rasterising them one by one.
  std::vector<quint32> glyphs;
  for (char32_t c = 0x21; c < 0x7F; ++c) {
    if (ascii_[c].font == 0 && !ascii_[c].blank && ascii_[c].glyph != 0) {
      glyphs.push_back(ascii_[c].glyph);
    }
  }
  if (glyphs.empty() || height_ <= 0) {
    return;
  }
  // Whole-pixel positions, as the drawer places glyphs at whole cells.
  const std::vector<QPointF> positions(glyphs.size(), QPointF(0, ascent_));
  QImage scratch(2 * height_, height_, QImage::Format_RGB32);
  QPainter painter(&scratch);
  QGlyphRun run;
  run.setRawFont(raw_fonts_.front());
  run.setRawData(glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
  painter.drawGlyphRun(QPointF(0, 0), run);
}

TGlyphRef TStyleFont::GlyphOf(char32_t c) {
  if (c < 0x80) {
    return ascii_[c];
  }
  const auto it = by_char_.find(c);
  if (it != by_char_.end()) {
    return it->second;
  }
  const TGlyphRef ref = Lookup(c);
  by_char_.emplace(c, ref);
  return ref;
}

void TStyleFont::UseCodePage(const CodePage& page) {
  if (page.Kind() != cached_kind_ || page.Name() != cached_page_) {
    by_bytes_.clear();
    cached_kind_ = page.Kind();
    cached_page_ = page.Name();
  }
}

TGlyphRef TStyleFont::MultiByteGlyph(std::string_view text, std::size_t i, int len,
                                     const CodePage& page) {
  std::uint64_t key = static_cast<std::uint64_t>(len) << 32;
  for (int k = 0; k < len && k < 4; ++k) {
    key |= static_cast<std::uint64_t>(
               static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]))
           << (8 * (3 - k));
  }
  const auto it = by_bytes_.find(key);
  if (it != by_bytes_.end()) {
    return it->second;
  }
  TGlyphRef ref = GlyphOf(page.DecodeChar(text, i));
  ref.cells = static_cast<std::uint8_t>(page.CharCells(text, i));
  by_bytes_.emplace(key, ref);
  return ref;
}

TGlyphRef TStyleFont::Lookup(char32_t c) {
  TGlyphRef ref;
  ref.cells = static_cast<std::uint8_t>(UnicodeCells(c));
  ref.blank = c == U' ';
  if (c < 0x20 || c == 0x7F) {
    ref.blank = true;  // control characters have no ink of their own
    return ref;
  }
  const QRawFont& main = raw_fonts_.front();
  if (main.supportsCharacter(static_cast<uint>(c))) {
    const QString s = QString::fromUcs4(&c, 1);
    quint32 glyphs[2] = {0, 0};
    int count = 2;
    if (main.glyphIndexesForChars(s.constData(), static_cast<int>(s.size()), glyphs, &count) &&
        count > 0) {
      ref.glyph = glyphs[0];
      return ref;
    }
  }
  // Let Qt's layout pick the fallback font it would use for this character.
  QTextLayout layout(QString::fromUcs4(&c, 1), font_);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.isEmpty() || runs.front().glyphIndexes().isEmpty()) {
    return ref;
  }
  const QRawFont fallback = runs.front().rawFont();
  const quint32 glyph = runs.front().glyphIndexes().front();
  if (c == kReplacement) {
    // An undecodable byte must stay in its one cell; a fallback font's
    // replacement mark is often twice as wide, so a question mark stands in.
    quint32 m = 0;
    int count = 1;
    const QChar em(u'M');
    main.glyphIndexesForChars(&em, 1, &m, &count);
    QPointF advances[2];
    fallback.advancesForGlyphIndexes(&glyph, &advances[0], 1);
    main.advancesForGlyphIndexes(&m, &advances[1], 1);
    if (advances[0].x() > advances[1].x() * 1.2) {
      return ascii_['?'];
    }
  }
  ref.font = FallbackIndex(fallback);
  ref.glyph = glyph;
  return ref;
}

std::uint16_t TStyleFont::FallbackIndex(const QRawFont& raw) {
  for (std::size_t k = 0; k < raw_fonts_.size(); ++k) {
    if (raw_fonts_[k] == raw) {
      return static_cast<std::uint16_t>(k);
    }
  }
  raw_fonts_.push_back(raw);
  return static_cast<std::uint16_t>(raw_fonts_.size() - 1);
}

}  // namespace torvane
