// The undo list: group numbers, trimming, group breaks, the save point and
// the entry-added event.
#include "editor/undo_list.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace torvane {
namespace {

// An undo list that counts its entry-added events.
struct CountingList {
  TSrcEditUndoList list;
  int added = 0;
  CountingList() {
    list.OnEntryAdded = [this](TSrcEditUndoList&) { ++added; };
  }
  void Insert(int line, std::string text = "x") {
    list.RecordChange(ckInsert, {1, line}, {2, line}, std::move(text), smNormal);
  }
};

TEST(UndoListTest, ChangeKindsKeepTheirNumbersAndPairs) {
  EXPECT_EQ(ChangeKindName(static_cast<TSrcEditChangeKind>(0)), "ckInsert");
  EXPECT_EQ(ChangeKindName(static_cast<TSrcEditChangeKind>(9)), "ckSilentDeleteAfterCaret");
  EXPECT_EQ(ChangeKindName(static_cast<TSrcEditChangeKind>(13)), "ckPasteEnd");
  EXPECT_EQ(ChangeKindName(static_cast<TSrcEditChangeKind>(20)), "ckNothing");
  EXPECT_EQ(ChangeKindName(static_cast<TSrcEditChangeKind>(23)), "ckFoldChange");
  EXPECT_EQ(ChangeKindName(static_cast<TSrcEditChangeKind>(24)), "ck?");
  int ends = 0;
  for (int k = 0; k <= 23; ++k) {
    const auto kind = static_cast<TSrcEditChangeKind>(k);
    if (IsGroupEndKind(kind)) {
      ++ends;
      EXPECT_TRUE(IsGroupBeginKind(MatchingBeginKind(kind)));
      EXPECT_EQ(MatchingEndKind(MatchingBeginKind(kind)), kind);
    }
  }
  EXPECT_EQ(ends, 4);
  EXPECT_EQ(MatchingBeginKind(ckPasteEnd), ckPasteBegin);
}

TEST(UndoListTest, GroupNumbersAcrossNestingAndWrapAround) {
  CountingList c;
  c.Insert(1);
  c.Insert(2);
  EXPECT_EQ(c.list.EntryAt(0).GroupNumber, 1u);
  EXPECT_EQ(c.list.EntryAt(1).GroupNumber, 2u);
  EXPECT_EQ(c.added, 2);

  c.list.BeginGroup();
  c.Insert(3);
  c.list.BeginGroup();
  c.Insert(4);
  c.list.EndGroup();  // inner: the group stays open
  EXPECT_EQ(c.list.BlockDepth(), 1);
  c.Insert(5);
  EXPECT_EQ(c.added, 5);  // one per entry while open
  c.list.EndGroup();
  EXPECT_EQ(c.added, 6);  // and one for the whole group
  EXPECT_EQ(c.list.BlockGroupNumber(), 0u);
  for (int i = 2; i <= 4; ++i) {
    EXPECT_EQ(c.list.EntryAt(i).GroupNumber, 3u) << c.list.Dump();
  }
  EXPECT_EQ(c.list.NextGroupNumber(), 4u);
  c.list.EndGroup();  // unbalanced: ignored
  EXPECT_EQ(c.list.BlockDepth(), 0);
  EXPECT_EQ(c.list.NextGroupNumber(), 4u);

  // A group that recorded nothing raises no event.
  c.list.BeginGroup();
  c.list.EndGroup();
  EXPECT_EQ(c.added, 6);

  // Past the largest number the count goes on at 1, never 0.
  c.list.SetNextGroupNumber(0xFFFFFFFFu);
  c.Insert(6);
  EXPECT_EQ(c.list.PeekEntry()->GroupNumber, 0xFFFFFFFFu);
  EXPECT_EQ(c.list.NextGroupNumber(), 1u);
  c.list.SetNextGroupNumber(0xFFFFFFFFu);
  c.list.BeginGroup();
  c.Insert(7);
  c.list.EndGroup();
  EXPECT_EQ(c.list.NextGroupNumber(), 1u);
  EXPECT_EQ(c.added, 9);
  c.list.SetNextGroupNumber(0);
  EXPECT_EQ(c.list.NextGroupNumber(), 1u);
}

// Trimming drops whole groups, oldest first, and never the newest command or
// the group being recorded, however far past the limit they go.
TEST(UndoListTest, TrimmingKeepsWholeGroups) {
  CountingList c;
  c.list.SetMaxEntries(4);
  c.list.BeginGroup();
  for (int line = 1; line <= 3; ++line) {
    c.Insert(line);
  }
  c.list.EndGroup();
  c.list.BeginGroup();
  for (int line = 10; line <= 15; ++line) {
    c.Insert(line);  // the open group grows past the limit and stays whole
  }
  EXPECT_EQ(c.list.Count(), 6) << c.list.Dump();
  EXPECT_EQ(c.list.EntryAt(0).BeginPos.Line, 10);
  EXPECT_TRUE(c.list.HistoryTruncated());
  c.list.EndGroup();
  c.list.AddGroupBreak();  // a caret move does not push the command out
  EXPECT_EQ(c.list.Count(), 7);
  EXPECT_EQ(c.list.EntryAt(0).BeginPos.Line, 10);
  c.Insert(20);  // the next command does: half a group is never kept
  ASSERT_EQ(c.list.Count(), 2) << c.list.Dump();
  EXPECT_EQ(c.list.EntryAt(0).Kind, ckGroupBreak);
  EXPECT_EQ(c.list.EntryAt(1).BeginPos.Line, 20);

  // A limit of 0 keeps nothing, open group or not.
  c.list.SetMaxEntries(0);
  c.list.BeginGroup();
  c.Insert(1);
  EXPECT_EQ(c.list.Count(), 0);
  c.list.EndGroup();
}

TEST(UndoListTest, TrimmingAndHistoryTruncated) {
  CountingList c;
  c.list.SetMaxEntries(2);
  c.Insert(1);
  c.Insert(2);
  EXPECT_FALSE(c.list.HistoryTruncated());
  c.Insert(3);
  ASSERT_EQ(c.list.Count(), 2);
  EXPECT_EQ(c.list.EntryAt(0).BeginPos.Line, 2);  // the oldest went
  EXPECT_TRUE(c.list.HistoryTruncated());
  c.list.Clear();
  EXPECT_FALSE(c.list.HistoryTruncated());
  EXPECT_EQ(c.list.LastKind(), ckNothing);

  // Lowering the limit trims at once; a negative limit counts as 0.
  c.Insert(1);
  c.Insert(2);
  c.list.SetMaxEntries(1);
  EXPECT_EQ(c.list.Count(), 1);
  EXPECT_TRUE(c.list.HistoryTruncated());
  c.list.SetMaxEntries(-7);
  EXPECT_EQ(c.list.MaxEntries(), 0);
  EXPECT_EQ(c.list.Count(), 0);

  // With MaxEntries 0 every entry goes at once, still reported as added. The
  // text now differs from the saved empty list, so it must not read as saved.
  c.list.Clear();
  c.list.MarkSavePoint(true);
  EXPECT_TRUE(c.list.IsAtSavePoint());
  const int before = c.added;
  c.Insert(1);
  EXPECT_EQ(c.list.Count(), 0);
  EXPECT_TRUE(c.list.HistoryTruncated());
  EXPECT_EQ(c.added, before + 1);
  EXPECT_EQ(c.list.PopEntry(), nullptr);
  EXPECT_FALSE(c.list.IsAtSavePoint());
  c.list.MarkSavePoint(true);  // saving again
  EXPECT_TRUE(c.list.IsAtSavePoint());
}

TEST(UndoListTest, SavePoint) {
  CountingList c;
  EXPECT_TRUE(c.list.IsAtSavePoint());  // a new list is the saved state
  c.Insert(1);
  EXPECT_FALSE(c.list.IsAtSavePoint());
  c.list.PopEntry();
  EXPECT_TRUE(c.list.IsAtSavePoint());  // undone back to the empty list

  c.Insert(1);
  c.Insert(2);
  c.list.MarkSavePoint(true);
  EXPECT_EQ(c.list.SavedGroupNumber(), c.list.PeekEntry()->GroupNumber);
  c.Insert(3);
  EXPECT_FALSE(c.list.IsAtSavePoint());
  c.list.MarkSavePoint(false);  // not at the save point: nothing changes
  auto popped = c.list.PopEntry();
  EXPECT_TRUE(c.list.IsAtSavePoint());
  c.list.MarkSavePoint(false);  // at it: no save point is reachable any more
  EXPECT_EQ(c.list.SavedGroupNumber(), TSrcEditUndoList::NoSavePoint);
  EXPECT_FALSE(c.list.IsAtSavePoint());
  while (c.list.PopEntry()) {
  }
  EXPECT_FALSE(c.list.IsAtSavePoint());

  // Trimming away a group break does not lose the empty list's text.
  TSrcEditUndoList breaks;
  breaks.SetMaxEntries(0);
  breaks.AddGroupBreak();
  EXPECT_TRUE(breaks.IsAtSavePoint());
}

TEST(UndoListTest, GroupBreaksLocksAndTheTopEntry) {
  CountingList c;
  EXPECT_EQ(c.list.PeekEntry(), nullptr);
  EXPECT_EQ(c.list.PopEntry(), nullptr);
  EXPECT_FALSE(c.list.CanUndo());

  // An empty list reports ckNothing, so it takes a break too; only one.
  c.list.AddGroupBreak();
  c.list.AddGroupBreak();
  ASSERT_EQ(c.list.Count(), 1);
  EXPECT_EQ(c.list.LastKind(), ckGroupBreak);
  EXPECT_EQ(c.list.PeekEntry()->Mode, smNormal);
  EXPECT_TRUE(c.list.PeekEntry()->Text.empty());
  EXPECT_EQ(c.added, 0);  // breaks are not reported

  c.Insert(1, "abc");
  c.list.AddGroupBreak();
  EXPECT_EQ(c.list.Count(), 3);

  c.list.Lock();
  c.list.Lock();
  c.Insert(2);
  c.list.Unlock();
  c.Insert(2);
  EXPECT_EQ(c.list.Count(), 3);
  c.list.Unlock();
  c.list.Unlock();  // never below 0
  EXPECT_EQ(c.list.LockDepth(), 0);
  c.Insert(2);
  EXPECT_EQ(c.list.Count(), 4);

  c.list.PushEntry(nullptr);
  EXPECT_EQ(c.list.Count(), 4);
  auto entry = std::make_unique<TSrcEditUndoItem>();
  entry->Kind = ckCaret;
  entry->GroupNumber = 77;
  c.list.PushEntry(std::move(entry));
  EXPECT_EQ(c.list.LastKind(), ckCaret);
  EXPECT_EQ(c.list.PopEntry()->GroupNumber, 77u);
  EXPECT_EQ(c.list.LastKind(), ckInsert);
  EXPECT_EQ(c.list.Dump(),
            "ckGroupBreak#1 (1,1)-(1,1)\n"
            "ckInsert#2 (1,1)-(2,1) \"abc\"\n"
            "ckGroupBreak#3 (1,1)-(1,1)\n"
            "ckInsert#4 (1,2)-(2,2) \"x\"\n");
}

TEST(UndoListTest, CopyFromTakesEntriesAndState) {
  struct Fold : TSrcUndoFoldData {};
  TSrcEditUndoList source;
  source.RecordChange(ckPaste, {1, 1}, {1, 3}, "a\r\nb\r\n", smColumn);
  source.RecordChange(ckFoldChange, {1, 1}, {1, 1}, "", smNormal, std::make_shared<Fold>(), 4);
  source.MarkSavePoint(true);
  source.SetMaxEntries(10);
  source.BeginGroup();
  source.Lock();

  TSrcEditUndoList copy;
  copy.RecordChange(ckDelete, {1, 1}, {1, 1}, "gone", smNormal);
  copy.CopyFrom(source);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Dump(), source.Dump());
  EXPECT_EQ(copy.EntryAt(0).Mode, smColumn);
  EXPECT_EQ(copy.EntryAt(1).FoldData, nullptr);  // fold data stays behind
  EXPECT_EQ(copy.EntryAt(1).FoldIndex, 0);
  EXPECT_EQ(copy.MaxEntries(), 10);
  EXPECT_EQ(copy.BlockDepth(), 1);
  EXPECT_EQ(copy.BlockGroupNumber(), source.BlockGroupNumber());
  EXPECT_EQ(copy.NextGroupNumber(), source.NextGroupNumber());
  EXPECT_EQ(copy.LockDepth(), 1);
  EXPECT_TRUE(copy.IsAtSavePoint());
  EXPECT_THROW(copy.EntryAt(2), ESrcError);
}

}  // namespace
}  // namespace torvane
