// Gutter settings: setter rules, digit sizing, line number texts, widths and
// the layout the editor applies.
#include <gtest/gtest.h>

#include "view/gutter.h"

namespace torvane {
namespace {

struct TCountedGutter {
  TCountedGutter() {
    gutter.OnChange = [this] { ++changes; };
  }
  TSrcGutter gutter;
  int changes = 0;
};

TEST(GutterSettings, DefaultsAndClamps) {
  TCountedGutter g;
  TSrcGutter& gutter = g.gutter;
  EXPECT_EQ(gutter.Font().family(), QStringLiteral("Courier New"));
  EXPECT_EQ(gutter.Color(), clBtnFace);
  EXPECT_EQ(gutter.Width(), 30);
  EXPECT_EQ(gutter.DigitCount(), 4);
  EXPECT_EQ(gutter.LeftOffset(), 16);
  EXPECT_EQ(gutter.RightOffset(), 2);
  EXPECT_EQ(gutter.BorderStyle(), gbsMiddle);
  EXPECT_EQ(gutter.LineNumberStart(), 1);
  EXPECT_EQ(gutter.GradientSteps(), 48);
  EXPECT_EQ(gutter.LeftOffsetColor(), clNone);
  EXPECT_EQ(gutter.LineModifiedColor(), clYellow);
  EXPECT_EQ(gutter.LineNormalColor(), clLime);
  EXPECT_TRUE(gutter.Visible());
  EXPECT_TRUE(gutter.UseFontStyle());

  gutter.SetDigitCount(1);
  EXPECT_EQ(gutter.DigitCount(), 2);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 2);
  gutter.SetDigitCount(20);
  EXPECT_EQ(gutter.DigitCount(), 12);
  gutter.SetGradientSteps(1);
  EXPECT_EQ(gutter.GradientSteps(), 2);
  gutter.SetGradientSteps(1000);  // kept; painting uses at most 256
  EXPECT_EQ(gutter.GradientSteps(), 1000);
  gutter.SetWidth(-3);
  gutter.SetLeftOffset(-1);
  gutter.SetRightOffset(-1);
  EXPECT_EQ(gutter.Width(), 0);
  EXPECT_EQ(gutter.LeftOffset(), 0);
  EXPECT_EQ(gutter.RightOffset(), 0);

  g.changes = 0;
  gutter.SetColor(gutter.Color());  // unchanged: silent
  gutter.SetCursor(5);              // plain store
  EXPECT_EQ(g.changes, 0);
  gutter.SetBorderStyle(gbsMiddle);  // always notifies
  gutter.SetBorderStyle(gbsMiddle);
  EXPECT_EQ(g.changes, 2);
}

TEST(GutterSettings, LineNumberStartDrivesZeroStart) {
  TCountedGutter g;
  TSrcGutter& gutter = g.gutter;
  gutter.SetLineNumberStart(0);
  EXPECT_TRUE(gutter.ZeroStart());
  EXPECT_EQ(gutter.LineNumberText(1), "   0");
  gutter.SetLineNumberStart(-5);  // stored as 0: no change
  EXPECT_EQ(gutter.LineNumberStart(), 0);
  EXPECT_EQ(g.changes, 1);
  gutter.SetLineNumberStart(100);
  EXPECT_FALSE(gutter.ZeroStart());
  EXPECT_EQ(gutter.LineNumberText(1), " 100");
  gutter.SetLineNumberStart(1);
  EXPECT_EQ(gutter.LineNumberText(1), "   1");
  // A start near the top of the range does not overflow.
  gutter.SetLineNumberStart(2147483647);
  EXPECT_EQ(gutter.LineNumberText(3), "2147483649");
}

TEST(GutterSettings, LeadingZerosAndWideNumbers) {
  TSrcGutter gutter;
  gutter.SetLeadingZeros(true);
  EXPECT_EQ(gutter.LineNumberText(7), "0007");
  EXPECT_EQ(gutter.LineNumberText(10234), "10234");
  gutter.SetLeadingZeros(false);
  EXPECT_EQ(gutter.LineNumberText(10234), "10234");
  EXPECT_EQ(gutter.LineNumberText(12), "  12");
}

TEST(GutterSettings, AutoSizedDigits) {
  TCountedGutter g;
  TSrcGutter& gutter = g.gutter;
  gutter.SetShowLineNumbers(true);
  gutter.SetAutoSize(true);
  g.changes = 0;
  gutter.AutoSizeDigits(1000);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 4);
  EXPECT_EQ(g.changes, 0);
  gutter.AutoSizeDigits(10000);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 5);
  EXPECT_EQ(g.changes, 1);
  gutter.AutoSizeDigits(10000);
  EXPECT_EQ(g.changes, 1);
  // Zero start shows 0..9999 for 10 000 lines; a start of 2 shows up to 10 001.
  gutter.SetLineNumberStart(0);
  gutter.AutoSizeDigits(10000);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 4);
  gutter.SetLineNumberStart(2);
  gutter.AutoSizeDigits(9999);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 5);
  // Without auto size the count still grows for a number that would be cut,
  // and only then.
  gutter.SetAutoSize(false);
  gutter.SetLineNumberStart(1);
  gutter.AutoSizeDigits(999);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 4);
  gutter.AutoSizeDigits(1000000);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 7);
  EXPECT_EQ(gutter.LineNumberText(1000000), "1000000");
  EXPECT_EQ(gutter.GutterPixelWidth(8), 16 + 2 + 8 * 7 + 4);
  gutter.AutoSizeDigits(0);  // empty: line 1 shows
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 4);
  // Without line numbers the count goes back silently.
  gutter.AutoSizeDigits(100000);
  gutter.SetShowLineNumbers(false);
  g.changes = 0;
  gutter.AutoSizeDigits(100000);
  EXPECT_EQ(gutter.AutoSizeDigitCount(), 4);
  EXPECT_EQ(g.changes, 0);
}

