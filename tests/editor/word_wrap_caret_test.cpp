// Caret and selection by display rows under word wrap: moves up and down,
// Home and End on the caret's row, the end of a row, placing by position.
#include <gtest/gtest.h>

#include "editor/word_wrap_plugin.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

// Line 1 takes rows 1-3 (10, 10 and 2 cells), line 2 row 4, line 3 rows 5-6.
struct TWrappedEditor : TEditorFixture {
  TWrappedEditor() : TEditorFixture({"abcdefghijklmnopqrstuv", "short", "    fghijklmn  "}) {
    view.wrap_width = 10;
    model.SetWordWrapActive(true);
  }
  TDisplayPos Shown() const { return model.DisplayPos(); }
};

TEST(WordWrapCaretTest, UpAndDownMoveByDisplayRows) {
  TWrappedEditor f;
  ASSERT_EQ(f.model.Mapping().DisplayRowCount(), 6);
  f.Caret(3, 1);
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{13, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{3, 2}));
  f.Cmd(ecDown);  // the last row of the line: past its text, as past a line end
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{23, 1}));
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{3, 2}));
  f.Cmd(ecUp);
  f.Cmd(ecUp);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{13, 1}));
  // Selecting by rows.
  f.Cmd(ecSelDown);
  EXPECT_EQ(f.model.SelStart(), (TBufferPos{13, 1}));
  EXPECT_EQ(f.model.SelEnd(), (TBufferPos{23, 1}));
  EXPECT_EQ(f.model.SelectedText(), "mnopqrstuv");
  f.Cmd(ecDown);
  f.Cmd(ecDown);  // rows 4 -> 5 -> 6
  EXPECT_EQ(f.Shown().Row, 5);
  f.Cmd(ecDown);
  EXPECT_EQ(f.Shown().Row, 6);
  f.Cmd(ecDown);  // no row below
  EXPECT_EQ(f.Shown().Row, 6);
}

TEST(WordWrapCaretTest, EndAndHomeActOnTheCaretsRow) {
  TWrappedEditor f;
  f.Caret(3, 1);
  f.Cmd(ecLineEnd);
  // The end of row 1 is the start of row 2 in the buffer; the caret shows
  // at the end of row 1.
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{11, 1}));
  EXPECT_TRUE(f.model.CaretAtRowEnd());
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  f.Cmd(ecLineEnd);  // stays
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.Shown(), (TDisplayPos{1, 1}));
  f.Cmd(ecLineEnd);
  // Down from a row's end keeps to the end of the next row.
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{21, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 2}));
  // Right crosses to the start of the next row without changing character.
  f.Cmd(ecRight);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{21, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{1, 3}));
  f.Cmd(ecLeft);
  EXPECT_EQ(f.Shown(), (TDisplayPos{10, 2}));
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{11, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{1, 2}));
  // On the line's last row End keeps its line rules.
  f.Caret(2, 3);
  f.Cmd(ecDown);
  EXPECT_EQ(f.Shown(), (TDisplayPos{2, 6}));
  f.Cmd(ecLineEnd);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{14, 3}));  // after the last non-blank
  f.Cmd(ecLineEnd);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{16, 3}));  // the real end
  // Home finds the first non-blank only on the first row.
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoEnhanceHomeKey));
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{11, 3}));  // the row start
  f.Cmd(ecUp);
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{5, 3}));
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 3}));
  // Typing at a row's end goes on after it; the flag is gone.
  f.Caret(3, 1);
  f.Cmd(ecLineEnd);
  f.Type("X");
  EXPECT_EQ(f.Line(1), "abcdefghijXklmnopqrstuv");
  EXPECT_FALSE(f.model.CaretAtRowEnd());
  EXPECT_EQ(f.Shown(), (TDisplayPos{2, 2}));
}

TEST(WordWrapCaretTest, PlacingAtADisplayPositionKeepsTheRow) {
  TWrappedEditor f;
  // A click past the end of row 1 stands at its end, not at row 2's start.
  f.model.PlaceCaretAtDisplay({40, 1}, true);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{11, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  f.model.PlaceCaretAtDisplay({1, 2}, true);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{11, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{1, 2}));
  // On a line's last row columns past the text stay columns past the end.
  f.model.PlaceCaretAtDisplay({6, 3}, true);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{26, 1}));
  EXPECT_FALSE(f.model.CaretAtRowEnd());
  // A plain position never shows at a row's end.
  f.model.SetCaretPos({21, 1});
  EXPECT_EQ(f.Shown(), (TDisplayPos{1, 3}));
  // Switching wrap off forgets the row end; rows are lines again.
  f.model.PlaceCaretAtDisplay({40, 1}, true);
  f.model.SetWordWrapActive(false);
  EXPECT_FALSE(f.model.CaretAtRowEnd());
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  EXPECT_EQ(f.model.Mapping().DisplayRowCount(), 3);
  EXPECT_EQ(f.model.WordWrapLayout(), nullptr);
}

TEST(WordWrapCaretTest, EditsKeepTheLayoutCurrent) {
  TWrappedEditor f;
  f.Caret(23, 1);
  f.Type("01234567");  // 30 characters: three full rows
  f.view.gutter_invalidated.clear();
  f.Type("8");  // the line grows by a row: the numbers below move down
  EXPECT_EQ(f.view.gutter_invalidated, (std::vector<std::pair<int, int>>{{1, 3}}));
  f.Type("9");
  EXPECT_EQ(f.model.WordWrapLayout()->RowsOfLine(0), (std::vector<int>{10, 10, 10, 2}));
  EXPECT_EQ(f.model.Mapping().RowOfLine(2), 5);
  f.Cmd(ecLineBreak);
  EXPECT_EQ(f.model.Mapping().DisplayRowCount(), 8);
  while (f.editor.CanUndo()) {
    f.Cmd(ecUndo);
  }
  EXPECT_EQ(f.model.WordWrapLayout()->Dump(), "w10/7: 10 10 2 | 5 | 10 5");
  f.model.Lines().ClearLines();
  EXPECT_EQ(f.model.Mapping().DisplayRowCount(), 0);
  EXPECT_EQ(f.model.WordWrapLayout()->Dump(), "w10/7:");
}

}  // namespace
}  // namespace torvane
