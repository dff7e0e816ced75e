// Lines longer than MaxScrollWidth: every character is reachable, End goes
// to the real end, the view scrolls to the caret there and typing and its
// undo are exact.
#include <gtest/gtest.h>

#include <string>

#include "editor/edit_controller.h"
#include "view/scroll_rules.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

TEST(LongLineTest, ScrollWidthGrowsToTheLongestLine) {
  TScrollExtent e;
  e.VisibleColumns = 80;
  e.LongestLineLength = 1204;
  e.Options.Include(eoScrollPastEol);
  EXPECT_EQ(HorizontalScrollWidth(e), 1205);  // MaxScrollWidth 1024 is a minimum
  EXPECT_EQ(ClampFirstVisibleColumn(5000, e), 1205 - 80 + 1);
  EXPECT_EQ(ComputeHorizontalBar(e, 1).Info.nMax, 1205);
  EXPECT_EQ(HorizontalScrollTarget(SB_RIGHT, 0, 1, e), 1205 - 80 + 1);
  e.LongestLineLength = 10;
  EXPECT_EQ(HorizontalScrollWidth(e), 1024);
  e.LongestLineLength = 2147483647;
  EXPECT_EQ(HorizontalScrollWidth(e), 2147483647);
}

TEST(LongLineTest, CaretReachesEveryCharacterAndTheViewFollows) {
  TSrcEdit edit;
  edit.resize(600, 300);
  std::string line;
  for (int i = 0; line.size() < 1204; ++i) {
    line += "mov eax, " + std::to_string(i) + "; ";
  }
  line.resize(1204, 'x');
  edit.Lines().SetAllText(line + "\nshort");
  edit.show();
  TSrcEditController& c = edit.Controller();
  c.ProcessCommand(ecEditorTop);
  c.ProcessCommand(ecLineEnd);
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1205, 1}));
  // The caret column is on screen.
  EXPECT_LE(edit.FirstVisibleColumn(), 1205);
  EXPECT_GT(edit.FirstVisibleColumn() + edit.VisibleColumns(), 1205);
  for (const char ch : std::string("abc")) {
    c.ProcessCommand(ecChar, ch);
  }
  EXPECT_EQ(std::string(edit.Lines().GetLine(0)), line + "abc");
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1208, 1}));
  c.ProcessCommand(ecUndo);
  EXPECT_EQ(std::string(edit.Lines().GetLine(0)), line);

  // Inside the text beyond MaxScrollWidth, and a selection there.
  edit.SetCaretPos({1100, 1});
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1100, 1}));
  c.ProcessCommand(ecSelLineEnd);
  EXPECT_EQ(edit.Model().SelectionAnchor(), (TBufferPos{1100, 1}));
  EXPECT_EQ(edit.Model().SelectionActiveEnd(), (TBufferPos{1205, 1}));
  // Past the end of a short line the caret still stops at MaxScrollWidth + 1.
  edit.SetCaretPos({5000, 2});
  EXPECT_EQ(edit.CaretPos(), (TBufferPos{1025, 2}));
}

}  // namespace
}  // namespace torvane
