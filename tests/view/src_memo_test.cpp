// Edit-control messages sent to a memo through Perform.
#include "view/src_memo.h"

#include <gtest/gtest.h>

#include <cstring>

#include "editor/edit_messages.h"
#include "view/pixel_conversions.h"

namespace torvane {
namespace {

class SrcMemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memo.resize(400, 200);
    memo.Lines().AppendLine("ab");
    memo.Lines().AppendLine("c");
    memo.Lines().AppendLine("mov ax, bx");
  }
  std::intptr_t Send(std::uint32_t message, std::uintptr_t w = 0, std::intptr_t l = 0) {
    return memo.Perform(message, w, l);
  }
  static std::uintptr_t Ptr(void* p) { return reinterpret_cast<std::uintptr_t>(p); }
  TSrcMemo memo;
};

TEST_F(SrcMemoTest, SelectionByCharacterIndex) {
  memo.SetCaretPos({2, 2});
  std::uint32_t start = 99;
  std::uint32_t end = 99;
  EXPECT_EQ(Send(EM_GETSEL, Ptr(&start), static_cast<std::intptr_t>(Ptr(&end))), 5 | (5 << 16));
  EXPECT_EQ(start, 5u);
  EXPECT_EQ(end, 5u);
  EXPECT_EQ(Send(EM_GETSEL), 5 | (5 << 16));  // null pointers receive nothing

  Send(EM_SETSEL, 1, 7);
  EXPECT_EQ(memo.SelStart(), (TBufferPos{2, 1}));
  EXPECT_EQ(memo.SelEnd(), (TBufferPos{1, 3}));
  EXPECT_EQ(memo.SelStartIndex(), 1);
  EXPECT_EQ(memo.SelEndIndex(), 7);
  // An index inside a line break stands at that line's end.
  Send(EM_SETSEL, 1, 6);
  EXPECT_EQ(memo.SelEnd(), (TBufferPos{2, 2}));

  // -1 stands before the text: nothing is selected.
  Send(EM_SETSEL, 0, -1);
  EXPECT_FALSE(memo.HasSelection());
  EXPECT_EQ(memo.CaretPos(), (TBufferPos{1, 1}));

  Send(EM_SETSEL, 7, 10);
  char text[16];
  std::memset(text, '#', sizeof text);
  EXPECT_EQ(Send(EM_GETSELTEXT, 0, reinterpret_cast<std::intptr_t>(text)), 3);
  EXPECT_STREQ(text, "mov");
  EXPECT_EQ(text[4], '#');
  EXPECT_EQ(Send(EM_GETSELTEXT, 0, 0), 3);
}

TEST_F(SrcMemoTest, LinesAndTextIntoBoundedBuffers) {
  EXPECT_EQ(Send(EM_GETLINECOUNT), 3);
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  const std::uint16_t four = 4;
  std::memcpy(buffer, &four, sizeof four);
  EXPECT_EQ(Send(EM_GETLINE, 2, reinterpret_cast<std::intptr_t>(buffer)), 3);
  EXPECT_STREQ(buffer, "mov");
  EXPECT_EQ(buffer[4], '#');
  std::memcpy(buffer, &four, sizeof four);
  EXPECT_EQ(Send(EM_GETLINE, 5, reinterpret_cast<std::intptr_t>(buffer)), 0);
  EXPECT_EQ(Send(EM_GETLINE, 0, 0), 0);

  EXPECT_EQ(Send(WM_GETTEXTLENGTH), 2 + 2 + 1 + 2 + 10);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(Send(WM_GETTEXT, 6, reinterpret_cast<std::intptr_t>(buffer)), 5);
  EXPECT_STREQ(buffer, "ab\r\nc");
  EXPECT_EQ(buffer[6], '#');
  EXPECT_EQ(Send(WM_GETTEXT, 0, reinterpret_cast<std::intptr_t>(buffer)), 0);
  EXPECT_EQ(Send(WM_GETTEXT, 6, 0), 0);
}

TEST_F(SrcMemoTest, CharacterFromAPointAndTheTopLine) {
  const QPoint p = RowColumnToPixels(memo.Metrics(), {7, 3});
  const auto lparam = static_cast<std::intptr_t>((p.x() + 1) | ((p.y() + 1) << 16));
  EXPECT_EQ(Send(EM_CHARFROMPOS, 0, lparam), 6 | (2 << 16));
  // Beyond a line's end: its length + 1.
  const QPoint q = RowColumnToPixels(memo.Metrics(), {30, 2});
  EXPECT_EQ(Send(EM_CHARFROMPOS, 0, (q.x() + 1) | ((q.y() + 1) << 16)), 1 | (1 << 16));
  // Beyond the last line: character 1.
  const QPoint r = RowColumnToPixels(memo.Metrics(), {5, 6});
  EXPECT_EQ(Send(EM_CHARFROMPOS, 0, (r.x() + 1) | ((r.y() + 1) << 16)), 0 | (5 << 16));
  EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 0);
}

