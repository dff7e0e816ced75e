// The font style set shared by highlighter attributes, the text drawer and
// the painter: bold, italic, underline and strike-out, stored as bits 0 to 3.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace torvane {

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (const TFontStyle s : styles) {
      bits_ |= Bit(s);
    }
  }
  // The set read from its stored number; bits above 3 are not styles.
  static constexpr TFontStyles FromInt(int value) {
    TFontStyles styles;
    styles.bits_ = static_cast<std::uint8_t>(value & 0x0F);
    return styles;
  }

  constexpr int ToInt() const { return bits_; }
  constexpr bool Contains(TFontStyle s) const { return (bits_ & Bit(s)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TFontStyles With(TFontStyle s) const { return FromInt(bits_ | Bit(s)); }
  constexpr TFontStyles Without(TFontStyle s) const { return FromInt(bits_ & ~Bit(s)); }
  constexpr bool operator==(const TFontStyles&) const = default;

 private:
  static constexpr std::uint8_t Bit(TFontStyle s) { return static_cast<std::uint8_t>(1u << s); }

  std::uint8_t bits_ = 0;
};

}  // namespace torvane
