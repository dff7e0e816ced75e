// The folding options: change reports and the colour arithmetic.
#include "folding/code_folding.h"

#include <gtest/gtest.h>

#include <vector>

namespace torvane {
namespace {

TEST(FoldColors, HslConversions) {
  EXPECT_EQ(ColorToHsl(0xF0F0F0), (THsl{0, 0, 94}));
  EXPECT_EQ(HslToColor({0, 0, 74}), 0xBDBDBDu);
  EXPECT_EQ(HslToColor({0, 0, 99}), 0xFCFCFCu);
  // Pure red, green and blue, and a colour whose green is below its blue.
  EXPECT_EQ(ColorToHsl(0x0000FF), (THsl{0, 100, 50}));
  EXPECT_EQ(ColorToHsl(0x00FF00), (THsl{120, 100, 50}));
  EXPECT_EQ(ColorToHsl(0xFF0000), (THsl{240, 100, 50}));
  EXPECT_EQ(ColorToHsl(0x8000FF).H, 330);
  EXPECT_EQ(HslToColor({0, 100, 50}), 0x0000FFu);
  EXPECT_EQ(HslToColor({240, 100, 50}), 0xFF0000u);
  // The main window's lines colour 0x92C1CA survives a round trip closely.
  const TColor back = HslToColor(ColorToHsl(0x92C1CA));
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((back >> shift) & 0xFF);
    const int b = static_cast<int>((0x92C1CAu >> shift) & 0xFF);
    EXPECT_LE(std::abs(a - b), 3) << shift;
  }
}

TEST(FoldOptions, DefaultsDerivedColoursAndChangeReports) {
  TSrcCodeFolding options([](TColor) { return TColor{0xF0F0F0}; });
  EXPECT_FALSE(options.Enabled());
  EXPECT_FALSE(options.CaseSensitive());
  EXPECT_TRUE(options.HighlighterFoldRegions());
  EXPECT_EQ(options.FolderBarLinesColor(), 0xBDBDBDu);
  EXPECT_EQ(options.FolderBarColor(), clDefault);
  EXPECT_EQ(options.CollapsedLineColor(), clDefault);
  std::vector<TSrcCodeFoldingChange> seen;
  options.OnChange = [&seen](TSrcCodeFoldingChange c) { seen.push_back(c); };
  options.SetEnabled(false);  // unchanged, still reported
  options.SetFolderBarColor(clDefault);
  options.SetFolderBarLinesColor(clDefault);
  options.SetCaseSensitive(true);
  EXPECT_EQ(seen, (std::vector{fcEnabled, fcRefresh, fcRefresh, fcRescan}));
  EXPECT_EQ(options.FolderBarColor(), 0xFCFCFCu);
  EXPECT_EQ(options.FolderBarLinesColor(), 0xBDBDBDu);
  TSrcCodeFolding copy;
  copy.FoldRegions().Add(frkChar, "(", ")");
  options.FoldRegions().Add(frkChar, "{", "}");
  seen.clear();
  copy.OnChange = [&seen](TSrcCodeFoldingChange c) { seen.push_back(c); };
  copy.CopyFrom(options);
  EXPECT_EQ(seen, std::vector{fcRescan});
  EXPECT_TRUE(copy.CaseSensitive());
  ASSERT_EQ(copy.FoldRegions().Count(), 1);
  EXPECT_EQ(copy.FoldRegions().Item(0).OpenToken, "{");
}

}  // namespace
}  // namespace torvane
