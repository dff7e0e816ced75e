// Backspace, Delete, line breaks, typing, tabs and block indentation driven
// through the command path, checked by text, caret and undo entries.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

TEST(DeleteCommandsTest, BackspaceAtLineStartsAndInIndentation) {
  TEditorFixture f({"abc", "def"});
  f.Cmd(ecDeleteLastChar);
  EXPECT_EQ(f.Text(), "abc\r\ndef");
  EXPECT_EQ(f.editor.UndoList().Count(), 0);

  f.Caret(1, 2);
  f.Cmd(ecDeleteLastChar);
  EXPECT_EQ(f.Text(), "abcdef");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{4, 1}));
  EXPECT_EQ(f.UndoKinds(), "ckSilentDelete");
  EXPECT_EQ(f.editor.UndoList().EntryAt(0).Text, "\r\n");

  // Smart tab delete with no less-indented line above: all four spaces go.
  TEditorFixture g({"    x"});
  g.Caret(5, 1);
  g.Cmd(ecDeleteLastChar);
  EXPECT_EQ(g.Text(), "x");
  EXPECT_EQ(g.model.CaretPos(), (TBufferPos{1, 1}));

  // ... and back to the indentation of the nearest less-indented line.
  TEditorFixture h({"  a", "      b"});
  h.Caret(7, 2);
  h.Cmd(ecDeleteLastChar);
  EXPECT_EQ(h.Line(2), "  b");
  // Without it, blanks back to the previous tab stop.
  h.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoSmartTabDelete));
  h.Cmd(ecUndo);
  h.Caret(7, 2);
  h.Cmd(ecDeleteLastChar);
  EXPECT_EQ(h.Line(2), "b");

  // Past the end of an empty line the caret only moves back.
  TEditorFixture k({"    a", ""});
  k.Caret(9, 2);
  k.Cmd(ecDeleteLastChar);
  EXPECT_EQ(k.model.CaretPos(), (TBufferPos{5, 2}));
  EXPECT_EQ(k.Text(), "    a\r\n");
}

TEST(DeleteCommandsTest, WholeMultiByteCharactersGo) {
  ScopedCodePage page("UTF-8");
  TEditorFixture f(
      {"a\xE4\xB8\xAD"
       "b"});
  f.Caret(5, 1);
  f.Cmd(ecDeleteLastChar);
  EXPECT_EQ(f.Text(), "ab");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{2, 1}));
  f.Cmd(ecUndo);
  f.Caret(2, 1);
  f.Cmd(ecDeleteChar);
  EXPECT_EQ(f.Text(), "ab");
}

TEST(DeleteCommandsTest, DeleteJoinsAtTheCaretColumnAndWordsAndLinesGo) {
  TEditorFixture f({"ab", "cd", "ef gh  ij"});
  f.Caret(5, 1);
  f.Cmd(ecDeleteChar);
  EXPECT_EQ(f.Line(1), "ab  cd");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "ab\r\ncd\r\nef gh  ij");

  f.Caret(1, 3);
  f.Cmd(ecDeleteWord);
  EXPECT_EQ(f.Line(3), "gh  ij");
  f.Caret(3, 3);
  f.Cmd(ecDeleteEOL);
  EXPECT_EQ(f.Line(3), "gh");
  f.Cmd(ecDeleteLastWord);
  EXPECT_EQ(f.Line(3), "");

  f.Caret(2, 1);
  f.Cmd(ecDeleteLine);
  EXPECT_EQ(f.Text(), "cd\r\n");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 1}));
  f.Caret(1, 2);
  f.Cmd(ecDeleteLine);  // an empty last line stays
  EXPECT_EQ(f.Text(), "cd\r\n");
}

TEST(LineBreakTest, AutoIndentSplitsAndInsertLineKeepsTheCaret) {
  TEditorFixture f({"  abcdef"});
  f.Caret(6, 1);
  f.Cmd(ecLineBreak);
  EXPECT_EQ(f.Text(), "  abc\r\n  def");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{3, 2}));
  EXPECT_EQ(f.UndoKinds(), "ckLineBreak");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "  abcdef");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{6, 1}));

  f.Cmd(ecInsertLine);
  EXPECT_EQ(f.Text(), "  abc\r\n  def");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{6, 1}));

  // Past the end the new line copies the indentation; an empty line gets
  // the indentation of the text above as the caret column.
  TEditorFixture g({"\tx", ""});
  g.Caret(9, 1);
  g.Cmd(ecLineBreak);
  EXPECT_EQ(g.Line(2), "\t");
  EXPECT_EQ(g.model.CaretPos(), (TBufferPos{2, 2}));
  g.Caret(1, 3);
  g.Cmd(ecLineBreak);
  EXPECT_EQ(g.model.CaretPos(), (TBufferPos{9, 4}));
}

