#include <gtest/gtest.h>

#include "document/string_list.h"
#include "editor/edit_model.h"
#include "platform/codepage.h"
#include "tests/editor/recording_view.h"

namespace torvane {
namespace {

using testing::TModelFixture;

TEST(CaretTest, PlaceCaretClampsByTheScrollPastEolRules) {
  TModelFixture f({"short", "second line", "third"});
  TSrcEditModel& m = f.model;
  m.SetCaretPos({500, 1});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{500, 1}));
  m.SetCaretPos({5000, 2});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{1025, 2}));
  m.SetCaretPos({3, 99});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{3, 3}));
  m.SetCaretPos({0, -4});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{1, 1}));

  m.ApplyOptions(kDefaultEditorOptions | TSrcEditorOptions{eoAutoSizeMaxScrollWidth});
  m.SetCaretPos({5000, 2});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{5000, 2}));

  // Turning eoScrollPastEol off places the caret again under the new rules.
  m.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoScrollPastEol));
  EXPECT_EQ(m.CaretPos(), (TBufferPos{12, 2}));
  m.SetCaretPos({40, 3});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{6, 3}));
}

TEST(CaretTest, EmptyStoreKeepsCaretOnLineOne) {
  TModelFixture f;
  f.model.SetCaretPos({7, 3});
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{7, 1}));
  EXPECT_EQ(f.model.CaretLineText(), "");
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoScrollPastEol));
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 1}));
}

TEST(CaretTest, CaretNeverStandsInsideAMultiByteCharacter) {
  ScopedCodePage cp("UTF-8");
  TModelFixture f(
      {"a\xE4\xB8\xAD"
       "b"});
  TSrcEditModel& m = f.model;
  m.SetCaretPos({3, 1});
  EXPECT_EQ(m.CaretChar(), 2);
  m.MoveCaretByChars(1, false);
  EXPECT_EQ(m.CaretChar(), 5);
  m.MoveCaretByChars(-1, false);
  EXPECT_EQ(m.CaretChar(), 2);
  m.SetSelectionActiveEnd({4, 1});
  EXPECT_EQ(m.SelectionActiveEnd().Char, 2);
}

TEST(CaretTest, LeftAndRightWrapAtLineEndsOnlyWithoutScrollPastEol) {
  TModelFixture f({"one", "two", "three"});
  TSrcEditModel& m = f.model;
  m.SetCaretPos({1, 3});
  m.MoveCaretByChars(-1, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{1, 3}));

  m.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoScrollPastEol));
  m.MoveCaretByChars(-1, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{4, 2}));
  m.MoveCaretByChars(1, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{1, 3}));
  m.SetCaretPos({6, 3});
  m.MoveCaretByChars(1, false);  // the last line: nowhere to go
  EXPECT_EQ(m.CaretPos(), (TBufferPos{6, 3}));
}

TEST(CaretTest, VerticalMovesKeepAimingAtTheStartColumn) {
  TModelFixture f({"abcdef", "ab", "", "abcdefgh"});
  TSrcEditModel& m = f.model;
  m.ApplyOptions(
      TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoScrollPastEol).Include(eoKeepCaretX));
  m.SetCaretPos({6, 1});
  m.MoveCaretByRows(1, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{3, 2}));
  m.MoveCaretByRows(1, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{1, 3}));
  m.MoveCaretByRows(1, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{6, 4}));
  m.MoveCaretByRows(5, false);  // past the last row: stays on it
  EXPECT_EQ(m.CaretPos(), (TBufferPos{6, 4}));
  m.MoveCaretByRows(-9, false);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{6, 1}));
}

TEST(CaretTest, VerticalMoveOntoAWideCharacterStopsBeforeOrAfterIt) {
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    const std::string wide = std::string(page) == "GBK" ? "\xD6\xD0" : "\xE4\xB8\xAD";
    TModelFixture f({"abcd", "a" + wide + "b"});
    TSrcEditModel& m = f.model;
    m.SetCaretPos({3, 1});  // column 3: second cell of the wide character below
    m.MoveCaretByRows(1, false);
    EXPECT_EQ(m.CaretChar(), 2 + static_cast<int>(wide.size())) << page;
    EXPECT_FALSE(line_cells::IsInsideChar(m.CaretLineText(), m.CaretChar())) << page;
  }
}

TEST(SelectionTest, ModesDecideWhatCountsAsASelection) {
  TModelFixture f({"line one", "line two", "line three"});
  TSrcEditModel& m = f.model;
  m.SetSelectionMode(smColumn);
  m.SetSelectionAnchor({5, 1});
  m.SetSelectionActiveEnd({5, 3});
  EXPECT_FALSE(m.HasSelection());
  EXPECT_FALSE(m.IsMultiLineSelection());
  m.SetSelectionMode(smNormal);
  EXPECT_TRUE(m.HasSelection());
  EXPECT_TRUE(m.IsMultiLineSelection());
  EXPECT_EQ(m.SelStart(), (TBufferPos{5, 1}));
  EXPECT_EQ(m.SelEnd(), (TBufferPos{5, 3}));

  // Setting the anchor collapses an existing selection onto it.
  m.SetSelectionAnchor({2, 2});
  EXPECT_FALSE(m.HasSelection());
  EXPECT_EQ(m.SelectionActiveEnd(), (TBufferPos{2, 2}));

  // With eoNoSelection no selection can arise.
  m.ApplyOptions(kDefaultEditorOptions | TSrcEditorOptions{eoNoSelection});
  m.SetSelectionActiveEnd({4, 3});
  EXPECT_FALSE(m.HasSelection());
}