TEST_F(SrcMemoTest, ReplacingTheSelectionWithAndWithoutUndo) {
  std::string text = "xor";
  Send(EM_SETSEL, 7, 10);
  Send(EM_REPLACESEL, 1, reinterpret_cast<std::intptr_t>(text.c_str()));
  EXPECT_EQ(memo.Lines().GetLine(2), "xor ax, bx");
  EXPECT_EQ(Send(EM_GETMODIFY), 1);
  EXPECT_EQ(Send(EM_CANUNDO), 1);
  EXPECT_EQ(Send(EM_UNDO), 1);  // one step takes back both halves
  EXPECT_EQ(memo.Lines().GetLine(2), "mov ax, bx");
  EXPECT_EQ(Send(EM_CANUNDO), 0);
  EXPECT_EQ(Send(EM_UNDO), 0);
  EXPECT_EQ(Send(EM_GETMODIFY), 0);

  Send(EM_SETSEL, 7, 10);
  Send(EM_REPLACESEL, 0, reinterpret_cast<std::intptr_t>(text.c_str()));
  EXPECT_EQ(memo.Lines().GetLine(2), "xor ax, bx");
  EXPECT_EQ(Send(EM_CANUNDO), 0);    // nothing recorded,
  EXPECT_EQ(Send(EM_GETMODIFY), 1);  // but the text changed
  Send(EM_REPLACESEL, 1, 0);         // no text: nothing happens
  EXPECT_EQ(memo.Lines().GetLine(2), "xor ax, bx");
  Send(EM_SETMODIFY, 0);
  EXPECT_EQ(Send(EM_GETMODIFY), 0);

  memo.SetReadOnly(true);
  Send(EM_SETSEL, 0, 2);
  Send(EM_REPLACESEL, 1, reinterpret_cast<std::intptr_t>(text.c_str()));
  EXPECT_EQ(memo.Lines().GetLine(0), "ab");
  memo.SetReadOnly(false);

  // Setting the window text is one undo step.
  const std::string replaced = "db 1\r\ndb 2";
  EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(replaced.c_str())), 1);
  EXPECT_EQ(memo.Lines().GetAllText(), replaced);
  EXPECT_EQ(Send(WM_UNDO), 1);
  EXPECT_EQ(memo.Lines().GetAllText(), "ab\r\nc\r\nxor ax, bx");
}

// Text replacing a line or column selection is recorded in the mode it went
// in with, so undo gives back exactly the text before; setting the window
// text replaces the text whatever the selection mode.
TEST_F(SrcMemoTest, MessagesReplaceExactlyInEveryMode) {
  const std::string original = "abcdef\r\nghijkl\r\nmnopqr";
  const std::string block = "X\r\nYY";
  for (const TSrcSelectionMode mode : {smNormal, smLine, smColumn}) {
    memo.Lines().SetAllText(original);
    memo.SetSelectionMode(mode);
    memo.Model().PlaceCaretAndSelection({3, 2}, {2, 1}, {3, 2});
    Send(EM_REPLACESEL, 1, reinterpret_cast<std::intptr_t>(block.c_str()));
    const std::string replaced = memo.Lines().GetAllText();
    EXPECT_NE(replaced, original);
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(memo.Lines().GetAllText(), original) << mode;
    memo.Controller().Redo();
    EXPECT_EQ(memo.Lines().GetAllText(), replaced) << mode;

    EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(block.c_str())), 1);
    EXPECT_EQ(memo.Lines().GetAllText(), block) << mode;
    EXPECT_EQ(memo.SelectionMode(), mode);
    EXPECT_EQ(Send(WM_UNDO), 1);
    EXPECT_EQ(memo.Lines().GetAllText(), replaced) << mode;
  }
  memo.Lines().SetAllText(original);
  memo.SetSelectionMode(smColumn);
  memo.Model().PlaceCaretAndSelection({3, 2}, {2, 1}, {3, 2});
  Send(EM_REPLACESEL, 1, reinterpret_cast<std::intptr_t>(block.c_str()));
  EXPECT_EQ(memo.Lines().GetAllText(), "aXcdef\r\ngYYijkl\r\nmnopqr");
}

}  // namespace
}  // namespace torvane
