// Colour resolution: explicit values are unpacked, system colours come from
// the palette or the classic defaults.
#include "platform/gui/color.h"

#include <QGuiApplication>
#include <array>

namespace torvane {
namespace {

// Classic default RGB of the system colours 0..30.
constexpr std::array<QRgb, 31> kClassic = {
    qRgb(212, 208, 200), qRgb(58, 110, 165),  qRgb(10, 36, 106),   qRgb(128, 128, 128),
    qRgb(212, 208, 200), qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(0, 0, 0),
    qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(212, 208, 200), qRgb(212, 208, 200),
    qRgb(128, 128, 128), qRgb(10, 36, 106),   qRgb(255, 255, 255), qRgb(212, 208, 200),
    qRgb(128, 128, 128), qRgb(128, 128, 128), qRgb(0, 0, 0),       qRgb(212, 208, 200),
    qRgb(255, 255, 255), qRgb(64, 64, 64),    qRgb(212, 208, 200), qRgb(0, 0, 0),
    qRgb(255, 255, 225), qRgb(181, 181, 181), qRgb(0, 0, 128),     qRgb(166, 202, 240),
    qRgb(192, 192, 192), qRgb(49, 106, 197),  qRgb(236, 233, 216),
};

bool IsMarker(TColor color) {
  return color == clNone || color == clDefault;
}

QColor Unpack(TColor color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

}  // namespace

QColor ClassicSystemColor(int index) {
  if (index < 0 || index >= static_cast<int>(kClassic.size())) {
    return QColor(Qt::black);
  }
  return QColor(kClassic[static_cast<std::size_t>(index)]);
}

QColor SystemColor(int index, const QPalette& palette) {
  switch (index) {
    case 5:  // clWindow: the background of text areas
      return palette.color(QPalette::Active, QPalette::Base);
    case 8:  // clWindowText
      return palette.color(QPalette::Active, QPalette::Text);
    case 13:  // clHighlight
      return palette.color(QPalette::Active, QPalette::Highlight);
    case 14:  // clHighlightText
      return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 15:  // clBtnFace
      return palette.color(QPalette::Active, QPalette::Button);
    case 24:  // clInfoBk
      return palette.color(QPalette::Active, QPalette::ToolTipBase);
    default:
      // clGrayText among them: the palette's disabled grey is too faint for
      // text people read (comments are drawn in it).
      return ClassicSystemColor(index);
  }
}

QColor ToQColor(TColor color, const QPalette& palette) {
  if (IsMarker(color)) {
    return QColor();
  }
  if (IsSystemColor(color)) {
    return SystemColor(static_cast<int>(color & 0xFF), palette);
  }
  return Unpack(color);
}

QColor ToQColor(TColor color) {
  if (IsSystemColor(color)) {
    // Without an application object there is no palette; the classic values serve.
    if (QGuiApplication::instance() == nullptr) {
      return ClassicSystemColor(static_cast<int>(color & 0xFF));
    }
    return SystemColor(static_cast<int>(color & 0xFF), QGuiApplication::palette());
  }
  return IsMarker(color) ? QColor() : Unpack(color);
}

QColor ToQColor(TColor color, const QColor& fallback) {
  return IsMarker(color) ? fallback : ToQColor(color);
}

TColor FromQColor(const QColor& color) {
  const QRgb rgb = color.rgb();
  return static_cast<TColor>(qRed(rgb)) | (static_cast<TColor>(qGreen(rgb)) << 8) |
         (static_cast<TColor>(qBlue(rgb)) << 16);
}

TColor ColorToRGB(TColor color, const QPalette& palette) {
  if (IsMarker(color)) {
    return color;
  }
  if (IsSystemColor(color)) {
    return FromQColor(ToQColor(color, palette));
  }
  // Bits above the three colour bytes carry no meaning for explicit colours.
  return color & 0x00FFFFFF;
}

TColor ColorToRGB(TColor color) {
  if (IsMarker(color) || !IsSystemColor(color)) {
    return IsMarker(color) ? color : color & 0x00FFFFFF;
  }
  return FromQColor(ToQColor(color));
}

}  // namespace torvane
