// The editor's folding options (its CodeFolding property) and the colour
// arithmetic behind their defaults.
#pragma once

#include <functional>
#include <memory>

#include "highlight/fold_regions.h"
#include "platform/colors.h"

namespace torvane {

enum TSrcCodeFoldingChange { fcEnabled, fcRefresh, fcRescan };
enum TSrcCollapsingMarkStyle : std::uint8_t { msSquare, msEllipse };

// Hue 0..359, saturation and lightness 0..100, as integers.
struct THsl {
  int H = 0;
  int S = 0;
  int L = 0;
  friend bool operator==(const THsl&, const THsl&) = default;
};
THsl ColorToHsl(TColor rgb);
TColor HslToColor(THsl hsl);
// The colour with its lightness changed by `delta` (rgb is 0x00BBGGRR).
TColor ShiftLightness(TColor rgb, int delta);

class TSrcCodeFolding {
 public:
  // Turns a system colour into its RGB value; the widget plugs in the
  // palette's, the default knows the classic values folding needs.
  using TColorResolver = std::function<TColor(TColor)>;
  explicit TSrcCodeFolding(TColorResolver resolver = {});
  TSrcCodeFolding(const TSrcCodeFolding&) = delete;
  TSrcCodeFolding& operator=(const TSrcCodeFolding&) = delete;

  // Every setter stores the value and then reports the change, also when
  // the value did not change.
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool value);
  bool CollapsedCodeHint() const { return collapsed_code_hint_; }
  void SetCollapsedCodeHint(bool value);
  TColor CollapsedLineColor() const { return collapsed_line_color_; }
  void SetCollapsedLineColor(TColor value);
  TSrcCollapsingMarkStyle CollapsingMarkStyle() const { return collapsing_mark_style_; }
  void SetCollapsingMarkStyle(TSrcCollapsingMarkStyle value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TFoldRegions& FoldRegions() { return fold_regions_; }
  const TFoldRegions& FoldRegions() const { return fold_regions_; }
  // clDefault stores a colour derived from the button face (lighter by 5).
  TColor FolderBarColor() const { return folder_bar_color_; }
  void SetFolderBarColor(TColor value);
  // clDefault stores a colour derived from the button face (darker by 20).
  TColor FolderBarLinesColor() const { return folder_bar_lines_color_; }
  void SetFolderBarLinesColor(TColor value);
  bool HighlighterFoldRegions() const { return highlighter_fold_regions_; }
  void SetHighlighterFoldRegions(bool value);
  bool HighlightIndentGuides() const { return highlight_indent_guides_; }
  void SetHighlightIndentGuides(bool value);
  bool IndentGuides() const { return indent_guides_; }
  void SetIndentGuides(bool value);
  bool ShowCollapsedLine() const { return show_collapsed_line_; }
  void SetShowCollapsedLine(bool value);

  // Copies every property (the regions too), then reports fcRescan.
  void CopyFrom(const TSrcCodeFolding& source);
  void SetColorResolver(TColorResolver resolver);

  std::function<void(TSrcCodeFoldingChange)> OnChange;

 private:
  void Changed(TSrcCodeFoldingChange change);
  TColor DerivedFromButtonFace(int delta) const;

  TColorResolver resolver_;
  bool highlighter_fold_regions_ = true;
  bool collapsed_code_hint_ = true;
  bool indent_guides_ = true;
  bool show_collapsed_line_ = true;
  TColor collapsed_line_color_ = clDefault;
  bool enabled_ = false;
  bool highlight_indent_guides_ = true;
  TColor folder_bar_color_ = clDefault;
  TColor folder_bar_lines_color_ = clDefault;
  TSrcCollapsingMarkStyle collapsing_mark_style_ = msSquare;
  TFoldRegions fold_regions_;
  bool case_sensitive_ = false;
};

}  // namespace torvane
