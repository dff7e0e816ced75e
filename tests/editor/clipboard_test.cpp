// Copy, cut and paste through the system clipboard: the plain text other
// programs read and the private block entry with the mode and exact bytes.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

const QString kBlockFormat = QStringLiteral("SrcEdit Control Block Type");

QByteArray Block() {
  return QGuiApplication::clipboard()->mimeData()->data(kBlockFormat);
}

TEST(ClipboardTest, ColumnCopyKeepsItsPaddingWhenTrimming) {
  TEditorFixture f({"abcdef", "ab", "abcdef"});
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoTrimTrailingSpaces));
  f.model.SetSelectionMode(smColumn);
  f.Select({2, 1}, {5, 3});
  f.Cmd(ecCopy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "bcd\r\nb  \r\nbcd");
  EXPECT_EQ(Block(), QByteArray("\x02"
                                "bcd\r\nb  \r\nbcd",
                                14) +
                         QByteArray(1, '\0'));
  EXPECT_TRUE(f.model.HasOption(eoTrimTrailingSpaces));

  // Pasted back as a block in column mode.
  f.Select({1, 1}, {1, 1});
  f.Caret(7, 1);
  f.Cmd(ecPaste);
  EXPECT_EQ(f.Text(), "abcdefbcd\r\nab    b\r\nabcdefbcd");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "abcdef\r\nab\r\nabcdef");
}

TEST(ClipboardTest, NulInsideTheSelectionSurvivesTheBlockFormat) {
  TEditorFixture f({std::string("a\0b", 3), "c"});
  f.Select({1, 1}, {2, 2});
  f.Cmd(ecCut);
  EXPECT_EQ(f.Text(), "");
  f.Cmd(ecPaste);
  EXPECT_EQ(f.Text(), std::string("a\0b\r\nc", 6));
  f.Cmd(ecUndo);
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), std::string("a\0b\r\nc", 6));
}

TEST(ClipboardTest, LineBlocksGoInFrontOfTheCaretLine) {
  TEditorFixture f({"one", "two", "three"});
  f.model.SetSelectionMode(smLine);
  f.Select({2, 1}, {1, 1});
  f.Cmd(ecCopy);
  EXPECT_EQ(Block().at(0), char(smLine));
  f.model.SetSelectionMode(smNormal);
  f.Caret(3, 3);
  f.Cmd(ecPaste);  // in normal mode the lines are plain text
  EXPECT_EQ(f.Text(), "one\r\ntwo\r\nthone\r\nree");
  f.Cmd(ecUndo);
  f.model.SetSelectionMode(smLine);
  f.Caret(3, 3);
  f.Cmd(ecPaste);
  EXPECT_EQ(f.Text(), "one\r\ntwo\r\none\r\nthree");
  f.Cmd(ecUndo);
  EXPECT_EQ(f.Text(), "one\r\ntwo\r\nthree");
}

TEST(ClipboardTest, PlainTextFromOtherProgramsAndEmptyClipboards) {
  TEditorFixture f({""});
  QGuiApplication::clipboard()->clear();
  EXPECT_FALSE(f.editor.CanPaste());
  f.Cmd(ecPaste);
  EXPECT_EQ(f.editor.UndoList().Count(), 0);
  QGuiApplication::clipboard()->setText(QString::fromUtf8("caf\xC3\xA9"));
  EXPECT_TRUE(f.editor.CanPaste());
  f.Cmd(ecPaste);
  EXPECT_EQ(f.Text(), "caf\xC3\xA9");
  f.model.SetReadOnly(true);
  EXPECT_FALSE(f.editor.CanPaste());
}

}  // namespace
}  // namespace torvane
