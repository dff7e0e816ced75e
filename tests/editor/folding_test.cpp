// Code folding in the editor: edits and undo over collapsed blocks, whole
// and selected text, the typed-character check and the command guard.
#include <gtest/gtest.h>

#include "tests/editor/editor_fixture.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

const std::vector<std::string> kText = {"start:",          // 1
                                        "%macro push2 2",  // 2
                                        "  push %1",       // 3
                                        "  push %2",       // 4
                                        "%endmacro",       // 5
                                        "mov eax, 1",      // 6
                                        "%if DEBUG",       // 7
                                        "  nop",           // 8
                                        "%endif",          // 9
                                        "ret"};            // 10

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += (i > 0 ? "\r\n" : "") + lines[i];
  }
  return out;
}

struct Folded : TEditorFixture {
  explicit Folded(std::vector<std::string> lines = kText) : TEditorFixture(std::move(lines)) {
    test::AddNasmFoldRegions(model.CodeFolding().FoldRegions());
    model.CodeFolding().SetEnabled(true);
    model.RescanFolds();
  }
  bool Collapse(int line) {
    TSrcEditFoldRange* range = model.Folds().Ranges().FindFoldStartAt(line);
    return range != nullptr && model.CollapseFold(*range);
  }
};

TEST(FoldingEditor, CollapsingNeverModifiesAndWholeTextReadsIncludeHiddenLines) {
  Folded f;
  ASSERT_TRUE(f.Collapse(2));
  ASSERT_TRUE(f.Collapse(4));  // %if, now on line 4
  EXPECT_EQ(f.model.LineCount(), 5);
  EXPECT_FALSE(f.editor.Modified());
  EXPECT_EQ(f.editor.UndoList().Count(), 0);
  EXPECT_EQ(f.model.AllText(), Joined(kText));
  // A selection across a collapsed block takes its hidden lines, and one
  // reaching into a header's mark takes the block behind it.
  f.Select({3, 1}, {4, 3});
  EXPECT_EQ(f.model.SelectedText(),
            "art:\r\n%macro push2 2\r\n  push %1\r\n  push %2\r\n%endmacro\r\nmov");
  f.Select({1, 4}, {12, 4});
  EXPECT_EQ(f.model.SelectedText(), "%if DEBUG\r\n  nop\r\n%endif");
  f.Select({1, 4}, {4, 4});
  EXPECT_EQ(f.model.SelectedText(), "%if");
  f.model.CodeFolding().SetEnabled(false);
  EXPECT_EQ(f.Text(), Joined(kText));
  EXPECT_FALSE(f.editor.Modified());
}

TEST(FoldingEditor, UndoOfADeletedCollapsedBlockRestoresEveryLine) {
  Folded f;
  ASSERT_TRUE(f.Collapse(2));
  f.Select({1, 2}, {1, 3});  // the header line and its block
  f.Cmd(ecDeleteChar);
  const std::string deleted = "start:\r\nmov eax, 1\r\n%if DEBUG\r\n  nop\r\n%endif\r\nret";
  EXPECT_EQ(f.model.AllText(), deleted);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(), Joined(kText));
  EXPECT_EQ(f.Text(), Joined(kText));
  EXPECT_FALSE(f.editor.Modified());
  f.Cmd(ecRedo);
  EXPECT_EQ(f.model.AllText(), deleted);
  // A header selected whole and typed over: the block goes with it.
  Folded g;
  ASSERT_TRUE(g.Collapse(7));
  g.Select({1, 7}, {10, 7});
  ASSERT_TRUE(g.editor.FoldEditFilter('x'));
  g.Type("x");
  EXPECT_EQ(g.model.AllText(), Joined({"start:", "%macro push2 2", "  push %1", "  push %2",
                                       "%endmacro", "mov eax, 1", "x", "ret"}));
  g.Cmd(ecUndo);
  EXPECT_EQ(g.model.AllText(), Joined(kText));
}

