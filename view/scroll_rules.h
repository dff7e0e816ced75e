// The arithmetic of scrolling, free of any widget: bounds of the first
// visible row and column, bringing the caret into view, the scroll bars'
// ranges (scaled to 16-bit thumb positions), the answers to the nine scroll
// codes, the wheel's remainders and the scroll hint's text and place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "editor/editor_options.h"
#include "editor/positions.h"

namespace torvane {

// The scroll codes of the scroll-bar messages.
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_RIGHT = 7;
inline constexpr int SB_ENDSCROLL = 8;

// The bars as the platform calls name them.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;

// Fields of a scroll information record.
inline constexpr std::uint32_t SIF_RANGE = 0x1;
inline constexpr std::uint32_t SIF_PAGE = 0x2;
inline constexpr std::uint32_t SIF_POS = 0x4;
inline constexpr std::uint32_t SIF_DISABLENOSCROLL = 0x8;
inline constexpr std::uint32_t SIF_TRACKPOS = 0x10;

// Arrow states of a bar.
inline constexpr int ESB_ENABLE_BOTH = 0;
inline constexpr int ESB_DISABLE_LTUP = 1;
inline constexpr int ESB_DISABLE_RTDN = 2;
inline constexpr int ESB_DISABLE_BOTH = 3;

// Thumb positions travel as 16-bit values, so larger ranges are scaled.
inline constexpr int kScrollScaleLimit = 32767;
inline constexpr int kWheelDelta = 120;
inline constexpr int kWheelRows = 3;
// Columns the view jumps past the right edge to follow the caret.
inline constexpr int kCaretJumpColumns = 24;

struct TScrollInfo {
  std::uint32_t cbSize = 28;
  std::uint32_t fMask = 0;
  std::int32_t nMin = 0;
  std::int32_t nMax = 0;
  std::uint32_t nPage = 0;
  std::int32_t nPos = 0;
  std::int32_t nTrackPos = 0;
};

enum TScrollBarKind : std::uint8_t { sbHorizontal, sbVertical };
enum TScrollHintFormat : std::uint8_t { shfTopLineOnly, shfTopToBottom };

// a × b / c rounded to the nearest integer (halves away from zero) without
// intermediate overflow; 0 when c is 0.
int MulDiv(int a, int b, int c);

// What the bounds depend on, read from the editor when they are needed.
struct TScrollExtent {
  int DisplayRowCount = 0;
  int VisibleRows = 0;
  int VisibleColumns = 0;
  int LongestLineLength = 0;
  int MaxScrollWidth = 1024;
  bool WordWrap = false;
  int WrapWidth = 0;
  TSrcEditorOptions Options;
};

// The columns the view may scroll over past line ends: MaxScrollWidth, or
// more where the longest line needs it, so every character can be shown.
int HorizontalScrollWidth(const TScrollExtent& extent);
int ClampFirstVisibleRow(int row, const TScrollExtent& extent);
int ClampFirstVisibleColumn(int column, const TScrollExtent& extent);

// Where ScrollCaretIntoView moves the view; the setters clamp. The column is
// always set (to itself when the caret is visible).
struct TCaretScroll {
  int Column = 1;
  std::optional<int> Row;
};
TCaretScroll CaretScrollTarget(TDisplayPos caret, int first_column, int first_row,
                               const TScrollExtent& extent, bool centre);

// One bar as RefreshScrollBars leaves it.
struct TScrollBarState {
  bool Shown = false;
  bool Scaled = false;
  TScrollInfo Info;
  int Arrows = ESB_ENABLE_BOTH;
};
TScrollBarState ComputeHorizontalBar(const TScrollExtent& extent, int first_column);
TScrollBarState ComputeVerticalBar(const TScrollExtent& extent, int first_row);

// The first visible row or column a scroll code asks for (before clamping);
// nothing for SB_ENDSCROLL and unknown codes.
std::optional<int> VerticalScrollTarget(int code, int position, int first_row,
                                        const TScrollExtent& extent);
std::optional<int> HorizontalScrollTarget(int code, int position, int first_column,
                                          const TScrollExtent& extent);

// Wheel deltas add up; every full notch of 120 scrolls, the rest is kept.
class TWheelAccumulator {
 public:
  // Returns the notches (positive away from the user) and keeps the rest.
  int Feed(int delta);
  int Remainder() const { return remainder_; }
  void Reset() { remainder_ = 0; }

 private:
  int remainder_ = 0;  // invariant: |remainder_| < kWheelDelta
};
// Rows per notch: 3, or a page with Ctrl (half of it with eoHalfPageScroll).
int WheelStep(bool ctrl, int visible_rows, const TSrcEditorOptions& options);

// "Top Line: %d" or "%d - %d", at most 255 characters.
std::string ScrollHintText(TScrollHintFormat format, int top_line, int bottom_line);
// The hint's top in client coordinates: beside the thumb when it follows,
// else 10 pixels from the top.
int ScrollHintY(bool follows, int arrow_height, int client_height, int track_pos, int range_max,
                int hint_height);

}  // namespace torvane
