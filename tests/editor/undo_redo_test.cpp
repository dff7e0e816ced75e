// Undo and redo steps: grouping of typed text, group breaks from caret
// moves, the save point behind the modified flag, and the paste bracket.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

TEST(UndoRedoTest, TypedTextIsOneStepUntilTheCaretMoves) {
  TEditorFixture f({"x"});
  f.Type("abc");
  EXPECT_EQ(f.UndoKinds(), "ckInsert ckInsert ckInsert");
  EXPECT_NE(f.editor.UndoList().EntryAt(0).GroupNumber, f.editor.UndoList().EntryAt(1).GroupNumber);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "x");
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 1}));
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), "abcx");

  // A caret move separates the steps; the break alone keeps the redo list.
  f.Cmd(ecUndo);
  f.Cmd(ecRight);
  EXPECT_TRUE(f.editor.RedoList().CanUndo());
  f.Cmd(ecLeft);
  f.Type("ab");
  EXPECT_FALSE(f.editor.RedoList().CanUndo());
  f.Cmd(ecRight);
  f.Type("c");
  EXPECT_EQ(f.Text(), "abxc");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "abx");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "x");
}

TEST(UndoRedoTest, WithoutGroupUndoEachCharacterIsAStep) {
  TEditorFixture f({""});
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Exclude(eoGroupUndo));
  f.Type("abc");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "ab");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "a");
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), "ab");
}

TEST(UndoRedoTest, SavePointDrivesTheModifiedFlag) {
  TEditorFixture f({"abc", "def"});
  int on_change = 0;
  f.editor.OnChange = [&] { ++on_change; };
  EXPECT_FALSE(f.editor.Modified());
  f.Type("1");
  EXPECT_TRUE(f.editor.Modified());
  EXPECT_EQ(on_change, 1);
  f.Cmd(ecUndo);
  EXPECT_FALSE(f.editor.Modified());  // back at the empty list's save point

  f.Type("2");
  f.editor.SetModified(false);
  EXPECT_EQ(f.model.Lines().GetChangeState(0), lcsSaved);
  f.Cmd(ecRight);
  f.Type("3");
  EXPECT_TRUE(f.editor.Modified());
  EXPECT_EQ(f.model.Lines().GetChangeState(0), lcsModified);
  f.Cmd(ecUndo);
  EXPECT_FALSE(f.editor.Modified());
  f.Cmd(ecUndo);
  EXPECT_TRUE(f.editor.Modified());
  EXPECT_EQ(f.Text(), "abc\r\ndef");
  f.Cmd(ecRedo);
  EXPECT_FALSE(f.editor.Modified());
  f.Cmd(ecRedo);
  EXPECT_TRUE(f.editor.Modified());
  EXPECT_EQ(f.Text(), "2a3bc\r\ndef");
}

// A paste of nothing is a step that leaves nothing to redo; the caret move
// after it leaves a group break that travels between the lists alone.
// Undoing that break back to the empty list is the save point again.
TEST(UndoRedoTest, UndoingALoneGroupBreakReachesTheSavePoint) {
  TEditorFixture f({"abc"});
  QGuiApplication::clipboard()->setText(QString());
  f.Cmd(ecPaste);
  f.Cmd(ecRight);
  EXPECT_TRUE(f.editor.Modified());
  f.Cmd(ecUndo);
  EXPECT_FALSE(f.editor.Modified());
  f.Cmd(ecRedo);
  EXPECT_TRUE(f.editor.Modified());
  f.Cmd(ecUndo);
  EXPECT_FALSE(f.editor.CanUndo());
  EXPECT_FALSE(f.editor.Modified());
  EXPECT_EQ(f.Text(), "abc");
}

TEST(UndoRedoTest, MaxUndoZeroKeepsNothing) {
  TEditorFixture f({"abc"});
  f.editor.SetMaxUndo(0);
  f.editor.SetMaxUndo(-5);
  EXPECT_EQ(f.editor.MaxUndo(), 0);
  f.Type("x");
  EXPECT_FALSE(f.editor.CanUndo());
  EXPECT_TRUE(f.editor.UndoList().HistoryTruncated());
  EXPECT_TRUE(f.editor.Modified());
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "xabc");
}

TEST(UndoRedoTest, PasteOfTwoLinesIsOneBracketedGroup) {
  TEditorFixture f({"hello world"});
  auto* data = new QMimeData;
  data->setText("one\r\ntwo");
  QGuiApplication::clipboard()->setMimeData(data);
  f.Select({1, 1}, {6, 1});
  f.Cmd(ecPaste);
  EXPECT_EQ(f.Text(), "one\r\ntwo world");
  EXPECT_EQ(f.UndoKinds(), "ckPasteBegin ckDelete ckPaste ckPasteEnd");
  const TSrcEditUndoList& undo = f.editor.UndoList();
  for (int i = 1; i < undo.Count(); ++i) {
    EXPECT_EQ(undo.EntryAt(i).GroupNumber, undo.EntryAt(0).GroupNumber);
  }
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "hello world");
  EXPECT_FALSE(f.editor.CanUndo());
  EXPECT_EQ(f.model.SelStart(), (TBufferPos{1, 1}));
  EXPECT_EQ(f.model.SelEnd(), (TBufferPos{6, 1}));
  f.Cmd(ecRedo);
  EXPECT_EQ(f.Text(), "one\r\ntwo world");
}

TEST(UndoRedoTest, ClearAllEmptiesTextListsAndMarks) {
  TEditorFixture f({"abc"});
  f.Type("x");
  f.Cmd(ecSetMarker(3));
  f.Cmd(ecClearAll);
  EXPECT_EQ(f.model.LineCount(), 0);
  EXPECT_FALSE(f.editor.CanUndo());
  EXPECT_FALSE(f.editor.Modified());
  EXPECT_EQ(f.model.Marks().Count(), 0);
}

}  // namespace
}  // namespace torvane
