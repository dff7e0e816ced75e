// Code folding in the editor: edits and undo over collapsed blocks, whole
// and selected text, the typed-character check and the command guard.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "highlight/nasm_highlighter.h"
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
  // With the NASM highlighter the folds use its regions (";{" and ";}" too).
  explicit Folded(std::vector<std::string> lines = kText, bool nasm = false)
      : TEditorFixture(std::move(lines)) {
    if (nasm) {
      model.SetHighlighter(&highlighter);
    } else {
      test::AddNasmFoldRegions(model.CodeFolding().FoldRegions());
    }
    model.CodeFolding().SetEnabled(true);
    model.RescanFolds();
  }
  ~Folded() { model.SetHighlighter(nullptr); }
  bool Collapse(int line) {
    TSrcEditFoldRange* range = model.Folds().Ranges().FindFoldStartAt(line);
    return range != nullptr && model.CollapseFold(*range);
  }
  // The whole text (what saving and the window-text messages read) and a
  // copy of everything both give `text`.
  void ExpectWholeText(const std::string& text) {
    EXPECT_EQ(model.AllText(), text) << model.Folds().Dump();
    EXPECT_EQ(Joined(model.Folds().ExpandedLines()), text);  // what saving writes
    const TBufferPos caret = model.CaretPos();
    const TSrcSelectionMode mode = model.SelectionMode();
    model.SetSelectionMode(smNormal);
    Cmd(ecSelectAll);
    EXPECT_EQ(model.SelectedText(), text) << model.Folds().Dump();
    model.SetCaretAndDeselect(caret);
    model.SetSelectionMode(mode);
  }
  // Undoing everything gives `original`, redoing everything `edited`, each
  // step with the blocks as they are left.
  void ExpectUndoAllRedoAll(const std::string& original, const std::string& edited) {
    for (int guard = 0; editor.CanUndo() && guard < 1000; ++guard) {
      Cmd(ecUndo);
    }
    EXPECT_EQ(model.AllText(), original) << model.Folds().Dump();
    EXPECT_FALSE(editor.Modified());
    for (int guard = 0; editor.CanRedo() && guard < 1000; ++guard) {
      Cmd(ecRedo);
    }
    EXPECT_EQ(model.AllText(), edited) << model.Folds().Dump();
  }

  TSrcNasmHighlighter highlighter;
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

// An inner block ending on the outer block's closing line, collapsed first:
// the outer collapse takes the inner header with it (its blanks and hidden
// lines stay the inner block's), so no line is lost and undo stays exact.
TEST(FoldingEditor, OuterCollapseOverACollapsedBlockSharingItsClosingLine) {
  const std::vector<std::string> lines = {";{ setup", "mov eax, 1", "%if DEBUG",
                                          "  int3",   "%endif ;}",  "ret"};
  Folded f(lines, true);
  ASSERT_TRUE(f.Collapse(3));
  ASSERT_TRUE(f.Collapse(1));
  EXPECT_EQ(f.model.LineCount(), 2);
  f.ExpectWholeText(Joined(lines));
  // Ctrl+Y on the line shown after the header (the last line: emptied).
  f.Caret(1, 2);
  f.Cmd(ecDeleteLine);
  const std::string edited =
      Joined({";{ setup", "mov eax, 1", "%if DEBUG", "  int3", "%endif ;}", ""});
  f.ExpectWholeText(edited);
  f.ExpectUndoAllRedoAll(Joined(lines), edited);
  f.model.ExpandAllFolds();
  EXPECT_EQ(f.Text(), edited);
  // Expanding the outer block alone shows the inner one still collapsed.
  Folded g(lines, true);
  ASSERT_TRUE(g.Collapse(3));
  ASSERT_TRUE(g.Collapse(1));
  ASSERT_TRUE(g.model.ExpandFold(*g.model.Folds().CollapsedHeaderAt(1)));
  EXPECT_EQ(g.Text(), Joined({";{ setup", "mov eax, 1", "%if DEBUG     ", "ret"}));
  g.ExpectWholeText(Joined(lines));
}

