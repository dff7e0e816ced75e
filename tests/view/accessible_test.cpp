// The editor through Qt's accessibility API, as a screen reader in the same
// process sees it: text, caret, selection, lines, rectangles, wide
// characters in UTF-8 and GBK, collapsed blocks, edits that undo, and the
// events sent only while accessibility is active.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QInputMethodQueryEvent>
#include <QTest>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/support/nasm_fold_regions.h"
#include "view/accessibility_events.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

struct TRecordedEvent {
  QAccessible::Event type = QAccessible::InvalidEvent;
  int position = -1;
  QString removed;
  QString inserted;
};

std::vector<TRecordedEvent>* g_events = nullptr;

void RecordEvent(QAccessibleEvent* event) {
  if (g_events == nullptr) {
    return;
  }
  TRecordedEvent e;
  e.type = event->type();
  if (event->type() == QAccessible::TextInserted) {
    auto* insert = static_cast<QAccessibleTextInsertEvent*>(event);
    e.position = insert->changePosition();
    e.inserted = insert->textInserted();
  } else if (event->type() == QAccessible::TextRemoved) {
    auto* remove = static_cast<QAccessibleTextRemoveEvent*>(event);
    e.position = remove->changePosition();
    e.removed = remove->textRemoved();
  } else if (event->type() == QAccessible::TextUpdated) {
    auto* update = static_cast<QAccessibleTextUpdateEvent*>(event);
    e.position = update->changePosition();
    e.removed = update->textRemoved();
    e.inserted = update->textInserted();
  } else if (event->type() == QAccessible::TextCaretMoved) {
    e.position = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
  } else if (event->type() != QAccessible::TextSelectionChanged) {
    return;
  }
  g_events->push_back(e);
}

class AccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(600, 300);
    // The offscreen platform has no accessibility bridge: a listener is
    // put in its place.
    AccessibilityHooks() = {[this] { return active; }, RecordEvent};
    g_events = &events;
  }
  void TearDown() override {
    g_events = nullptr;
    AccessibilityHooks() = {};
  }
  void Load(std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
      edit.Lines().AppendLine(line);
    }
    edit.show();
    edit.setFocus();
  }
  QAccessibleInterface* Iface() { return QAccessible::queryAccessibleInterface(&edit); }
  QAccessibleTextInterface* Text() { return Iface()->textInterface(); }
  QString All() { return Text()->text(0, Text()->characterCount()); }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QTest::keyClick(&edit, key, mods);
    (void)text;
  }
  // The caret cell as input methods are told it, in global pixels.
  QPoint CaretTopLeft() {
    QInputMethodQueryEvent query(Qt::ImCursorRectangle);
    QApplication::sendEvent(&edit, &query);
    return edit.mapToGlobal(query.value(Qt::ImCursorRectangle).toRect().topLeft());
  }

  TSrcEdit edit;
  std::vector<TRecordedEvent> events;
  bool active = false;
};

