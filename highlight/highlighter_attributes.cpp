// Setters, copying and the style bits of a highlighter attribute.
#include "highlight/highlighter_attributes.h"

namespace torvane {

const TColor kPaletteColors[16] = {clBlack, clMaroon,  clGreen, clOlive, clNavy, clPurple,
                                   clTeal,  clSilver,  clGray,  clRed,   clLime, clYellow,
                                   clBlue,  clFuchsia, clAqua,  clWhite};

void TSrcHighlighterAttributes::SetBackground(TColor value) {
  if (background_ != value) {
    background_ = value;
    NotifyChanged();
  }
}

void TSrcHighlighterAttributes::SetForeground(TColor value) {
  if (foreground_ != value) {
    foreground_ = value;
    NotifyChanged();
  }
}

void TSrcHighlighterAttributes::SetStyle(TFontStyles value) {
  if (style_ != value) {
    style_ = value;
    NotifyChanged();
  }
}

void TSrcHighlighterAttributes::NotifyChanged() {
  if (OnChange) {
    OnChange(this);
  }
}

void TSrcHighlighterAttributes::CopyFrom(const TSrcHighlighterAttributes& source) {
  name_ = source.name_;
  CopyColorsAndStyle(source);
}

void TSrcHighlighterAttributes::CopyColorsAndStyle(const TSrcHighlighterAttributes& source) {
  bool changed = false;
  if (background_ != source.background_) {
    background_ = source.background_;
    changed = true;
  }
  if (foreground_ != source.foreground_) {
    foreground_ = source.foreground_;
    changed = true;
  }
  if (style_ != source.style_) {
    style_ = source.style_;
    changed = true;
  }
  if (changed) {
    NotifyChanged();
  }
}

void TSrcHighlighterAttributes::RememberDefaults() {
  foreground_default_ = foreground_;
  background_default_ = background_;
  style_default_ = style_;
}

void TSrcHighlighterAttributes::SetStyleBits(int bits) {
  SetStyle((bits & 1) != 0 ? TFontStyles{fsBold} : TFontStyles{});
  if ((bits & 2) != 0) {
    SetStyle(style_.With(fsItalic));
  }
  if ((bits & 4) != 0) {
    SetStyle(style_.With(fsUnderline));
  }
  if ((bits & 8) != 0) {
    SetStyle(style_.With(fsStrikeOut));
  }
}

}  // namespace torvane