TEST(SelectionTest, NormalModeCutsSelectionEndsToTheLine) {
  TModelFixture f({"abc", "de"});
  TSrcEditModel& m = f.model;
  m.SetSelectionAnchor({9, 1});
  EXPECT_EQ(m.SelectionAnchor(), (TBufferPos{4, 1}));
  m.SetSelectionMode(smColumn);
  m.SetSelectionActiveEnd({9, 2});
  EXPECT_EQ(m.SelectionActiveEnd(), (TBufferPos{9, 2}));
  m.SetSelectionActiveEnd({3, 7});
  EXPECT_EQ(m.SelectionActiveEnd(), (TBufferPos{3, 2}));
}

TEST(SelectionTest, IsPointInSelectionPerMode) {
  TModelFixture f({"0123456789", "0123456789", "0123456789"});
  TSrcEditModel& m = f.model;
  m.SetSelectionAnchor({3, 1});
  m.SetSelectionActiveEnd({6, 3});
  EXPECT_FALSE(m.IsPointInSelection({2, 1}));
  EXPECT_TRUE(m.IsPointInSelection({3, 1}));
  EXPECT_TRUE(m.IsPointInSelection({1, 2}));
  EXPECT_TRUE(m.IsPointInSelection({5, 3}));
  EXPECT_FALSE(m.IsPointInSelection({6, 3}));
  m.SetSelectionMode(smColumn);
  EXPECT_FALSE(m.IsPointInSelection({2, 2}));
  EXPECT_TRUE(m.IsPointInSelection({3, 2}));
  EXPECT_FALSE(m.IsPointInSelection({6, 2}));
  m.SetSelectionMode(smLine);
  EXPECT_TRUE(m.IsPointInSelection({10, 3}));
  EXPECT_FALSE(m.IsPointInSelection({1, 4}));
}

TEST(SelectionTest, ExtendingMovesKeepTheAnchor) {
  TModelFixture f({"hello world"});
  TSrcEditModel& m = f.model;
  m.SetCaretPos({3, 1});
  m.SetSelectionAnchor({3, 1});
  m.MoveCaretByChars(1, true);
  m.MoveCaretByChars(1, true);
  EXPECT_EQ(m.SelStart(), (TBufferPos{3, 1}));
  EXPECT_EQ(m.SelEnd(), (TBufferPos{5, 1}));
  EXPECT_EQ(m.SelectedText(), "ll");
  m.MoveCaretByChars(1, false);
  EXPECT_FALSE(m.HasSelection());
  EXPECT_EQ(m.CaretPos(), (TBufferPos{6, 1}));
}

TEST(SelectionTest, SelectWordAtFindsTheWordAroundAPosition) {
  TModelFixture f({"  mov eax, [ebx+4]"});
  TSrcEditModel& m = f.model;
  m.SelectWordAt({8, 1});
  EXPECT_EQ(m.SelectedText(), "eax");
  EXPECT_EQ(m.CaretPos(), (TBufferPos{10, 1}));
  m.SelectWordAt({3, 1});
  EXPECT_EQ(m.SelectedText(), "mov");
  m.SetSelectionMode(smColumn);
  m.SelectWordAt({40, 1});
  EXPECT_EQ(m.CaretPos(), (TBufferPos{19, 1}));
  EXPECT_FALSE(m.HasSelection());
}

TEST(IndentTest, LeadingBlanksAndIndentText) {
  TModelFixture f;
  TSrcEditModel& m = f.model;
  EXPECT_EQ(m.LeadingBlankCount("\t  x", false), 3);
  EXPECT_EQ(m.LeadingBlankCount("\t  x", true), 10);
  EXPECT_EQ(m.IndentText(10, true), std::string(10, ' '));  // eoTabsToSpaces
  m.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoTabsToSpaces));
  EXPECT_EQ(m.IndentText(10, true), "\t  ");
  EXPECT_EQ(m.IndentText(5, true), "     ");
  m.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoAutoIndent));
  EXPECT_EQ(m.LeadingBlankCount("   x", false), 0);
}

TEST(OptionsTest, DefaultsAndSetterClamping) {
  TModelFixture f;
  TSrcEditModel& m = f.model;
  EXPECT_EQ(m.Options().Mask(), 174850450u);
  EXPECT_TRUE(m.InsertMode());
  EXPECT_EQ(m.CaretShape(), ctVerticalLine);
  m.SetInsertMode(false);
  EXPECT_EQ(m.CaretShape(), ctBlock);
  EXPECT_EQ(f.view.caret_shape_changes, 1);
  m.SetTabWidth(0);
  EXPECT_EQ(m.TabWidth(), 1);
  m.SetTabWidth(1000);
  EXPECT_EQ(m.TabWidth(), 256);
  EXPECT_EQ(m.Lines().TabWidth(), 256);
  m.SetMaxScrollWidth(0);
  EXPECT_EQ(m.MaxScrollWidth(), 1);
}

}  // namespace
}  // namespace torvane
