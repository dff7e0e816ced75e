// The command path (events, hooked handlers, the executor frame) and the
// commands that move the caret: Home, End, pages, words, brackets, marks.
#include <gtest/gtest.h>

#include "highlight/asm_highlighter.h"
#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

class TCountingHandler : public ISrcEditCommandHandler {
 public:
  void HookedCommand(bool after, bool& handled, TSrcEditorCommand& command, char&, void*,
                     void*) override {
    (after ? after_calls : before_calls) += 1;
    if (swallow == command) {
      handled = true;
    }
  }
  int before_calls = 0;
  int after_calls = 0;
  TSrcEditorCommand swallow = ecNone;
};

TEST(CommandPathTest, EventsAndHandlersAroundTheExecutor) {
  TEditorFixture f({"abc"});
  TCountingHandler handler;
  int data = 0;
  f.editor.RegisterCommandHandler(&handler, &data);
  f.editor.RegisterCommandHandler(&handler, &data);
  f.editor.RegisterCommandHandler(nullptr, &data);
  std::vector<TSrcEditorCommand> processed;
  f.editor.OnCommandProcessed = [&](TSrcEditorCommand& c, char&, void*) { processed.push_back(c); };
  f.Type("x");
  EXPECT_EQ(handler.before_calls, 1);
  EXPECT_EQ(handler.after_calls, 1);

  // A handler that swallows the command keeps it from running.
  handler.swallow = ecChar;
  f.Type("y");
  EXPECT_EQ(f.Text(), "xabc");
  EXPECT_EQ(processed.back(), ecNone);

  // The event may turn one command into another.
  f.editor.OnProcessCommand = [](TSrcEditorCommand& c, char&, void*) {
    if (c == ecRight) {
      c = ecLineEnd;
    }
  };
  f.Cmd(ecRight);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{5, 1}));

  // User commands reach only their event, the handlers and the end event.
  int user_calls = 0;
  f.editor.OnProcessUserCommand = [&](TSrcEditorCommand&, char&, void*) { ++user_calls; };
  f.Cmd(1001);
  EXPECT_EQ(user_calls, 1);
  EXPECT_EQ(processed.back(), 1001);

  f.editor.UnregisterCommandHandler(&handler, &data);
  handler.swallow = ecNone;
  f.Type("z");
  EXPECT_EQ(handler.before_calls, 4);
}

TEST(CaretCommandsTest, HomeEndAndPages) {
  TEditorFixture f({"    mov eax, 1   "});
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoEnhanceHomeKey));
  f.Caret(9, 1);
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretChar(), 5);
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretChar(), 1);
  f.Cmd(ecLineStart);
  EXPECT_EQ(f.model.CaretChar(), 5);
  f.Cmd(ecLineEnd);
  EXPECT_EQ(f.model.CaretChar(), 15);
  f.Cmd(ecLineEnd);
  EXPECT_EQ(f.model.CaretChar(), 18);
  f.Cmd(ecSelLineStart);
  EXPECT_EQ(f.model.SelectedText(), "mov eax, 1");

  std::vector<std::string> lines(100, "x");
  TEditorFixture p(lines);
  p.editor.Scrolling().SetWindowSize(20, 80);
  p.Cmd(ecPageDown);
  EXPECT_EQ(p.model.CaretLine(), 21);
  p.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoHalfPageScroll));
  p.Cmd(ecPageDown);
  EXPECT_EQ(p.model.CaretLine(), 31);
  p.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions)
                           .Include(eoHalfPageScroll)
                           .Include(eoScrollByOneLess));
  p.Cmd(ecPageUp);
  EXPECT_EQ(p.model.CaretLine(), 22);
  p.Cmd(ecEditorBottom);
  EXPECT_EQ(p.model.CaretPos(), (TBufferPos{2, 100}));
  p.Cmd(ecSelEditorTop);
  EXPECT_EQ(p.model.SelStart(), (TBufferPos{1, 1}));
  EXPECT_EQ(p.model.SelEnd(), (TBufferPos{2, 100}));
  TBufferPos target{1, 50};
  p.Cmd(ecGotoXY, 0, &target);
  EXPECT_EQ(p.model.CaretPos(), target);
  EXPECT_FALSE(p.model.HasSelection());
}

TEST(CaretCommandsTest, WordMovesStopAtMultiByteRuns) {
  ScopedCodePage page("UTF-8");
  // "mov" + two CJK characters + ", x"
  TEditorFixture f({"mov\xE4\xB8\xAD\xE6\x96\x87, x", "next"});
  f.Cmd(ecWordRight);
  EXPECT_EQ(f.model.CaretChar(), 4);
  f.Cmd(ecWordRight);
  EXPECT_EQ(f.model.CaretChar(), 12);
  f.Cmd(ecWordRight);
  EXPECT_EQ(f.model.CaretChar(), 13);
  f.Cmd(ecWordRight);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 2}));
  f.Cmd(ecWordLeft);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{13, 1}));
  f.Cmd(ecWordLeft);
  EXPECT_EQ(f.model.CaretChar(), 12);
  f.Cmd(ecWordLeft);
  EXPECT_EQ(f.model.CaretChar(), 4);
  f.Cmd(ecWordLeft);
  EXPECT_EQ(f.model.CaretChar(), 1);
}