TEST(TypingTest, CharactersTabsAndColumnEditing) {
  TEditorFixture f({""});
  f.Cmd(ecTab);
  EXPECT_EQ(f.Text(), "        ");
  f.Cmd(ecChar, '\x7f');
  f.Cmd(ecChar, '\x05');
  EXPECT_EQ(f.Text(), "        ");

  // Smart tabs go to the next word start of the line above.
  TEditorFixture g({"mov   eax, 1", ""});
  g.Caret(1, 2);
  g.Cmd(ecTab);
  EXPECT_EQ(g.Line(2), "      ");
  g.Cmd(ecShiftTab);
  EXPECT_EQ(g.Line(2), "");

  // Typing over a two-line column selection types in front of both lines.
  TEditorFixture c({"abcd", "efgh", "ijkl"});
  c.model.SetSelectionMode(smColumn);
  c.Select({2, 1}, {3, 2});
  c.Type("X");
  EXPECT_EQ(c.Text(), "aXbcd\r\neXfgh\r\nijkl");
  EXPECT_EQ(c.model.SelectionAnchor(), (TBufferPos{3, 1}));
  EXPECT_EQ(c.model.SelectionActiveEnd(), (TBufferPos{4, 2}));
  c.Cmd(ecUndo);
  EXPECT_EQ(c.Text(), "abcd\r\nefgh\r\nijkl");

  // A zero-width column across lines takes typing on every line.
  c.model.SetSelectionMode(smColumn);
  c.Select({3, 1}, {3, 3});
  c.Type("|");
  EXPECT_EQ(c.Text(), "ab|cd\r\nef|gh\r\nij|kl");

  // Overwrite mode types over the block.
  TEditorFixture o({"abcd", "efgh"});
  o.Cmd(ecOverwriteMode);
  o.model.SetSelectionMode(smColumn);
  o.Select({2, 1}, {4, 2});
  o.Type("-");
  EXPECT_EQ(o.Text(), "a--d\r\ne--h");
}

TEST(BlockIndentTest, IndentSkipsALastLineSelectedAtItsStart) {
  TEditorFixture f({"a", "b", "c", "d"});
  f.Select({1, 1}, {1, 4});
  f.Cmd(ecBlockIndent);
  EXPECT_EQ(f.Text(), "  a\r\n  b\r\n  c\r\nd");
  EXPECT_EQ(f.model.SelStart(), (TBufferPos{3, 1}));
  EXPECT_EQ(f.model.SelEnd(), (TBufferPos{1, 4}));
  f.Cmd(ecBlockUnindent);
  EXPECT_EQ(f.Text(), "a\r\nb\r\nc\r\nd");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "  a\r\n  b\r\n  c\r\nd");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(f.model.SelStart(), (TBufferPos{1, 1}));
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), "  a\r\n  b\r\n  c\r\nd");
}

TEST(CaseCommandsTest, WordsAndBlocks) {
  TEditorFixture f({"mov eax, ebx"});
  f.Caret(6, 1);
  f.Cmd(ecUpperCase);
  EXPECT_EQ(f.Text(), "mov EAX, ebx");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{6, 1}));
  EXPECT_FALSE(f.model.HasSelection());
  f.Cmd(ecTitleCase);
  EXPECT_EQ(f.Text(), "mov Eax, ebx");

  // Block commands without a selection step through the characters.
  f.Caret(10, 1);
  f.Cmd(ecToggleCaseBlock);
  f.Cmd(ecToggleCaseBlock);
  EXPECT_EQ(f.Text(), "mov Eax, EBx");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{12, 1}));
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "mov Eax, Ebx");
}

