#include "editor/position_mapping.h"

#include <gtest/gtest.h>

#include "document/string_list.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

TEST(PositionMappingTest, TabsMapEveryCoveredColumnToTheTab) {
  TSrcEditStringList lines;
  lines.AppendLine("\tab");
  TPositionMapping map(lines);
  EXPECT_EQ(map.ConvertToDisplay({2, 1}), (TDisplayPos{9, 1}));
  for (int col = 1; col <= 8; ++col) {
    EXPECT_EQ(map.ConvertToBuffer({col, 1}), (TBufferPos{1, 1})) << col;
  }
  EXPECT_EQ(map.ConvertToBuffer({10, 1}), (TBufferPos{3, 1}));
  // Past the end, characters and columns correspond one to one.
  EXPECT_EQ(map.ConvertToDisplay({6, 1}), (TDisplayPos{13, 1}));
  EXPECT_EQ(map.ConvertToBuffer({13, 1}), (TBufferPos{6, 1}));
  // A line that does not exist maps one to one as well.
  EXPECT_EQ(map.ConvertToDisplay({7, 5}), (TDisplayPos{7, 5}));
  EXPECT_EQ(map.ConvertToBuffer({7, 5}), (TBufferPos{7, 5}));
  map.SetTabWidth(4);
  EXPECT_EQ(map.ConvertToDisplay({2, 1}), (TDisplayPos{5, 1}));
}

TEST(PositionMappingTest, WideCharactersTakeTwoCellsAndAreNeverSplit) {
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    // a, one Chinese character, b
    const std::string wide = std::string(page) == "GBK" ? "\xD6\xD0" : "\xE4\xB8\xAD";
    const int n = static_cast<int>(wide.size());
    TSrcEditStringList lines;
    lines.AppendLine("a" + wide + "b");
    TPositionMapping map(lines);
    EXPECT_EQ(map.ConvertToDisplay({2, 1}).Column, 2) << page;
    EXPECT_EQ(map.ConvertToDisplay({2 + n, 1}).Column, 4) << page;  // b
    EXPECT_EQ(map.ConvertToDisplay({3 + n, 1}).Column, 5) << page;  // line end
    EXPECT_EQ(map.ConvertToBuffer({2, 1}).Char, 2) << page;
    // The second cell of the wide character lies after it, not inside it.
    EXPECT_EQ(map.ConvertToBuffer({3, 1}).Char, 2 + n) << page;
    EXPECT_EQ(map.ConvertToBuffer({4, 1}).Char, 2 + n) << page;
    EXPECT_EQ(line_cells::LineCells(lines.GetLine(0), 8), 4) << page;
    EXPECT_TRUE(line_cells::IsInsideChar(lines.GetLine(0), 3)) << page;
    EXPECT_EQ(line_cells::SnapToCharStart(lines.GetLine(0), 3), 2) << page;
  }
}

TEST(PositionMappingTest, TabStopsFollowWideCharacters) {
  ScopedCodePage cp("UTF-8");
  TSrcEditStringList lines;
  lines.AppendLine("\xE4\xB8\xAD\tx");  // wide char in cells 1-2, tab to 8
  TPositionMapping map(lines);
  EXPECT_EQ(map.ConvertToDisplay({5, 1}).Column, 9);
  EXPECT_EQ(map.ConvertToBuffer({5, 1}).Char, 4);
  EXPECT_EQ(map.DisplayRowCount(), 1);
  EXPECT_EQ(map.RowOfLine(1), 1);
  EXPECT_EQ(map.LineOfRow(7), 7);
}

}  // namespace
}  // namespace torvane
