// Undo and redo give back exactly the text they took, at any size and in
// every mode: commands over more lines than the undo limit, trimmed trailing
// blanks, selection-mode switches and column blocks over tabs and wide
// characters.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

std::vector<std::string> NumberedLines(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) {
    lines.push_back(FormatMessage("  mov eax, %d ; line %d", i, i));
  }
  return lines;
}

// One undo takes back a whole command however many entries it recorded,
// with the default limit of 1,024 entries.
TEST(UndoExactnessTest, CommandsOverMoreLinesThanTheLimitUndoWhole) {
  for (const int count : {1030, 2000}) {
    for (const TSrcEditorCommand command : {ecChar, ecBlockIndent, ecBlockUnindent}) {
      TEditorFixture f(NumberedLines(count));
      ASSERT_EQ(f.editor.MaxUndo(), 1024);
      const std::string original = f.Text();
      f.Cmd(ecSelectAll);
      f.Cmd(command, 'x');
      const std::string edited = f.Text();
      ASSERT_NE(edited, original) << CommandToText(command);
      f.Cmd(ecUndo);
      EXPECT_EQ(f.Text(), original) << count << " " << CommandToText(command);
      EXPECT_FALSE(f.editor.Modified());
      f.Cmd(ecRedo);
      EXPECT_EQ(f.Text(), edited) << count << " " << CommandToText(command);
      f.Cmd(ecUndo);
      EXPECT_EQ(f.Text(), original);
    }
  }
}

// Undoes everything and redoes everything, checking both ends.
void ExpectUndoRedoExact(TEditorFixture& f, const std::string& original, const char* what) {
  const std::string edited = f.Text();
  while (f.editor.CanUndo()) {
    f.Cmd(ecUndo);
  }
  EXPECT_EQ(f.Text(), original) << what;
  while (f.editor.CanRedo()) {
    f.Cmd(ecRedo);
  }
  EXPECT_EQ(f.Text(), edited) << what;
}

// Trimmed blanks are recorded as removed, so undo puts back exactly what
// was there (blanks and tabs) and never joins or pads at the trimmed end.
TEST(UndoExactnessTest, TrimmedTrailingBlanksComeBack) {
  const auto trimming = [](TEditorFixture& f) {
    f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoTrimTrailingSpaces));
  };
  {
    TEditorFixture f({"mov eax"});
    trimming(f);
    f.Caret(5, 1);
    f.Cmd(ecLineBreak);
    EXPECT_EQ(f.Text(), "mov\r\neax");
    f.Cmd(ecUndo);
    EXPECT_EQ(f.Text(), "mov eax");
    f.Cmd(ecRedo);
    EXPECT_EQ(f.Text(), "mov\r\neax");
  }
  {
    TEditorFixture f({"", "mov"});
    trimming(f);
    f.Caret(5, 1);
    f.Cmd(ecDeleteChar);
    EXPECT_EQ(f.Text(), "    mov");
    f.Cmd(ecUndo);
    EXPECT_EQ(f.Text(), "\r\nmov");
  }
  {
    TEditorFixture f({"mov eax \t ", "\t", "add  "});
    trimming(f);
    const std::string original = f.Text();
    f.Type("x");
    EXPECT_EQ(f.Line(1), "xmov eax");
    f.Cmd(ecDown);
    f.Cmd(ecDeleteLastChar);
    f.Caret(6, 2);
    f.Cmd(ecDeleteLastChar);
    f.Cmd(ecSelectAll);
    f.Cmd(ecBlockIndent);
    f.Caret(1, 1);
    f.Cmd(ecTab);
    ExpectUndoRedoExact(f, original, "trimmed edits");
  }
}

// Switching to normal mode pulls ends past a line end back to it, so the
// selection replaced is the one recorded.
TEST(UndoExactnessTest, SelectionModeSwitchesClampTheEnds) {
  TEditorFixture f({"ab", "cdefgh", "ij"});
  const std::string original = f.Text();
  f.Cmd(ecLineSelect);
  f.Caret(6, 1);
  f.Cmd(ecSelDown);
  EXPECT_EQ(f.model.SelectionAnchor(), (TBufferPos{6, 1}));
  f.Cmd(ecNormalSelect);
  EXPECT_EQ(f.model.SelectionAnchor(), (TBufferPos{3, 1}));
  f.Type("x");
  EXPECT_EQ(f.Text(), "abxh\r\nij");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), original);

  // Undo restores a column selection's block; the mode in force afterwards
  // clamps it again.
  f.Cmd(ecColumnSelect);
  f.Select({5, 1}, {3, 2});
  f.Cmd(ecDeleteChar);
  f.Cmd(ecNormalSelect);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), original);
  EXPECT_LE(f.model.SelectionAnchor().Char, 3);
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), "ab\r\ncdgh\r\nij");
}

// A column block over tabs and wide characters is the same block when it is
// shown, copied, cut and typed over: cells between the two columns, whole
// characters.
TEST(UndoExactnessTest, ColumnBlocksUseDisplayColumns) {
  ScopedCodePage page("UTF-8");
  TEditorFixture f({"\tab", "abcdefghijk",
                    "a\xE4\xB8\xAD"
                    "bcdefg",
                    "ab"});
  const std::string original = f.Text();
  f.model.SetSelectionMode(smColumn);
  f.Select({2, 1}, {4, 2});  // columns 4 … 8
  EXPECT_EQ(f.model.SelectedText(), "\t\r\ndefgh");
  f.Cmd(ecCut);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "\t\r\ndefgh");
  EXPECT_EQ(f.Text(),
            "ab\r\nabcijk\r\na\xE4\xB8\xAD"
            "bcdefg\r\nab");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), original);

  // Columns 3 … 4 take the wide character (cells 2-3) and 'b' on line 3.
  f.Select({3, 2}, {6, 3});
  EXPECT_EQ(f.model.SelectedText(),
            "cd\r\n\xE4\xB8\xAD"
            "b");
  f.Cmd(ecChar, 'Z');
  EXPECT_EQ(f.Text(),
            "\tab\r\nabZcdefghijk\r\naZ\xE4\xB8\xAD"
            "bcdefg\r\nab");
  ExpectUndoRedoExact(f, original, "typed over a block");

  // A block pasted at the caret stands at one display column.
  TEditorFixture g({"\tab", "abcdefghijk",
                    "a\xE4\xB8\xAD"
                    "bcdefg"});
  g.model.SetSelectionMode(smColumn);
  g.Caret(2, 1);
  g.editor.ReplaceSelection(smColumn, "1\r\n2\r\n3\r\n4", true);
  EXPECT_EQ(g.Text(),
            "\t1ab\r\nabcdefgh2ijk\r\na\xE4\xB8\xAD"
            "bcdef3g\r\n        4");
}

}  // namespace
}  // namespace torvane
