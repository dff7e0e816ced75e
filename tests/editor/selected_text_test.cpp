#include <gtest/gtest.h>

#include "editor/edit_model.h"
#include "platform/codepage.h"
#include "tests/editor/recording_view.h"

namespace torvane {
namespace {

using testing::TModelFixture;

TEST(SelectedTextTest, NormalModeJoinsWithCrLfAndDropsTrailingBlanks) {
  TModelFixture f({"first line  \t", "middle   ", "last part"});
  TSrcEditModel& m = f.model;
  EXPECT_EQ(m.SelectedText(), "");
  m.SetSelectionAnchor({7, 1});
  m.SetSelectionActiveEnd({5, 3});
  EXPECT_EQ(m.SelectedText(), "line\r\nmiddle\r\nlast");
  // The active end may lie before the anchor.
  m.SetSelectionAnchor({5, 3});
  m.SetSelectionActiveEnd({7, 1});
  EXPECT_EQ(m.SelectedText(), "line\r\nmiddle\r\nlast");
  m.SetSelectionAnchor({6, 1});
  m.SetSelectionActiveEnd({14, 1});  // into the trailing blanks
  EXPECT_EQ(m.SelectedText(), " line");
}

TEST(SelectedTextTest, LineModeEndsEveryLineWithCrLf) {
  TModelFixture f({"one", "two  ", "three"});
  TSrcEditModel& m = f.model;
  m.SetSelectionMode(smLine);
  m.SetSelectionAnchor({2, 2});
  m.SetSelectionActiveEnd({1, 3});
  EXPECT_EQ(m.SelectedText(), "two\r\nthree\r\n");
}

TEST(SelectedTextTest, ColumnModeTakesCellsAcrossTabsAndPadsShortLines) {
  TModelFixture f({"ab\tcd", "abcdefghijkl", "ab"});
  TSrcEditModel& m = f.model;
  m.SetSelectionMode(smColumn);
  m.SetSelectionAnchor({2, 1});      // column 2
  m.SetSelectionActiveEnd({11, 3});  // column 11
  // Line 1: the tab covers columns 3-8, so it is taken whole.
  EXPECT_EQ(m.SelectedText(), "b\tcd\r\nbcdefghij\r\nb        ");
  m.ApplyOptions(kDefaultEditorOptions | TSrcEditorOptions{eoTrimTrailingSpaces});
  EXPECT_EQ(m.SelectedText(), "b\tcd\r\nbcdefghij\r\nb");
}

TEST(SelectedTextTest, ColumnPaddingWiderThanOnePieceIsWhole) {
  // 70 columns past a short line's end: the blanks are handed over in pieces.
  TModelFixture f({std::string(80, 'x'), "ab"});
  TSrcEditModel& m = f.model;
  m.SetSelectionMode(smColumn);
  m.SetSelectionAnchor({2, 1});
  m.SetSelectionActiveEnd({73, 2});
  EXPECT_EQ(m.SelectedText(), std::string(71, 'x') + "\r\nb" + std::string(70, ' '));
  std::size_t pieces_size = 0;
  m.VisitSelectedText([&](std::string_view piece) { pieces_size += piece.size(); });
  EXPECT_EQ(pieces_size, m.SelectedText().size());
}

TEST(SelectedTextTest, ColumnModeNeverCutsAWideCharacter) {
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    const std::string zhong = std::string(page) == "GBK" ? "\xD6\xD0" : "\xE4\xB8\xAD";
    const int n = static_cast<int>(zhong.size());
    // Line 2: a in column 1, wide characters in columns 2-3 and 4-5, b in 6.
    TModelFixture f({"abcdef", "a" + zhong + zhong + "b"});
    TSrcEditModel& m = f.model;
    m.SetSelectionMode(smColumn);
    m.SetSelectionAnchor({3, 1});         // column 3
    m.SetSelectionActiveEnd({2 + n, 2});  // column 4
    EXPECT_EQ(m.SelectedText(), "c\r\n" + zhong) << page;
    m.SetSelectionAnchor({5, 1});     // column 5: inside the second one
    m.SetSelectionActiveEnd({2, 2});  // column 2
    EXPECT_EQ(m.SelectedText(), "bcd\r\n" + zhong + zhong) << page;
  }
}

}  // namespace
}  // namespace torvane
