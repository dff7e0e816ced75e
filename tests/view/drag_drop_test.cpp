// Dragging selected text within one editor and between two, and dropped
// files.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "input_test_support.h"

namespace torvane {
namespace {

class DragDropTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    swallow = false;
    edit.Lines().AppendLine("mov ax, bx");
    edit.Lines().AppendLine("ret");
    other.resize(500, 300);
    other.Lines().AppendLine("nop");
    other.show();
  }
  // Selects the characters [from, to) of a line with the mouse.
  void Select(TSrcEdit& e, int line, int from, int to) {
    e.Model().PlaceCaretAndSelection({to, line}, {from, line}, {to, line});
  }
  static QPoint AtOf(TSrcEdit& e, int column, int row) {
    const QPoint p = RowColumnToPixels(e.Metrics(), {column, row});
    return {p.x() + 1, p.y() + e.RowHeight() / 2};
  }
  // Starts a drag from inside edit's selection and drops it on `target`.
  void DragAndDrop(TSrcEdit& target, QPoint drop, Qt::KeyboardModifiers mods) {
    edit.Input().OnStartDrag = [&](TCustomSrcEdit&, QMimeData* data) {
      SendDrop(target, drop, data, mods);
    };
    const QPoint inside = At(edit.SelStart().Char + 1, edit.SelStart().Line);
    Press(inside);
    DragTo(inside + QPoint(QApplication::startDragDistance() + 1, 0));
    Release(inside);
  }
  std::string Text(TSrcEdit& e) { return e.Lines().GetAllText(); }
  // Qt delivers a drop to the widget that accepted the drag's entry.
  static void SendDrop(TSrcEdit& target, QPoint p, const QMimeData* data,
                       Qt::KeyboardModifiers mods) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(p, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(target.viewport(), &enter);
    QDropEvent drop(p, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(target.viewport(), &drop);
  }

  TSrcEdit other;
};

TEST_F(DragDropTest, MovingAndCopyingWithinOneEditorIsOneUndoStep) {
  Select(edit, 1, 1, 4);  // "mov"
  DragAndDrop(edit, At(1, 2), Qt::NoModifier);
  EXPECT_EQ(Text(edit), " ax, bx\r\nmovret");
  EXPECT_EQ(edit.SelectedText(), "mov");
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1, 2}));
  edit.ProcessCommand(ecUndo);
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");

  // Ctrl copies; dropping after the selection on its own line.
  Select(edit, 1, 1, 4);
  DragAndDrop(edit, At(8, 1), Qt::ControlModifier);
  EXPECT_EQ(Text(edit), "mov ax,mov bx\r\nret");
  edit.ProcessCommand(ecUndo);
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");

  // Moving behind the selection on the same line closes the gap first.
  Select(edit, 1, 1, 4);
  DragAndDrop(edit, At(8, 1), Qt::NoModifier);
  EXPECT_EQ(Text(edit), " ax,mov bx\r\nret");
}

TEST_F(DragDropTest, DroppingOntoTheSelectionItselfChangesNothing) {
  Select(edit, 1, 5, 8);  // "ax,"
  const int undo = edit.Controller().UndoList().Count();
  DragAndDrop(edit, At(6, 1), Qt::NoModifier);
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");
  // At its end: copying does nothing either.
  Select(edit, 1, 5, 8);
  DragAndDrop(edit, At(8, 1), Qt::ControlModifier);
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");
  EXPECT_EQ(edit.Controller().UndoList().Count(), undo);
  // A read-only target refuses.
  edit.SetReadOnly(true);
  Select(edit, 1, 1, 4);
  DragAndDrop(edit, At(1, 2), Qt::NoModifier);
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");
}

TEST_F(DragDropTest, BetweenTwoEditorsCopiesAndShiftMoves) {
  Select(edit, 1, 5, 7);  // "ax"
  DragAndDrop(other, AtOf(other, 4, 1), Qt::NoModifier);
  EXPECT_EQ(Text(other), "nopax");
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");
  other.ProcessCommand(ecUndo);
  EXPECT_EQ(Text(other), "nop");

  Select(edit, 1, 5, 7);
  DragAndDrop(other, AtOf(other, 1, 1), Qt::ShiftModifier);
  EXPECT_EQ(Text(other), "axnop");
  EXPECT_EQ(Text(edit), "mov , bx\r\nret");
  other.ProcessCommand(ecUndo);
  edit.ProcessCommand(ecUndo);
  EXPECT_EQ(Text(other), "nop");
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");
}

TEST_F(DragDropTest, DropOntoALineOrColumnModeEditorIsUndoneExactly) {
  other.Lines().AppendLine("push rax");
  other.Lines().AppendLine("pop");
  const std::string before = Text(other);
  for (const TSrcSelectionMode mode : {smColumn, smLine}) {
    SCOPED_TRACE(mode);
    other.SetSelectionMode(mode);
    // Two lines of different widths from the first editor, dropped at
    // column 2 of the target's first line.
    edit.SetSelectionMode(smNormal);
    edit.Model().PlaceCaretAndSelection({3, 2}, {5, 1}, {3, 2});
    ASSERT_EQ(edit.SelectedText(), "ax, bx\r\nre");
    DragAndDrop(other, AtOf(other, 2, 1), Qt::NoModifier);
    const std::string dropped = Text(other);
    EXPECT_NE(dropped, before);
    other.ProcessCommand(ecUndo);
    EXPECT_EQ(Text(other), before);
    other.ProcessCommand(ecRedo);
    EXPECT_EQ(Text(other), dropped);
    other.ProcessCommand(ecUndo);
    EXPECT_EQ(Text(other), before);
  }
}

TEST_F(DragDropTest, DroppedFilesReachTheHandlerOnlyWithTheOption) {
  QStringList names;
  QPoint where;
  edit.Input().OnDropFiles = [&](TCustomSrcEdit&, QPoint p, const QStringList& files) {
    names = files;
    where = p;
  };
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/tmp/boot.asm"), QUrl("https://example.org/x")});
  auto drop = [&] { SendDrop(edit, QPoint(40, 20), &data, Qt::NoModifier); };
  drop();
  EXPECT_TRUE(names.isEmpty());
  SetOption(eoDropFiles, true);
  drop();
  EXPECT_EQ(names, QStringList{"/tmp/boot.asm"});
  EXPECT_EQ(where, QPoint(40, 20));
  EXPECT_EQ(Text(edit), "mov ax, bx\r\nret");
}

}  // namespace
}  // namespace torvane