TEST(FoldingEditor, UndoAfterTheFoldStateChangedTouchesTheRightText) {
  Folded f;
  f.Caret(4, 10);
  f.Type("X");  // "retX" before any collapse
  f.editor.UndoList().AddGroupBreak();
  ASSERT_TRUE(f.Collapse(2));
  ASSERT_TRUE(f.Collapse(4));
  f.Caret(4, 3);
  f.Type("Y");  // "mov eax, 1" is line 3 while both blocks are collapsed
  EXPECT_EQ(f.model.AllText(),
            Joined({"start:", "%macro push2 2", "  push %1", "  push %2", "%endmacro",
                    "movY eax, 1", "%if DEBUG", "  nop", "%endif", "retX"}));
  f.model.ExpandAllFolds();
  ASSERT_TRUE(f.Collapse(7));
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(),
            Joined({"start:", "%macro push2 2", "  push %1", "  push %2", "%endmacro", "mov eax, 1",
                    "%if DEBUG", "  nop", "%endif", "retX"}));
  ASSERT_TRUE(f.Collapse(2));
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(), Joined(kText));
  f.Cmd(ecRedo);
  f.Cmd(ecRedo);
  EXPECT_EQ(f.model.AllText(),
            Joined({"start:", "%macro push2 2", "  push %1", "  push %2", "%endmacro",
                    "movY eax, 1", "%if DEBUG", "  nop", "%endif", "retX"}));
}

// Text taken within the last line, below a collapsed block, leaves the
// block closed: opening it would move that line under the command's
// positions, which put the caret and the undo entry on a hidden line.
TEST(FoldingEditor, DeletingInTheLastLineBelowACollapsedBlock) {
  Folded f({"%if X", "  nop", "%endif", "mov ab"});
  ASSERT_TRUE(f.Collapse(1));
  ASSERT_EQ(f.model.LineCount(), 2);
  f.Caret(7, 2);
  f.Cmd(ecDeleteLastChar);
  EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "%endif", "mov a"}));
  EXPECT_EQ(f.model.Folds().CollapsedCount(), 1);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{6, 2}));
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "%endif", "mov ab"}));
  f.Cmd(ecRedo);
  EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "%endif", "mov a"}));
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "%endif", "mov ab"}));
}

// Lines selected whole above a collapsed block: what replaces them lands on
// the header that moves up, so the block opens first and its mark's
// blanks never become text.
TEST(FoldingEditor, ReplacingWholeLinesAboveACollapsedBlock) {
  for (const TSrcEditorCommand command : {ecLineBreak, ecChar, ecDeleteChar}) {
    Folded f({"_", "%if X", "  nop", "%endif", "ret"});
    ASSERT_TRUE(f.Collapse(2));
    f.model.SetSelectionMode(smLine);
    f.Select({1, 1}, {2, 1});
    f.Cmd(command, 'x');
    if (command != ecDeleteChar) {
      EXPECT_EQ(f.model.Folds().CollapsedCount(), 0) << CommandToText(command);
    }
    const std::string edited = f.model.AllText();
    EXPECT_EQ(edited.find("X "), std::string::npos) << edited;
    f.Cmd(ecUndo);
    EXPECT_EQ(f.model.AllText(), Joined({"_", "%if X", "  nop", "%endif", "ret"}))
        << CommandToText(command);
    EXPECT_FALSE(f.editor.Modified());
    f.Cmd(ecRedo);
    EXPECT_EQ(f.model.AllText(), edited);
  }
}

// Word and line deletions go from the caret whatever is selected, so the
// blocks they reach open first, also while text is selected elsewhere.
TEST(FoldingEditor, WordDeletionWithASelectionReachesIntoACollapsedHeader) {
  Folded f({"%if X", "  nop", "%endif", "%endif"});
  ASSERT_TRUE(f.Collapse(1));
  f.Select({8, 2}, {2, 2});  // caret after the '%' of the last line
  f.Cmd(ecDeleteLastWord);
  EXPECT_EQ(f.model.Folds().CollapsedCount(), 0);
  const std::string edited = f.model.AllText();
  EXPECT_EQ(edited, Joined({"%if X", "  nop", "%endifendif"}));
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "%endif", "%endif"}));
  f.Cmd(ecRedo);
  EXPECT_EQ(f.model.AllText(), edited);
}