// A block opening on the closing line of the block collapsed, behind a
// range that starts there and never closes: that line stays visible with
// the collapsed block on it.
TEST(FoldingEditor, OuterCollapseKeepsACollapsedBlockOpeningOnItsClosingLine) {
  const std::vector<std::string> lines = {"%if X", "a", "%rep 1 %endif %if Y", "b", "%endif", "c"};
  Folded f(lines, true);
  ASSERT_TRUE(f.Collapse(3));
  ASSERT_TRUE(f.Collapse(1));
  EXPECT_EQ(f.model.LineCount(), 3);
  f.ExpectWholeText(Joined(lines));
  f.model.ExpandAllFolds();
  EXPECT_EQ(f.Text(), Joined(lines));
  // Either order, and the blocks opened one by one.
  Folded g(lines, true);
  ASSERT_TRUE(g.Collapse(1));
  ASSERT_TRUE(g.Collapse(2));
  g.ExpectWholeText(Joined(lines));
  ASSERT_TRUE(g.model.ExpandFold(*g.model.Folds().CollapsedHeaderAt(1)));
  ASSERT_TRUE(g.model.ExpandFold(*g.model.Folds().CollapsedHeaderAt(3)));
  EXPECT_EQ(g.Text(), Joined(lines));
}

// Column paste and column typing write into lines below the caret: the
// blocks collapsed there open first, so the text goes into the lines of the
// expanded text, never into a header's mark.
TEST(FoldingEditor, ColumnPasteAndTypingAcrossACollapsedHeader) {
  const std::vector<std::string> lines = {"aaaaaaaaaaaa", "%if X", "b", "%endif", "c"};
  {
    Folded f(lines);
    ASSERT_TRUE(f.Collapse(2));
    f.Caret(8, 1);
    f.Cmd(ecColumnSelect);
    QGuiApplication::clipboard()->setText("1\r\n2\r\n3");
    f.Cmd(ecPaste);
    const std::string edited = Joined({"aaaaaaa1aaaaa", "%if X  2", "b      3", "%endif", "c"});
    f.ExpectWholeText(edited);
    f.ExpectUndoAllRedoAll(Joined(lines), edited);
    f.Cmd(ecUndo);
    f.model.ExpandAllFolds();
    EXPECT_EQ(f.Text(), Joined(lines));
  }
  {
    // A column of no width from line 1 to the line below the block.
    Folded f(lines);
    ASSERT_TRUE(f.Collapse(2));
    f.model.SetSelectionMode(smColumn);
    f.Select({3, 1}, {3, 3});
    f.Type("z");
    const std::string edited = Joined({"aazaaaaaaaaaa", "%izf X", "b z", "%ezndif", "c z"});
    f.ExpectWholeText(edited);
    f.ExpectUndoAllRedoAll(Joined(lines), edited);
  }
}

// Case commands take the text of the selection the rule "an end in a
// header's mark covers the block" gives, never that of the selection before.
TEST(FoldingEditor, CaseCommandsWithASelectionEndingInAMark) {
  const std::vector<std::string> lines = {"x abc", "%if X", "b", "%endif", "yy"};
  for (const TSrcSelectionMode mode : {smNormal, smColumn}) {
    Folded f(lines);
    Folded p(lines);
    ASSERT_TRUE(f.Collapse(2));
    f.model.SetSelectionMode(mode);
    p.model.SetSelectionMode(mode);
    f.Select({8, 2}, {2, 1});  // anchor in the mark
    p.Select({7, 4}, {2, 1});
    f.Cmd(ecUpperCaseBlock);
    p.Cmd(ecUpperCaseBlock);
    f.ExpectWholeText(p.Text());
    f.ExpectUndoAllRedoAll(Joined(lines), p.Text());
  }
  // A column of no width over a collapsed header: the block command
  // selects one character more, a column down to the line below the block.
  const std::vector<std::string> column = {"xxxxxxxxxxxx", "%if X", "bcdefghijk", "%endif",
                                           "yyyyyyy"};
  {
    Folded f(column);
    ASSERT_TRUE(f.Collapse(2));
    f.model.SetSelectionMode(smColumn);
    f.Select({2, 1}, {2, 3});
    f.Cmd(ecUpperCaseBlock);
    const std::string edited = Joined({"xXxxxxxxxxxx", "%If X", "bCdefghijk", "%Endif", "yYyyyyy"});
    f.ExpectWholeText(edited);
    f.ExpectUndoAllRedoAll(Joined(column), edited);
  }
  {
    // Anchored in the mark: the block opens first, so the column keeps its
    // place in the expanded text and never reaches into the mark.
    Folded f(column);
    Folded p(column);
    ASSERT_TRUE(f.Collapse(2));
    f.model.SetSelectionMode(smColumn);
    p.model.SetSelectionMode(smColumn);
    f.Select({8, 2}, {8, 1});
    f.Cmd(ecToggleCaseBlock);
    p.Select({8, 2}, {8, 1});
    p.Cmd(ecToggleCaseBlock);
    f.ExpectWholeText(p.Text());
    f.ExpectUndoAllRedoAll(Joined(column), p.Text());
  }
  // The word at a caret in the mark of a header that shows its closing
  // token is no word of the text, also with a selection elsewhere: the
  // word commands work on the caret's word, in the opened block.
  TSrcEditorCommand commands[] = {ecLowerCase, ecUpperCase, ecToggleCase, ecTitleCase};
  for (const TSrcEditorCommand command : commands) {
    for (const bool selection : {false, true}) {
      Folded f({"%macro m 0", "  nop", "%endmacro", "ret"});
      f.model.CodeFolding().FoldRegions().Item(0).ShowCloseToken = true;
      f.model.RescanFolds();
      ASSERT_TRUE(f.Collapse(1));
      ASSERT_EQ(f.Line(1), "%macro m 0     %ENDMACRO");
      if (selection) {
        f.model.PlaceCaretAndSelection({20, 1}, {1, 2}, {4, 2});
      } else {
        f.Caret(20, 1);
      }
      f.Cmd(command);
      EXPECT_EQ(f.model.AllText(), Joined({"%macro m 0", "  nop", "%endmacro", "ret"}))
          << CommandToText(command);
      f.ExpectUndoAllRedoAll(Joined({"%macro m 0", "  nop", "%endmacro", "ret"}),
                             f.model.AllText());
    }
  }
}