TEST_F(AccessibleTest, ReadsTextCaretLinesAndWordsInUtf8) {
  ScopedCodePage page("UTF-8");
  Load({"mov eax, 1", "\xE4\xB8\xAD\xE6\x96\x87 ab", "ret"});
  QAccessibleInterface* iface = Iface();
  ASSERT_NE(iface, nullptr);
  EXPECT_EQ(iface->role(), QAccessible::EditableText);
  ASSERT_NE(iface->editableTextInterface(), nullptr);
  EXPECT_TRUE(iface->state().editable && iface->state().multiLine);
  const QString expected = QStringLiteral("mov eax, 1\n中文 ab\nret");
  EXPECT_EQ(Text()->characterCount(), expected.size());
  EXPECT_EQ(All(), expected);
  EXPECT_EQ(Text()->text(4, 13), QStringLiteral("eax, 1\n中文"));

  // Caret after moves (byte 4 of line 2 is after one wide character) and typing.
  edit.SetCaretPos({4, 2});
  EXPECT_EQ(Text()->cursorPosition(), 12);
  Key(Qt::Key_Right);
  EXPECT_EQ(Text()->cursorPosition(), 13);
  QTest::keyClicks(&edit, QStringLiteral("xy"));
  EXPECT_EQ(Text()->cursorPosition(), 15);
  EXPECT_EQ(All(), QStringLiteral("mov eax, 1\n中文xy ab\nret"));
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Text()->cursorPosition(), Text()->characterCount());
  Text()->setCursorPosition(5);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{6, 1}));

  // Lines: the first, a middle one and the last, with the break after each.
  int start = -1;
  int end = -1;
  EXPECT_EQ(Text()->textAtOffset(3, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("mov eax, 1\n"));
  EXPECT_EQ(std::pair(start, end), std::pair(0, 11));
  EXPECT_EQ(Text()->textAtOffset(13, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("中文xy ab\n"));
  EXPECT_EQ(std::pair(start, end), std::pair(11, 19));
  const int count = Text()->characterCount();
  EXPECT_EQ(Text()->textAtOffset(count, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("ret"));
  EXPECT_EQ(std::pair(start, end), std::pair(19, count));
  EXPECT_EQ(Text()->textBeforeOffset(13, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("mov eax, 1\n"));
  EXPECT_EQ(Text()->textAfterOffset(13, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("ret"));
  EXPECT_EQ(Text()->textAfterOffset(21, QAccessible::LineBoundary, &start, &end), QString());
  // Words and characters.
  EXPECT_EQ(Text()->textAtOffset(5, QAccessible::WordBoundary, &start, &end),
            QStringLiteral("eax"));
  EXPECT_EQ(std::pair(start, end), std::pair(4, 7));
  EXPECT_EQ(Text()->textAfterOffset(5, QAccessible::WordBoundary, &start, &end),
            QStringLiteral(", "));
  EXPECT_EQ(Text()->textBeforeOffset(5, QAccessible::WordBoundary, &start, &end),
            QStringLiteral(" "));
  EXPECT_EQ(Text()->textAtOffset(12, QAccessible::CharBoundary, &start, &end),
            QStringLiteral("文"));
  EXPECT_EQ(Text()->textAtOffset(12, QAccessible::NoBoundary, &start, &end), All());
}

TEST_F(AccessibleTest, SelectionBothWaysAndFromTheKeyboard) {
  Load({"abcdef", "ghij"});
  Text()->setSelection(0, 2, 9);
  EXPECT_EQ(Text()->selectionCount(), 1);
  int start = -1;
  int end = -1;
  Text()->selection(0, &start, &end);
  EXPECT_EQ(std::pair(start, end), std::pair(2, 9));
  EXPECT_EQ(Text()->cursorPosition(), 9);
  EXPECT_EQ(edit.SelectedText(), "cdef\r\ngh");
  // Backwards: the caret at the start, the same span.
  Text()->setSelection(0, 9, 2);
  Text()->selection(0, &start, &end);
  EXPECT_EQ(std::pair(start, end), std::pair(2, 9));
  EXPECT_EQ(Text()->cursorPosition(), 2);
  Text()->removeSelection(0);
  EXPECT_EQ(Text()->selectionCount(), 0);
  edit.Model().SetCaretAndDeselect({2, 1});
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Text()->selection(0, &start, &end);
  EXPECT_EQ(std::pair(start, end), std::pair(1, 3));
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Text()->selection(0, &start, &end);
  EXPECT_EQ(std::pair(start, end), std::pair(0, 1));
  EXPECT_EQ(Text()->cursorPosition(), 0);
}

TEST_F(AccessibleTest, CharacterRectanglesMeetThePaintedCaret) {
  ScopedCodePage page("UTF-8");
  Load({"\tab",
        "x\xE4\xB8\xAD"
        "y",
        "end"});
  QApplication::processEvents();
  for (const TBufferPos pos :
       {TBufferPos{1, 1}, TBufferPos{2, 1}, TBufferPos{3, 2}, TBufferPos{5, 2}, TBufferPos{4, 3}}) {
    edit.SetCaretPos(pos);
    const QRect rect = Text()->characterRect(Text()->cursorPosition());
    EXPECT_EQ(rect.topLeft(), CaretTopLeft()) << pos.Char << "," << pos.Line;
    EXPECT_EQ(rect.height(), edit.RowHeight());
    EXPECT_EQ(Text()->offsetAtPoint(rect.topLeft() + QPoint(1, 1)), Text()->cursorPosition());
  }
  // The wide character takes two cells.
  EXPECT_EQ(Text()->characterRect(5).width(), 2 * edit.ColumnWidth());
  EXPECT_EQ(Text()->offsetAtPoint(QPoint(-10000, -10000)), -1);
}

TEST_F(AccessibleTest, ScrollingToASubstringBringsItIntoView) {
  for (int i = 1; i <= 300; ++i) {
    edit.Lines().AppendLine("line " + std::to_string(i));
  }
  edit.show();
  const int offset = static_cast<int>(All().indexOf(QStringLiteral("line 250")));
  Text()->scrollToSubstring(offset, offset + 8);
  EXPECT_LE(edit.FirstVisibleRow(), 250);
  EXPECT_GT(edit.FirstVisibleRow() + edit.VisibleRows(), 250);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1, 1}));  // the caret stays
  Text()->scrollToSubstring(0, 1);
  EXPECT_EQ(edit.FirstVisibleRow(), 1);
}

TEST_F(AccessibleTest, GbkDoubleByteCharactersCountOnce) {
  ScopedCodePage page("GBK");
  Load({"\xD6\xD0\xCE\xC4 mov", "\xA1\xA1x"});
  EXPECT_EQ(Text()->characterCount(), 9);
  EXPECT_EQ(All(), QStringLiteral("中文 mov\n\u3000x"));
  edit.SetCaretPos({3, 1});
  EXPECT_EQ(Text()->cursorPosition(), 1);
  edit.SetCaretPos({3, 2});
  EXPECT_EQ(Text()->cursorPosition(), 8);
  int start = -1;
  int end = -1;
  EXPECT_EQ(Text()->textAtOffset(8, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("\u3000x"));
  Iface()->editableTextInterface()->insertText(1, QStringLiteral("字"));
  EXPECT_EQ(edit.Lines().GetLine(0), "\xD6\xD0\xD7\xD6\xCE\xC4 mov");
}

TEST_F(AccessibleTest, CollapsedLinesCountAsText) {
  Load({"start:", "%macro m 0", "  push eax", "  pop eax", "%endmacro", "ret"});
  test::AddNasmFoldRegions(edit.CodeFolding().FoldRegions());
  edit.CodeFolding().SetEnabled(true);
  edit.RescanFolds();
  const QString expanded = All();
  ASSERT_GT(edit.FoldRanges().AllCount(), 0);
  ASSERT_TRUE(edit.CollapseFold(*edit.FoldRanges().AllRange(0)));
  ASSERT_LT(edit.Lines().LineCount(), 6);
  EXPECT_EQ(All(), expanded);
  EXPECT_EQ(Text()->characterCount(), expanded.size());
  int start = -1;
  int end = -1;
  const int hidden = static_cast<int>(expanded.indexOf(QStringLiteral("pop")));
  EXPECT_EQ(Text()->textAtOffset(hidden, QAccessible::LineBoundary, &start, &end),
            QStringLiteral("  pop eax\n"));
  // The line after the block keeps its offset; typing there is told there.
  edit.SetCaretPos({1, edit.Lines().LineCount()});
  EXPECT_EQ(Text()->cursorPosition(), expanded.indexOf(QStringLiteral("ret")));
  // Putting the caret on a hidden line opens its block.
  Text()->setCursorPosition(hidden);
  EXPECT_EQ(edit.Lines().LineCount(), 6);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{3, 4}));
}

