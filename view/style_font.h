// One created style variant of a cached font: the QFont, the raw fonts its
// glyphs come from, and a lookup from document characters to glyphs, so that
// drawing a run decodes nothing it has seen before.
#pragma once

#include <QFont>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/codepage.h"

namespace torvane {

// Where a character's glyph lives: raw font `font` (0 is the style font
// itself, higher ones are fallbacks for characters it lacks) and the cells
// the character occupies.
struct TGlyphRef {
  std::uint32_t glyph = 0;
  std::uint16_t font = 0;
  std::uint8_t cells = 1;
  bool blank = false;  // nothing to draw (a space)
};

class TStyleFont {
 public:
  // Looks up a Chinese character once the event loop is idle (see
  // WarmUpWhenIdle in the .cpp), so the first paint of a document with
  // Chinese text does not set up the fallback font for it.
  explicit TStyleFont(const QFont& font);
  ~TStyleFont();
  TStyleFont(const TStyleFont&) = delete;
  TStyleFont& operator=(const TStyleFont&) = delete;

  const QFont& Font() const { return font_; }
  const QRawFont& RawFont(int index) const { return raw_fonts_[static_cast<std::size_t>(index)]; }
  int Ascent() const { return ascent_; }
  int Height() const { return height_; }
  int UnderlinePos() const { return underline_pos_; }
  int StrikeOutPos() const { return strike_out_pos_; }
  int LineWidth() const { return line_width_; }

  // Makes `page` the code page GlyphAt decodes in; call before a run.
  void UseCodePage(const CodePage& page);
  // The glyph of the character of `len` bytes at byte i of text, decoded in
  // the code page given to UseCodePage (`page`, passed again to avoid
  // looking it up). Bytes that do not decode give the replacement glyph.
  TGlyphRef GlyphAt(std::string_view text, std::size_t i, int len, const CodePage& page) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      return ascii_[b];
    }
    return MultiByteGlyph(text, i, len, page);
  }
  // The glyph of one Unicode character (cells from its East-Asian width).
  TGlyphRef GlyphOf(char32_t c);
  // Whether c's glyph has been looked up (ASCII always has).
  bool Knows(char32_t c) const { return c < 0x80 || by_char_.contains(c); }

 private:
  void RasterizeAscii() const;
  TGlyphRef MultiByteGlyph(std::string_view text, std::size_t i, int len, const CodePage& page);
  TGlyphRef Lookup(char32_t c);
  std::uint16_t FallbackIndex(const QRawFont& raw);

  QFont font_;
  std::vector<QRawFont> raw_fonts_;  // [0] the style font, then fallbacks in order found
  int ascent_ = 0;
  int height_ = 0;
  int underline_pos_ = 0;
  int strike_out_pos_ = 0;
  int line_width_ = 1;
  std::array<TGlyphRef, 128> ascii_{};
  std::unordered_map<char32_t, TGlyphRef> by_char_;
  // Multi-byte characters by their bytes (length in the high half), valid
  // for the code page named in cached_page_; cleared by UseCodePage when
  // that changes.
  std::unordered_map<std::uint64_t, TGlyphRef> by_bytes_;
  CodePageKind cached_kind_ = CodePageKind::SingleByte;
  std::string cached_page_;
};

}  // namespace torvane
