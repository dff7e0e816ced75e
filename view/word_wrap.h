// The word-wrap options object of the editor (its WordWrap property): on or
// off, where rows break by style, and the gutter's indicator for
// continuation rows. The row bookkeeping is editor/word_wrap_plugin.
#pragma once

#include <cstdint>

#include "view/gutter_glyphs.h"
#include "view/view_options.h"

namespace torvane {

// Where rows break: at the window's width, at the right edge, or at
// Position.
enum TSrcWordWrapStyle : std::uint8_t { wwsClientWidth, wwsRightEdge, wwsSpecified };

class TSrcWordWrap : public TSrcViewOption {
 public:
  // The indicator starts as the built-in "SrcEditWrapped" picture with
  // clLime as its transparent colour.
  TSrcWordWrap();

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { Store(enabled_, on); }
  // Columns, for wwsSpecified.
  int Position() const { return position_; }
  void SetPosition(int columns) { Store(position_, columns); }
  TSrcWordWrapStyle Style() const { return style_; }
  void SetStyle(TSrcWordWrapStyle style) { Store(style_, style); }
  // Its own OnChange repaints only the gutter.
  TSrcGlyph& Indicator() { return indicator_; }
  const TSrcGlyph& Indicator() const { return indicator_; }
  // Copies Enabled, Position, Style and the indicator; notifies once.
  void CopyFrom(const TSrcWordWrap& other);

 private:
  bool enabled_ = false;
  int position_ = 80;
  TSrcWordWrapStyle style_ = wwsClientWidth;
  TSrcGlyph indicator_;
};

}  // namespace torvane