// eoNoSelection keeps the user from selecting, not the commands and undo
// steps that select what they take out or put back; none leaves a
// selection behind.
TEST(NoSelectionTest, CommandsAndUndoStillTakeTheirText) {
  TEditorFixture f({"mov eax, 1", "ret"});
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoNoSelection));
  f.Cmd(ecSelRight);
  f.Cmd(ecSelectAll);
  EXPECT_FALSE(f.model.HasSelection());
  f.Caret(1, 1);
  f.Cmd(ecDeleteWord);
  EXPECT_EQ(f.Text(), "eax, 1\r\nret");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "mov eax, 1\r\nret");
  EXPECT_FALSE(f.model.HasSelection());
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), "eax, 1\r\nret");
  std::string composed = "%macro ";
  f.Cmd(ecImeStr, 0, &composed);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "eax, 1\r\nret");
  f.editor.SetTextByMessage("nop");
  EXPECT_EQ(f.Text(), "nop");
  EXPECT_FALSE(f.model.HasSelection());
  while (f.editor.CanUndo()) {
    f.Cmd(ecUndo);
  }
  EXPECT_EQ(f.Text(), "mov eax, 1\r\nret");
  EXPECT_FALSE(f.editor.Modified());
}

TEST(ReadOnlyTest, NothingChangesButTheCaretMoves) {
  TEditorFixture f({"abc", "def"});
  f.model.SetReadOnly(true);
  for (const TSrcEditorCommand c : {ecDeleteLastChar, ecDeleteChar, ecLineBreak, ecTab,
                                    ecDeleteLine, ecPaste, ecCut, ecUpperCase, ecClearAll}) {
    f.Cmd(c);
  }
  f.Type("xyz");
  EXPECT_EQ(f.Text(), "abc\r\ndef");
  EXPECT_EQ(f.editor.UndoList().Count(), 0);
  f.Cmd(ecDown);
  f.Cmd(ecRight);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{2, 2}));
}

TEST(LineWriterTest, TrimTrailingSpacesOnEveryWrittenLine) {
  TEditorFixture f({"ab"});
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoTrimTrailingSpaces));
  f.Caret(3, 1);
  f.Type(" ");
  EXPECT_EQ(f.Text(), "ab");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{4, 1}));
  f.Type("c");
  EXPECT_EQ(f.Text(), "ab c");
  f.Cmd(ecLineBreak);
  f.Type("  ");
  f.Cmd(ecLineBreak);
  EXPECT_EQ(f.Text(), "ab c\r\n\r\n");

  // Backspace behind a tab that trimming then removes keeps the caret's
  // column rather than jumping back.
  TEditorFixture g({"a\tbc"});
  g.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoTrimTrailingSpaces));
  g.Caret(5, 1);
  g.Cmd(ecDeleteLastChar);
  g.Cmd(ecDeleteLastChar);
  EXPECT_EQ(g.Text(), "a");
  EXPECT_EQ(g.model.DisplayColumn(), 9);
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// Typing and deleting within one line change only the bytes concerned; the
// line comes out as writing the whole new line would make it, trimmed or
// not, with the caret beyond the line's end too, and undo restores it.
TEST(LineWriterTest, ChangesWithinALineWriteWhatTheWholeLineWould) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const bool trim = rng() % 2 == 0;
    std::string line(rng() % 8, ' ');
    for (char& c : line) {
      c = "ab \t"[rng() % 4];
    }
    TEditorFixture f({line, "next"});
    f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions)
                             .Include(eoScrollPastEol)
                             .Set(eoTrimTrailingSpaces, trim));
    const auto trimmed = [&](std::string s) {
      while (trim && !s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.pop_back();
      }
      return s;
    };
    const std::size_t at = rng() % (line.size() + 4);
    std::string expected;
    if (rng() % 2 == 0 || line.empty()) {
      const char typed = "x "[rng() % 2];
      f.Caret(static_cast<int>(at) + 1, 1);
      f.Type(std::string(1, typed));
      std::string whole = line;
      whole.resize(std::max(whole.size(), at), ' ');
      whole.insert(at, 1, typed);
      expected = trimmed(whole);
    } else {
      // A selection within the line (one past its end is clamped).
      const std::size_t from = at % line.size();
      const std::size_t to = std::min(from + 1 + rng() % 3, line.size());
      f.Select({static_cast<int>(from) + 1, 1}, {static_cast<int>(to) + 1, 1});
      f.Cmd(ecDeleteChar);
      expected = trimmed(line.substr(0, from) + line.substr(to));
    }
    ASSERT_EQ(f.Line(1), expected) << "round " << round << " line \"" << line << "\" at " << at;
    ASSERT_EQ(f.Line(2), "next");
    if (!trim) {
      f.Cmd(ecUndo);
      ASSERT_EQ(f.Line(1), line) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace torvane
