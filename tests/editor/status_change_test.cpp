#include <gtest/gtest.h>

#include "document/string_list.h"
#include "editor/edit_model.h"
#include "tests/editor/recording_view.h"

namespace torvane {
namespace {

using testing::TModelFixture;

TEST(StatusChangeTest, ShiftClickOnTheSameLineIsDeliveredOnceUnderTheHold) {
  TModelFixture f({"some text here"});
  TSrcEditModel& m = f.model;
  m.MoveCaretAndSelect(m.SelectionAnchor(), {6, 1}, true);
  ASSERT_EQ(f.status.size(), 1u);
  EXPECT_EQ(f.status[0], (TSrcStatusChanges{scCaretX, scSelection}));
  EXPECT_EQ(f.view.caret_updates, 1);
  EXPECT_GE(f.view.scrolls, 1);
}

TEST(StatusChangeTest, HoldCollectsAndReleaseDeliversOnce) {
  TModelFixture f({"a", "b", "c"});
  TSrcEditModel& m = f.model;
  {
    TPaintHoldScope hold(m.PaintHold());
    m.SetCaretPos({1, 2});
    m.SetInsertMode(false);
    m.SetReadOnly(true);
    m.SetCaretPos({1, 3});
    m.PaintHold().RequestScrollBarUpdate();
    EXPECT_TRUE(f.status.empty());
    EXPECT_EQ(f.view.caret_updates, 0);
    EXPECT_EQ(f.view.scroll_bar_updates, 0);
  }
  ASSERT_EQ(f.status.size(), 1u);
  EXPECT_EQ(f.status[0], (TSrcStatusChanges{scCaretY, scInsertMode, scReadOnly}));
  EXPECT_EQ(f.view.caret_updates, 1);
  EXPECT_EQ(f.view.scroll_bar_updates, 1);
  // Unchanged values raise nothing.
  m.SetReadOnly(true);
  m.SetSelectionMode(smNormal);
  EXPECT_EQ(f.status.size(), 1u);
}

TEST(StatusChangeTest, WithoutAHandlerChangesAccumulate) {
  TModelFixture f({"abc"});
  TSrcEditModel& m = f.model;
  m.SetOnStatusChange(nullptr);
  m.SetCaretPos({2, 1});
  m.SetSelectionMode(smColumn);
  EXPECT_EQ(m.PaintHold().PendingStatusChanges(), (TSrcStatusChanges{scCaretX, scSelection}));
  std::vector<TSrcStatusChanges> got;
  m.SetOnStatusChange([&](TSrcStatusChanges c) { got.push_back(c); });
  m.SetInsertMode(false);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (TSrcStatusChanges{scCaretX, scSelection, scInsertMode}));
}

TEST(StatusChangeTest, AHoldIsReleasedWhenAChangeFails) {
  TModelFixture f({"abc"});
  TSrcEditModel& m = f.model;
  try {
    TPaintHoldScope hold(m.PaintHold());
    m.SetCaretPos({2, 1});
    throw std::runtime_error("command failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(m.PaintHold().IsHeld());
  EXPECT_EQ(f.status.size(), 1u);
}

TEST(LineStoreReactionTest, BatchEndCollapsesTheSelectionOntoTheCaret) {
  TModelFixture f({"one", "two", "three"});
  TSrcEditModel& m = f.model;
  m.PlaceCaretAndSelection({3, 2}, {1, 1}, {3, 2});
  ASSERT_TRUE(m.HasSelection());
  f.status.clear();
  m.Lines().BeginBatch();
  EXPECT_EQ(f.view.collecting, 1);
  m.Lines().SetLine(2, "changed");
  m.Lines().InsertLine(0, "new first");
  m.Lines().EndBatch();
  EXPECT_EQ(f.view.collecting, 0);
  EXPECT_EQ(f.view.batches_ended, 1);
  EXPECT_FALSE(m.HasSelection());
  EXPECT_EQ(m.SelectionAnchor(), m.CaretPos());
  ASSERT_EQ(f.status.size(), 1u);
  EXPECT_TRUE(f.status[0].Has(scSelection));
  // Inserting before the caret repaints every line below the insertion.
  bool repainted_below = false;
  for (auto [first, last] : f.view.invalidated) {
    repainted_below = repainted_below || (first == 1 && last >= 4);
  }
  EXPECT_TRUE(repainted_below);
}

TEST(LineStoreReactionTest, ClearingResetsCaretAndRaisesAll) {
  TModelFixture f({"one", "two", "three"});
  TSrcEditModel& m = f.model;
  m.PlaceCaretAndSelection({2, 3}, {1, 2}, {2, 3});
  f.status.clear();
  int undo_cleared = 0;
  m.OnLinesClearedUndo = [&] { ++undo_cleared; };
  m.Lines().ClearLines();
  EXPECT_EQ(undo_cleared, 1);
  EXPECT_EQ(f.view.cleared, 1);
  EXPECT_EQ(m.CaretPos(), (TBufferPos{1, 1}));
  EXPECT_FALSE(m.HasSelection());
  ASSERT_FALSE(f.status.empty());
  EXPECT_TRUE(f.status.back().Has(scAll));
}

TEST(LineStoreReactionTest, DeletingTheCaretLineKeepsTheCaretInTheText) {
  TModelFixture f({"one", "two", "three"});
  TSrcEditModel& m = f.model;
  m.SetCaretPos({4, 3});
  m.Lines().RemoveLines(1, 2);
  EXPECT_EQ(m.CaretLine(), 1);
  EXPECT_EQ(m.CaretLineText(), "one");
}

}  // namespace
}  // namespace torvane
