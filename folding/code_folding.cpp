// Folding options: setters that report every change, and the conversions
// to and from hue/saturation/lightness that derive the bar colours.
#include "folding/code_folding.h"

#include <algorithm>
#include <cmath>

namespace torvane {
namespace {

// The integer nearest to x, halves to the even neighbour.
int Nearest(double x) {
  return static_cast<int>(std::nearbyint(x));
}

constexpr TColor kClassicButtonFace = 0xF0F0F0;

}  // namespace

THsl ColorToHsl(TColor rgb) {
  const int r = static_cast<int>(rgb & 0xFF);
  const int g = static_cast<int>((rgb >> 8) & 0xFF);
  const int b = static_cast<int>((rgb >> 16) & 0xFF);
  const int max = std::max({r, g, b});
  const int min = std::min({r, g, b});
  THsl hsl;
  hsl.L = (max + min) * 100 / 510;
  if (max == min) {
    return hsl;
  }
  hsl.S = hsl.L <= 50 ? (max - min) * 100 / (max + min) : (max - min) * 100 / (510 - (max + min));
  const double f = 60.0 / (max - min);
  if (r == max) {
    hsl.H = Nearest(f * (g - b));
    if (g < b) {
      hsl.H += 360;
    }
  } else if (g == max) {
    hsl.H = Nearest(f * (b - r) + 120);
  } else {
    hsl.H = Nearest(f * (r - g) + 240);
  }
  return hsl;
}

TColor HslToColor(THsl hsl) {
  if (hsl.S == 0) {
    const auto v = static_cast<TColor>(std::clamp(Nearest(hsl.L * 2.55), 0, 255));
    return v | (v << 8) | (v << 16);
  }
  const double l = hsl.L / 100.0;
  const double s = hsl.S / 100.0;
  const double p = l > 0.5 ? l - s * (1 - l) : l * (1 - s);
  const double q = 2 * l - p;
  const double h = hsl.H / 60.0;
  double red = 0;
  double green = 0;
  double blue = 0;
  switch (hsl.H / 60) {
    case 0:
      red = q, green = p + (q - p) * h, blue = p;
      break;
    case 1:
      red = p + (q - p) * (2 - h), green = q, blue = p;
      break;
    case 2:
      red = p, green = q, blue = p + (q - p) * (h - 2);
      break;
    case 3:
      red = p, green = p + (q - p) * (4 - h), blue = q;
      break;
    case 4:
      red = p + (q - p) * (h - 4), green = p, blue = q;
      break;
    default:
      red = q, green = p, blue = p + (q - p) * (6 - h);
      break;
  }
  const auto channel = [](double fraction) {
    return static_cast<TColor>(std::clamp(static_cast<int>(std::ceil(fraction * 255)), 0, 255));
  };
  return channel(red) | (channel(green) << 8) | (channel(blue) << 16);
}

TColor ShiftLightness(TColor rgb, int delta) {
  THsl hsl = ColorToHsl(rgb);
  hsl.L = std::clamp(hsl.L + delta, 0, 100);
  return HslToColor(hsl);
}

TSrcCodeFolding::TSrcCodeFolding(TColorResolver resolver) : resolver_(std::move(resolver)) {
  folder_bar_lines_color_ = DerivedFromButtonFace(-20);
}

void TSrcCodeFolding::SetColorResolver(TColorResolver resolver) {
  resolver_ = std::move(resolver);
}

TColor TSrcCodeFolding::DerivedFromButtonFace(int delta) const {
  const TColor face = resolver_ ? resolver_(clBtnFace) : kClassicButtonFace;
  return ShiftLightness(face & 0xFFFFFF, delta);
}

void TSrcCodeFolding::Changed(TSrcCodeFoldingChange change) {
  if (OnChange) {
    OnChange(change);
  }
}

void TSrcCodeFolding::SetCaseSensitive(bool value) {
  case_sensitive_ = value;
  Changed(fcRescan);
}

void TSrcCodeFolding::SetCollapsedCodeHint(bool value) {
  collapsed_code_hint_ = value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetCollapsedLineColor(TColor value) {
  collapsed_line_color_ = value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetCollapsingMarkStyle(TSrcCollapsingMarkStyle value) {
  collapsing_mark_style_ = value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetEnabled(bool value) {
  enabled_ = value;
  Changed(fcEnabled);
}

void TSrcCodeFolding::SetFolderBarColor(TColor value) {
  folder_bar_color_ = value == clDefault ? DerivedFromButtonFace(5) : value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetFolderBarLinesColor(TColor value) {
  folder_bar_lines_color_ = value == clDefault ? DerivedFromButtonFace(-20) : value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetHighlighterFoldRegions(bool value) {
  highlighter_fold_regions_ = value;
  Changed(fcRescan);
}

void TSrcCodeFolding::SetHighlightIndentGuides(bool value) {
  highlight_indent_guides_ = value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetIndentGuides(bool value) {
  indent_guides_ = value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::SetShowCollapsedLine(bool value) {
  show_collapsed_line_ = value;
  Changed(fcRefresh);
}

void TSrcCodeFolding::CopyFrom(const TSrcCodeFolding& source) {
  if (this == &source) {
    return;
  }
  highlighter_fold_regions_ = source.highlighter_fold_regions_;
  collapsed_code_hint_ = source.collapsed_code_hint_;
  indent_guides_ = source.indent_guides_;
  show_collapsed_line_ = source.show_collapsed_line_;
  collapsed_line_color_ = source.collapsed_line_color_;
  enabled_ = source.enabled_;
  highlight_indent_guides_ = source.highlight_indent_guides_;
  folder_bar_color_ = source.folder_bar_color_;
  folder_bar_lines_color_ = source.folder_bar_lines_color_;
  collapsing_mark_style_ = source.collapsing_mark_style_;
  fold_regions_.CopyFrom(source.fold_regions_);
  case_sensitive_ = source.case_sensitive_;
  Changed(fcRescan);
}

}  // namespace torvane
