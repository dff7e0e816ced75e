// Turns the stored colour values (0x00BBGGRR, system colour 0xFF0000nn,
// clNone, clDefault) into QColor for painting.
#pragma once

#include <QColor>
#include <QPalette>

#include "platform/colors.h"

namespace torvane {

// The explicit 0x00BBGGRR value of any colour: system colours resolve through
// the application's palette; clNone and clDefault, which are no colour of
// their own, come back unchanged.
TColor ColorToRGB(TColor color);
TColor ColorToRGB(TColor color, const QPalette& palette);

// A colour to paint with. clNone and clDefault give an invalid QColor: the
// caller applies the surrounding or derived colour.
QColor ToQColor(TColor color);
QColor ToQColor(TColor color, const QPalette& palette);
// The same, with the colour to use for clNone and clDefault.
QColor ToQColor(TColor color, const QColor& fallback);

// The explicit value for a QColor (its alpha is dropped).
TColor FromQColor(const QColor& color);

// System colour nn. Window, window text, highlight, highlight text, button
// face, gray text and info background follow the palette so the editor
// matches the desktop's theme; the others keep their classic default values.
QColor SystemColor(int index, const QPalette& palette);
// The classic default value of system colour nn (black for unknown indexes).
QColor ClassicSystemColor(int index);

}  // namespace torvane