TEST(CaretCommandsTest, MatchBracketSkipsStringsAndComments) {
  TEditorFixture f({"push (eax ')' ; )", "  [a (b) ])"});
  TSrcAsmHighlighter highlighter;
  f.editor.SetHighlighter(&highlighter);
  f.Caret(6, 1);
  f.Cmd(ecMatchBracket);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{11, 2}));
  f.Cmd(ecMatchBracket);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{6, 1}));
  f.Caret(3, 2);
  f.Cmd(ecMatchBracket);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 2}));
  f.Caret(2, 1);
  f.Cmd(ecMatchBracket);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{1, 1}));
}

TEST(CaretCommandsTest, BookmarksToggleAndJump) {
  TEditorFixture f({"a", "b", "c"});
  int placed = 0;
  int cleared = 0;
  f.editor.OnPlaceBookmark = [&](std::unique_ptr<TSrcEditMark>&) { ++placed; };
  f.editor.OnClearBookmark = [&](const TSrcEditMark&) { ++cleared; };
  f.Caret(2, 2);
  f.Cmd(ecSetMarker(1));
  f.Caret(1, 1);
  f.Cmd(ecGotoMarker(1));
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{2, 2}));
  f.Cmd(ecSetMarker(1));  // same line: toggles it off
  EXPECT_EQ(f.model.Marks().FindBookmark(1), nullptr);
  EXPECT_EQ(placed, 1);
  EXPECT_EQ(cleared, 1);

  // A veto takes the new mark away; inserted lines move marks down.
  f.Cmd(ecSetMarker(2));
  f.Caret(1, 1);
  f.Cmd(ecLineBreak);
  ASSERT_NE(f.model.Marks().FindBookmark(2), nullptr);
  EXPECT_EQ(f.model.Marks().FindBookmark(2)->Line(), 3);
  f.editor.OnPlaceBookmark = [](std::unique_ptr<TSrcEditMark>& mark) { mark.reset(); };
  f.Cmd(ecSetMarker(4));
  EXPECT_EQ(f.model.Marks().FindBookmark(4), nullptr);
}

TEST(CaretCommandsTest, MarksStayWithTheirLineThroughWholeLineEditsAndUndo) {
  // A line break at a line's start and Ctrl+Y above it move the line, not
  // change it: its mark goes with it, also through undo and redo, and the
  // line is not written (its trailing blanks are not trimmed).
  TEditorFixture f({"a", "b", "c  ", "d"});
  f.model.ApplyOptions(TSrcEditorOptions(kDefaultEditorOptions).Include(eoTrimTrailingSpaces));
  f.Caret(1, 3);
  f.Cmd(ecSetMarker(1));
  const auto mark_line = [&] { return f.model.Marks().FindBookmark(1)->Line(); };
  f.Cmd(ecLineBreak);
  EXPECT_EQ(mark_line(), 4);
  EXPECT_EQ(f.Line(4), "c  ");
  f.Cmd(ecUndo);
  EXPECT_EQ(mark_line(), 3);
  f.Caret(1, 2);
  f.Cmd(ecDeleteLine);
  EXPECT_EQ(mark_line(), 2);
  f.Cmd(ecUndo);
  EXPECT_EQ(mark_line(), 3);
  f.Cmd(ecRedo);
  EXPECT_EQ(mark_line(), 2);
  EXPECT_EQ(f.Text(), "a\r\nc  \r\nd");
  // Whole lines pasted at a line's start go in above it.
  f.Caret(1, 2);
  f.Cmd(ecUndo);
  f.Select({1, 1}, {1, 3});
  f.Cmd(ecCopy);
  f.Caret(1, 3);
  f.Cmd(ecPaste);
  EXPECT_EQ(mark_line(), 5);
  EXPECT_EQ(f.Text(), "a\r\nb\r\na\r\nb\r\nc  \r\nd");
}

TEST(CommandPathTest, CollapsedFoldHeaderBlocksEditsNotMoves) {
  TEditorFixture f({"abc", "def"});
  f.editor.IsCaretOnCollapsedFold = [] { return true; };
  f.Type("x");
  f.Cmd(ecDeleteLastChar);
  f.Cmd(ecTab);
  f.Cmd(ecPaste);
  EXPECT_EQ(f.Text(), "abc\r\ndef");
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretLine(), 2);

  std::string word;
  f.editor.OnContextHelp = [&](const std::string& w) { word = w; };
  f.Caret(2, 2);
  f.Cmd(ecContextHelp);
  EXPECT_EQ(word, "def");
}

}  // namespace
}  // namespace torvane
