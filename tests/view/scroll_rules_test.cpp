// Scroll arithmetic: bounds, caret following, bar ranges and their scaling,
// scroll codes, the wheel's remainders and the hint.
#include "view/scroll_rules.h"

#include <gtest/gtest.h>

#include "editor/edit_model.h"
#include "view/scroll_bars.h"

namespace torvane {
namespace {

TScrollExtent Extent(int rows, int visible_rows, int visible_columns = 80, int longest = 60) {
  TScrollExtent e;
  e.DisplayRowCount = rows;
  e.VisibleRows = visible_rows;
  e.VisibleColumns = visible_columns;
  e.LongestLineLength = longest;
  e.Options = TSrcEditorOptions{};
  return e;
}

TEST(ScrollRules, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(7, 3, 2), 11);
  EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
  EXPECT_EQ(MulDiv(1, 2, 0), 0);
}

TEST(ScrollRules, FirstVisibleRowBounds) {
  TScrollExtent e = Extent(100, 30);
  EXPECT_EQ(ClampFirstVisibleRow(90, e), 71);
  EXPECT_EQ(ClampFirstVisibleRow(-4, e), 1);
  e.Options.Include(eoScrollPastEof);
  EXPECT_EQ(ClampFirstVisibleRow(90, e), 90);
  EXPECT_EQ(ClampFirstVisibleRow(500, e), 100);
  // A text shorter than the window stays at the top.
  EXPECT_EQ(ClampFirstVisibleRow(5, Extent(10, 30)), 1);
}

TEST(ScrollRules, FirstVisibleColumnBounds) {
  TScrollExtent e = Extent(10, 30, 80, 200);
  EXPECT_EQ(ClampFirstVisibleColumn(500, e), 121);  // longest - visible + 1
  e.LongestLineLength = 50;
  EXPECT_EQ(ClampFirstVisibleColumn(5, e), 1);  // everything fits
  e.Options.Include(eoScrollPastEol);
  EXPECT_EQ(ClampFirstVisibleColumn(5000, e), 1024 - 80 + 1);
  e.Options.Include(eoAutoSizeMaxScrollWidth);
  EXPECT_EQ(ClampFirstVisibleColumn(2147483647, e), 2147483647 - 80);
  // Word wrap at the window's width keeps the first column at 1.
  e.WordWrap = true;
  e.WrapWidth = 80;
  EXPECT_EQ(ClampFirstVisibleColumn(40, e), 1);
}

TEST(ScrollRules, CaretIntoView) {
  TScrollExtent e = Extent(1000, 30, 80);
  TCaretScroll s = CaretScrollTarget({120, 1}, 1, 1, e, false);
  EXPECT_EQ(s.Column, 64);
  e.Options.Include(eoScrollPastEol);
  EXPECT_EQ(ClampFirstVisibleColumn(s.Column, e), 64);
  s = CaretScrollTarget({5, 40}, 10, 1, e, false);
  EXPECT_EQ(s.Column, 5);
  EXPECT_EQ(s.Row, 40 - 30 + 1);
  s = CaretScrollTarget({5, 3}, 1, 10, e, false);
  EXPECT_EQ(s.Row, 3);
  s = CaretScrollTarget({5, 15}, 3, 10, e, false);
  EXPECT_EQ(s.Column, 3);
  EXPECT_EQ(s.Row, 10);
  // Centred: far below puts the caret in the middle; inside leaves the row.
  s = CaretScrollTarget({1, 500}, 1, 1, e, true);
  EXPECT_EQ(s.Row, 500 - 30 + 1 + 15);
  s = CaretScrollTarget({1, 200}, 1, 300, e, true);
  EXPECT_EQ(s.Row, 200 - 15 + 1);
  s = CaretScrollTarget({1, 5}, 1, 300, e, true);
  EXPECT_EQ(s.Row, 1);
  s = CaretScrollTarget({1, 310}, 1, 300, e, true);
  EXPECT_FALSE(s.Row.has_value());
}

TEST(ScrollRules, VerticalBarScalesLargeRanges) {
  TScrollExtent e = Extent(50000, 30);
  TScrollBarState bar = ComputeVerticalBar(e, 1);
  EXPECT_TRUE(bar.Scaled);
  EXPECT_EQ(bar.Info.nMax, 32767);
  EXPECT_EQ(bar.Info.nPage, static_cast<std::uint32_t>(MulDiv(32767, 30, 50000)));
  EXPECT_EQ(bar.Info.fMask, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS | SIF_DISABLENOSCROLL);
  const std::optional<int> row = VerticalScrollTarget(SB_THUMBTRACK, 16384, 1, e);
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(*row, MulDiv(50000 + 30 - 1, 16384, 32767));
  EXPECT_EQ(*row, 25015);
  // Small ranges are used as they are.
  bar = ComputeVerticalBar(Extent(100, 30), 7);
  EXPECT_FALSE(bar.Scaled);
  EXPECT_EQ(bar.Info.nMax, 100);
  EXPECT_EQ(bar.Info.nPage, 30u);
  EXPECT_EQ(bar.Info.nPos, 7);
  EXPECT_EQ(VerticalScrollTarget(SB_THUMBPOSITION, 40, 1, Extent(100, 30)), 40);
}

TEST(ScrollRules, BarsHideOrDisableWhenTheTextFits) {
  TScrollExtent e = Extent(10, 30, 80, 40);
  TScrollBarState v = ComputeVerticalBar(e, 1);
  TScrollBarState h = ComputeHorizontalBar(e, 1);
  EXPECT_TRUE(v.Shown);
  EXPECT_TRUE(h.Shown);
  EXPECT_EQ(v.Arrows, ESB_DISABLE_BOTH);
  EXPECT_EQ(h.Arrows, ESB_DISABLE_BOTH);
  e.Options.Include(eoHideShowScrollbars);
  EXPECT_FALSE(ComputeVerticalBar(e, 1).Shown);
  EXPECT_FALSE(ComputeHorizontalBar(e, 1).Shown);
  EXPECT_EQ(ComputeVerticalBar(e, 1).Info.fMask & SIF_DISABLENOSCROLL, 0u);

  // Scrollable text: both arrows, except with eoDisableScrollArrows at an end.
  e = Extent(100, 30, 80, 200);
  EXPECT_EQ(ComputeVerticalBar(e, 1).Arrows, ESB_ENABLE_BOTH);
  e.Options.Include(eoDisableScrollArrows);
  EXPECT_EQ(ComputeVerticalBar(e, 1).Arrows, ESB_DISABLE_LTUP);
  EXPECT_EQ(ComputeVerticalBar(e, 71).Arrows, ESB_DISABLE_RTDN);
  EXPECT_EQ(ComputeVerticalBar(e, 20).Arrows, ESB_ENABLE_BOTH);
  EXPECT_EQ(ComputeHorizontalBar(e, 1).Arrows, ESB_DISABLE_LTUP);
  EXPECT_EQ(ComputeHorizontalBar(e, 121).Arrows, ESB_DISABLE_RTDN);

  // Word wrap at the window's width: no horizontal bar.
  e.WordWrap = true;
  e.WrapWidth = 80;
  EXPECT_FALSE(ComputeHorizontalBar(e, 1).Shown);
  // eoScrollPastEol: the range is MaxScrollWidth.
  e = Extent(10, 30, 80, 40);
  e.Options.Include(eoScrollPastEol);
  EXPECT_EQ(ComputeHorizontalBar(e, 3).Info.nMax, 1024);
}

TEST(ScrollRules, ScrollCodes) {
  TScrollExtent e = Extent(1000, 30, 80, 300);
  EXPECT_EQ(VerticalScrollTarget(SB_LINEUP, 0, 10, e), 9);
  EXPECT_EQ(VerticalScrollTarget(SB_LINEDOWN, 0, 10, e), 11);
  EXPECT_EQ(VerticalScrollTarget(SB_PAGEDOWN, 0, 10, e), 40);
  EXPECT_EQ(VerticalScrollTarget(SB_PAGEUP, 0, 40, e), 10);
  EXPECT_EQ(VerticalScrollTarget(SB_TOP, 0, 40, e), 1);
  EXPECT_EQ(VerticalScrollTarget(SB_BOTTOM, 0, 40, e), 1000);
  EXPECT_FALSE(VerticalScrollTarget(SB_ENDSCROLL, 0, 40, e).has_value());
  e.Options.Include(eoScrollByOneLess);
  EXPECT_EQ(VerticalScrollTarget(SB_PAGEDOWN, 0, 10, e), 39);
  EXPECT_EQ(HorizontalScrollTarget(SB_PAGERIGHT, 0, 1, e), 80);
  EXPECT_EQ(HorizontalScrollTarget(SB_LINELEFT, 0, 5, e), 4);
  EXPECT_EQ(HorizontalScrollTarget(SB_RIGHT, 0, 1, e), 300);
  EXPECT_EQ(HorizontalScrollTarget(SB_THUMBTRACK, 77, 1, e), 77);
  e.Options.Include(eoScrollPastEol);
  EXPECT_EQ(HorizontalScrollTarget(SB_RIGHT, 0, 1, e), 1024 - 80 + 1);
  e.MaxScrollWidth = 100000;
  EXPECT_EQ(HorizontalScrollTarget(SB_THUMBTRACK, 32767, 1, e), 100000);
  EXPECT_FALSE(HorizontalScrollTarget(SB_ENDSCROLL, 0, 1, e).has_value());
}

TEST(ScrollRules, WheelKeepsRemainders) {
  TWheelAccumulator wheel;
  EXPECT_EQ(wheel.Feed(40), 0);
  EXPECT_EQ(wheel.Feed(40), 0);
  EXPECT_EQ(wheel.Feed(40), 1);
  EXPECT_EQ(wheel.Remainder(), 0);
  EXPECT_EQ(wheel.Feed(-250), -2);
  EXPECT_EQ(wheel.Remainder(), -10);
  EXPECT_EQ(wheel.Feed(130), 1);
  EXPECT_EQ(wheel.Remainder(), 0);
  TSrcEditorOptions options;
  EXPECT_EQ(WheelStep(false, 30, options), 3);
  EXPECT_EQ(WheelStep(true, 31, options), 31);
  options.Include(eoHalfPageScroll);
  EXPECT_EQ(WheelStep(true, 31, options), 15);
}

TEST(ScrollRules, HintTextAndPlace) {
  EXPECT_EQ(ScrollHintText(shfTopLineOnly, 42, 71), "Top Line: 42");
  EXPECT_EQ(ScrollHintText(shfTopToBottom, 42, 71), "42 - 71");
  EXPECT_EQ(ScrollHintY(false, 17, 400, 100, 200, 20), 10);
  EXPECT_EQ(ScrollHintY(true, 17, 400, 100, 200, 20), 17 + 183 + 10);
  EXPECT_EQ(ScrollHintY(true, 17, 400, 5, 0, 20), 17 + MulDiv(366, 5, 1) + 10);
}

TEST(ScrollRules, MaxScrollWidthIsClamped) {
  TSrcEditModel model;
  model.SetMaxScrollWidth(0);
  EXPECT_EQ(model.MaxScrollWidth(), 1);
  model.SetMaxScrollWidth(2147483647);
  EXPECT_EQ(model.MaxScrollWidth(), 2147483646);
}

TEST(ScrollBarsSettings, NotificationsAndBackReferences) {
  TSrcScrollBars bars;
  int changes = 0;
  bars.OnChange = [&] { ++changes; };
  EXPECT_EQ(bars.ScrollBars(), ssBoth);
  EXPECT_EQ(bars.Style(), sbsRegular);
  EXPECT_EQ(bars.HintColor(), clInfoBk);
  bars.SetScrollBars(ssBoth);
  bars.SetHintColor(clRed);
  bars.SetHintFormat(shfTopToBottom);
  EXPECT_EQ(changes, 0);
  bars.SetStyle(sbsCustom);
  EXPECT_EQ(changes, 1);
  {
    TSrcEditScrollBar vertical;
    bars.SetVertical(&vertical);
    EXPECT_EQ(vertical.ScrollBars(), &bars);
    TScrollInfo info;
    EXPECT_FALSE(vertical.GetScrollInfo(info));  // unassigned events answer 0
    EXPECT_EQ(vertical.SetScrollInfo(info, true), 0);
    vertical.OnShowScrollBar = [](bool show) { return show; };
    EXPECT_TRUE(vertical.ShowScrollBar(true));
  }
  EXPECT_EQ(bars.Vertical(), nullptr);  // the destroyed bar let go
  auto other = std::make_unique<TSrcScrollBars>();
  TSrcEditScrollBar horizontal;
  other->SetHorizontal(&horizontal);
  bars.SetHorizontal(&horizontal);
  EXPECT_EQ(other->Horizontal(), nullptr);
  EXPECT_EQ(horizontal.ScrollBars(), &bars);
  other.reset();
  EXPECT_EQ(horizontal.ScrollBars(), &bars);
}

}  // namespace
}  // namespace torvane
