// Font style sets (bold, italic, underline, strike-out) as the highlighter
// attributes and the text drawer use them; the bits double as the stored form.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace torvane {

enum TFontStyle : std::uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of TFontStyle; bit n is style n, so Bits() is the stored number.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) {
      bits_ = static_cast<std::uint8_t>(bits_ | (1u << s));
    }
  }
  static constexpr TFontStyles FromBits(unsigned bits) {
    TFontStyles s;
    s.bits_ = static_cast<std::uint8_t>(bits & 0x0F);
    return s;
  }

  constexpr unsigned Bits() const { return bits_; }
  constexpr bool Contains(TFontStyle s) const { return (bits_ >> s) & 1u; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TFontStyles With(TFontStyle s) const { return FromBits(bits_ | (1u << s)); }
  constexpr TFontStyles Without(TFontStyle s) const { return FromBits(bits_ & ~(1u << s)); }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  std::uint8_t bits_ = 0;  // invariant: only bits 0..3 are ever set
};

}  // namespace torvane