TEST(FoldingEditor, CollapsedHeaderGuardsEditsButNotMovesOrUndo) {
  Folded f;
  f.Caret(3, 6);
  f.Type("Z");
  ASSERT_TRUE(f.Collapse(2));
  f.Caret(3, 2);
  f.Type("q");
  f.Cmd(ecDeleteLastChar);
  EXPECT_EQ(f.Line(2), "%macro push2 2     ");
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretLine(), 3);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.model.AllText(), Joined(kText));
}

TEST(FoldingEditor, TypedCharacterCheckOnCollapsedHeaders) {
  Folded f;
  ASSERT_TRUE(f.Collapse(2));
  f.Caret(4, 2);
  EXPECT_FALSE(f.editor.FoldEditFilter('a'));
  EXPECT_TRUE(f.editor.FoldEditFilter('\x1b'));
  // Enter at the header's end opens the block and goes to its last line.
  f.Caret(15, 2);
  EXPECT_TRUE(f.editor.FoldEditFilter('\r'));
  EXPECT_EQ(f.model.LineCount(), 10);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 5}));
  // Backspace at the start of the line below a collapsed block opens it,
  // the caret staying on its text.
  ASSERT_TRUE(f.Collapse(2));
  f.Caret(1, 3);
  EXPECT_TRUE(f.editor.FoldEditFilter('\b'));
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 6}));
  // '.' at the end of a line opens the block below.
  ASSERT_TRUE(f.Collapse(2));
  f.Caret(7, 1);
  EXPECT_TRUE(f.editor.FoldEditFilter('.'));
  EXPECT_EQ(f.model.Folds().CollapsedCount(), 0);
  // Part of a header selected: refused; another line: allowed.
  ASSERT_TRUE(f.Collapse(2));
  f.Select({2, 2}, {4, 2});
  EXPECT_FALSE(f.editor.FoldEditFilter('a'));
  f.Select({2, 1}, {4, 1});
  EXPECT_TRUE(f.editor.FoldEditFilter('a'));
}

TEST(FoldingEditor, ExpandAllReachesBlocksNestedMoreThanTenDeep) {
  std::vector<std::string> lines;
  for (int i = 0; i < 12; ++i) {
    lines.push_back(std::string(static_cast<std::size_t>(i), ' ') + "{");
  }
  lines.emplace_back("body");
  for (int i = 11; i >= 0; --i) {
    lines.push_back(std::string(static_cast<std::size_t>(i), ' ') + "}");
  }
  Folded f(lines);
  TSrcEditAllFoldRanges& ranges = f.model.Folds().Ranges();
  for (int i = ranges.AllCount() - 1; i >= 0; --i) {
    ASSERT_TRUE(f.model.CollapseFold(*ranges.AllRange(i)));
  }
  EXPECT_EQ(f.model.LineCount(), 1);
  EXPECT_EQ(f.model.AllText(), Joined(lines));
  f.model.ExpandAllFolds();
  EXPECT_EQ(f.Text(), Joined(lines));
}

TEST(FoldingEditor, TokenEditsRescanOnCaretKeysAndAfterTwoChanges) {
  Folded f;
  f.Caret(11, 6);
  f.Type(" x");
  EXPECT_EQ(f.model.Folds().FoldTokenChanges(), 0);
  f.Type("{");
  EXPECT_EQ(f.model.Folds().FoldTokenChanges(), 1);
  f.editor.FoldKeyDown('A');
  EXPECT_EQ(f.model.Folds().Ranges().FindRangeStartingAt(6), nullptr);
  f.editor.FoldKeyDown(37);  // Left
  EXPECT_EQ(f.model.Folds().FoldTokenChanges(), 0);
  EXPECT_NE(f.model.Folds().Ranges().FindRangeStartingAt(6), nullptr);
  // Two token changes and then an undo entry of another kind rescan.
  f.Cmd(ecLineBreak);
  f.Type("}");
  EXPECT_EQ(f.model.Folds().FoldTokenChanges(), 1);
  f.Caret(14, 6);
  f.Cmd(ecDeleteLastChar);
  EXPECT_EQ(f.Line(6), "mov eax, 1 x");
  EXPECT_EQ(f.model.Folds().FoldTokenChanges(), 0);
  EXPECT_EQ(f.model.Folds().Ranges().FindRangeStartingAt(6), nullptr);
}

}  // namespace
}  // namespace torvane
