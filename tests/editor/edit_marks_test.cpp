// Marks: repaint rules, the per-line collection and how marks follow lines
// inserted into and removed from the model's line store.
#include "editor/edit_marks.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/edit_model.h"

namespace torvane {
namespace {

std::unique_ptr<TSrcEditMark> MarkOn(int line, int slot = -1, bool visible = true) {
  auto mark = std::make_unique<TSrcEditMark>();
  mark->SetLine(line);
  mark->SetBookmarkSlot(slot);
  mark->SetVisible(visible);
  return mark;
}

TEST(EditMarks, RepaintRulesOfAMark) {
  std::vector<int> repainted;
  TSrcEditMark mark([&](int line) { repainted.push_back(line); });
  mark.SetLine(4);  // invisible: only stored
  EXPECT_TRUE(repainted.empty());
  mark.SetVisible(true);
  EXPECT_EQ(repainted, std::vector<int>({4}));
  repainted.clear();
  mark.SetLine(9);
  EXPECT_EQ(repainted, std::vector<int>({4, 9}));
  repainted.clear();
  mark.SetLine(0);  // off every line: only the old row
  EXPECT_EQ(repainted, std::vector<int>({9}));
  mark.SetLine(2);
  repainted.clear();
  mark.SetGlyphIndex(3);
  mark.SetUseBuiltInImage(true);
  EXPECT_EQ(repainted, std::vector<int>({2, 2}));
  EXPECT_FALSE(mark.IsNumberedBookmark());
  mark.SetBookmarkSlot(0);
  EXPECT_TRUE(mark.IsNumberedBookmark());
}

TEST(EditMarks, ListNotifiesAndCollectsLineMarksInOrder) {
  TSrcEditMarkList list;
  int changes = 0;
  std::vector<int> rows;
  list.OnChange = [&] { ++changes; };
  list.OnMarkChange = [&](int line) { rows.push_back(line); };
  TSrcEditMark& first = list.Add(MarkOn(3, 1));
  list.Add(MarkOn(5));
  TSrcEditMark& third = list.Add(MarkOn(3));
  EXPECT_EQ(changes, 3);
  first.SetGlyphIndex(1);  // the list's handler was handed to the mark
  EXPECT_EQ(rows, std::vector<int>({3}));

  TSrcEditMarks marks;
  ASSERT_EQ(list.CollectLineMarks(3, marks), 2);
  EXPECT_EQ(marks[0], &first);
  EXPECT_EQ(marks[1], &third);
  EXPECT_EQ(marks[2], nullptr);
  EXPECT_EQ(list.FindBookmark(1), &first);
  EXPECT_EQ(list.FindBookmark(2), nullptr);

  list.Delete(1);  // no notification
  EXPECT_EQ(changes, 3);
  list.Delete(7);  // out of range: nothing
  list.Remove(&first);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(&list.Item(0), &third);
  list.Remove(&first);  // no longer there
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_EQ(changes, 5);
  EXPECT_TRUE(list.Empty());
}

TEST(EditMarks, CollectStopsAfterSeventeen) {
  TSrcEditMarkList list;
  for (int i = 0; i < 20; ++i) {
    list.Add(MarkOn(1));
  }
  TSrcEditMarks marks;
  EXPECT_EQ(list.CollectLineMarks(1, marks), kMaxLineMarks);
  EXPECT_EQ(marks[16], &list.Item(16));
  EXPECT_EQ(list.CollectLineMarks(2, marks), 0);
  EXPECT_EQ(marks[0], nullptr);
}

TEST(EditMarks, MarksFollowLinesOfTheStore) {
  TSrcEditModel model;
  for (int i = 1; i <= 10; ++i) {
    model.Lines().AppendLine("line");
  }
  TSrcEditMarkList& marks = model.Marks();
  TSrcEditMark& on2 = marks.Add(MarkOn(2));
  TSrcEditMark& on5 = marks.Add(MarkOn(5, 0));
  TSrcEditMark& on8 = marks.Add(MarkOn(8));
  TSrcEditMark& none = marks.Add(MarkOn(0));

  model.Lines().InsertLine(4, "new");  // becomes line 5; old line 5 moves down
  EXPECT_EQ(on2.Line(), 2);
  EXPECT_EQ(on5.Line(), 6);
  EXPECT_EQ(on8.Line(), 9);
  model.Lines().InsertBlankLines(0, 2);
  EXPECT_EQ(on2.Line(), 4);
  EXPECT_EQ(on8.Line(), 11);
  EXPECT_EQ(none.Line(), 0);

  // Lines 5..7 go: the mark on 6 lands on 5, the one below moves up by three.
  model.Lines().RemoveLines(4, 3);
  EXPECT_EQ(on2.Line(), 4);
  EXPECT_EQ(on5.Line(), 5);
  EXPECT_EQ(on8.Line(), 8);
  model.Lines().DeleteLine(3);  // the mark's own line: it stays on line 4
  EXPECT_EQ(on2.Line(), 4);
  EXPECT_EQ(on5.Line(), 4);
  EXPECT_EQ(none.Line(), 0);

  model.Lines().ClearLines();
  EXPECT_TRUE(marks.Empty());

  // A mark on the empty line 1 of an empty store stays on line 1 when the
  // first lines arrive, also after every line was removed.
  TSrcEditMark& first = marks.Add(MarkOn(1));
  model.Lines().InsertLine(0, "mov");
  EXPECT_EQ(first.Line(), 1);
  model.Lines().RemoveLines(0, 1);
  model.Lines().InsertBlankLines(0, 2);
  EXPECT_EQ(first.Line(), 1);
  model.Lines().InsertLine(0, "top");
  EXPECT_EQ(first.Line(), 2);
  // Removed last lines leave their marks on the line that now ends the text.
  TSrcEditMark& last = marks.Add(MarkOn(3));
  model.Lines().RemoveLines(1, 2);
  EXPECT_EQ(first.Line(), 1);
  EXPECT_EQ(last.Line(), 1);
  model.Lines().DeleteLine(0);
  EXPECT_EQ(last.Line(), 1);
}

}  // namespace
}  // namespace torvane