TEST_F(AccessibleTest, EditsGoThroughTheCommandPathAndUndo) {
  Load({"mov eax, 1", "ret"});
  QAccessibleEditableTextInterface* editable = Iface()->editableTextInterface();
  editable->insertText(4, QStringLiteral("ebx\n"));
  EXPECT_EQ(All(), QStringLiteral("mov ebx\neax, 1\nret"));
  editable->deleteText(0, 4);
  EXPECT_EQ(All(), QStringLiteral("ebx\neax, 1\nret"));
  editable->replaceText(4, 7, QStringLiteral("ecx"));
  EXPECT_EQ(All(), QStringLiteral("ebx\necx, 1\nret"));
  EXPECT_TRUE(edit.Controller().Modified());
  for (int i = 0; i < 3; ++i) {
    edit.ProcessCommand(ecUndo);
  }
  EXPECT_EQ(All(), QStringLiteral("mov eax, 1\nret"));
  edit.SetReadOnly(true);
  editable->insertText(0, QStringLiteral("x"));
  EXPECT_EQ(All(), QStringLiteral("mov eax, 1\nret"));
  EXPECT_TRUE(Iface()->state().readOnly);
}

TEST_F(AccessibleTest, EventsOnlyWhileActiveOncePerBatch) {
  Load({"abc", "def"});
  Text();  // the interface exists, no listener yet
  edit.SetCaretPos({4, 1});
  QTest::keyClicks(&edit, QStringLiteral("x"));
  EXPECT_TRUE(events.empty());
  // Qt makes the interface for any focus event: without a reader that
  // asks, nothing is counted (a file opened would be counted line by line).
  EXPECT_FALSE(edit.HasAccessibility());

  active = true;
  EXPECT_EQ(All(), QStringLiteral("abcx\ndef"));  // a reader starts by reading
  QTest::keyClicks(&edit, QStringLiteral("y"));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, QAccessible::TextInserted);
  EXPECT_EQ(events[0].position, 4);
  EXPECT_EQ(events[0].inserted, QStringLiteral("y"));
  EXPECT_EQ(events[1].type, QAccessible::TextCaretMoved);
  EXPECT_EQ(events[1].position, 5);

  // Three lines pasted: one insertion with just their text.
  events.clear();
  edit.Controller().ReplaceSelectionByMessage(true, "1\r\n2\r\n3");
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].type, QAccessible::TextInserted);
  EXPECT_EQ(events[0].inserted, QStringLiteral("1\n2\n3"));
  EXPECT_EQ(events[0].position, 5);
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const TRecordedEvent& e) {
                            return e.position >= 0 && e.type != QAccessible::TextCaretMoved;
                          }),
            1);

  // A line joined by Backspace: one removed break.
  events.clear();
  edit.SetCaretPos({1, 2});
  events.clear();
  Key(Qt::Key_Backspace);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].type, QAccessible::TextRemoved);
  EXPECT_EQ(events[0].removed, QStringLiteral("\n"));

  // A selection made and dropped is told.
  events.clear();
  Key(Qt::Key_Left, Qt::ShiftModifier);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].type, QAccessible::TextSelectionChanged);

  active = false;
  events.clear();
  QTest::keyClicks(&edit, QStringLiteral("z"));
  EXPECT_TRUE(events.empty());

  // Listened to with Qt's own delivery (a no-op without a bridge): events
  // go out once and return (a fault here once sent them round forever).
  AccessibilityHooks() = {[] { return true; }, nullptr};
  QTest::keyClicks(&edit, QStringLiteral("w"));
  const int before = Text()->cursorPosition();
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(Text()->cursorPosition(), before - 1);
}

}  // namespace
}  // namespace torvane