TEST(GutterSettings, PixelWidthAndLayout) {
  TCountedGutter g;
  TSrcGutter& gutter = g.gutter;
  EXPECT_EQ(gutter.GutterPixelWidth(8), 30);  // no numbers: Width
  gutter.SetShowLineNumbers(true);
  EXPECT_EQ(gutter.GutterPixelWidth(8), 16 + 2 + 8 * 4 + 4);
  gutter.SetVisible(false);
  EXPECT_EQ(gutter.GutterPixelWidth(8), 0);
  gutter.SetVisible(true);

  int measured = 0;
  const auto gutter_font_width = [&] {
    ++measured;
    return 7;
  };
  TGutterLayout layout = ComputeGutterLayout(gutter, 10, true, 9, gutter_font_width);
  EXPECT_EQ(gutter.RightOffset(), 12);
  EXPECT_EQ(layout.CharWidth, 7);
  EXPECT_EQ(layout.Width, 16 + 12 + 7 * 4 + 4);
  EXPECT_EQ(measured, 1);
  gutter.SetShowLineModified(true);
  ComputeGutterLayout(gutter, 10, true, 9, gutter_font_width);
  EXPECT_EQ(gutter.RightOffset(), 17);
  gutter.SetRightOffset(2);
  ComputeGutterLayout(gutter, 10, false, 9, gutter_font_width);
  EXPECT_EQ(gutter.RightOffset(), 5);  // room for the modified-line bar
  gutter.SetUseFontStyle(false);
  gutter.SetAutoSize(true);
  layout = ComputeGutterLayout(gutter, 123456, false, 9, gutter_font_width);
  EXPECT_EQ(layout.CharWidth, 9);
  EXPECT_EQ(layout.Width, 16 + 5 + 9 * 6 + 4);
}

TEST(GutterSettings, CopyFromSkipsCursorAndOffsetColours) {
  TSrcGutter source;
  source.SetDigitCount(7);
  source.SetCursor(3);
  source.SetLeftOffsetColor(clRed);
  source.SetIntens(true);
  source.SetLineNumberStart(0);
  TCountedGutter g;
  g.gutter.CopyFrom(source);
  EXPECT_EQ(g.changes, 1);
  EXPECT_EQ(g.gutter.DigitCount(), 7);
  EXPECT_TRUE(g.gutter.Intens());
  EXPECT_TRUE(g.gutter.ZeroStart());
  EXPECT_EQ(g.gutter.Cursor(), crDefault);
  EXPECT_EQ(g.gutter.LeftOffsetColor(), clNone);
}

}  // namespace
}  // namespace torvane