// Smart tabs, smart backspace and auto-indent read the line above in the
// expanded text: the block's last line, not the header's mark blanks.
TEST(FoldingEditor, LinesAboveAreReadInTheExpandedText) {
  const std::vector<std::string> lines = {"%if X", "ab", "%endif   x", "y"};
  {
    Folded f(lines);
    ASSERT_TRUE(f.Collapse(1));
    f.Caret(1, 2);
    f.Cmd(ecTab);
    EXPECT_EQ(f.model.AllText(), Joined({"%if X", "ab", "%endif   x", "         y"}));
  }
  {
    Folded f({"%if X", "  nop", "%endif", "        y"});
    ASSERT_TRUE(f.Collapse(1));
    f.Caret(9, 2);
    f.Cmd(ecShiftTab);
    EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "%endif", "y"}));
  }
  {
    Folded f({"%if X", "  nop", "   %endif", "      y"});
    ASSERT_TRUE(f.Collapse(1));
    f.Caret(7, 2);
    f.Cmd(ecDeleteLastChar);  // back to the block's last line's indentation
    EXPECT_EQ(f.model.AllText(), Joined({"%if X", "  nop", "   %endif", "   y"}));
  }
  {
    Folded f({"  %if X", "  nop", "    %endif ; x", ""});
    ASSERT_TRUE(f.Collapse(1));
    f.Caret(1, 2);
    f.Cmd(ecLineBreak);  // indented as the nearest line with text above
    EXPECT_EQ(f.model.CaretPos(), (TBufferPos{5, 3}));
  }
}

// Enter at the end of a collapsed header opens the block and breaks the
// line below it: one Enter, one line break, one undo step.
TEST(FoldingEditor, EnterAtTheEndOfACollapsedHeaderContinuesBelowTheBlock) {
  const std::vector<std::string> lines = {"%if X", "  nop", "%endif", "ret"};
  Folded f(lines);
  ASSERT_TRUE(f.Collapse(1));
  f.Caret(11, 1);  // in the mark
  f.Cmd(ecLineBreak);
  const std::string edited = Joined({"%if X", "  nop", "%endif", "", "ret"});
  EXPECT_EQ(f.model.AllText(), edited);
  EXPECT_EQ(f.model.Folds().CollapsedCount(), 0);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 4}));
  f.ExpectUndoAllRedoAll(Joined(lines), edited);
  // In column 1 the line goes in above the header; inside its text Enter
  // does nothing.
  Folded g(lines);
  ASSERT_TRUE(g.Collapse(1));
  g.Caret(3, 1);
  g.Cmd(ecLineBreak);
  EXPECT_EQ(g.model.AllText(), Joined(lines));
  g.Caret(1, 1);
  g.Cmd(ecLineBreak);
  EXPECT_EQ(g.model.AllText(), Joined({"", "%if X", "  nop", "%endif", "ret"}));
  // A collapsed block as the last hidden line: below it too.
  Folded h({"{", "%if X", "  nop", "%endif }", "ret"});
  ASSERT_TRUE(h.Collapse(2));
  ASSERT_TRUE(h.Collapse(1));
  h.Caret(2, 1);
  h.Cmd(ecLineBreak);
  EXPECT_EQ(h.model.AllText(), Joined({"{", "%if X", "  nop", "%endif }", "", "ret"}));
}

}  // namespace
}  // namespace torvane
