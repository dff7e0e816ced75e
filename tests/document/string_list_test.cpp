// The line store's operations: notification order, index errors, neutral
// values, capacity growth and the per-line record.
#include "document/string_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/document/store_recorder.h"

namespace torvane {
namespace {

using ::testing::ElementsAre;
using testing::StoreRecorder;

void Fill(TSrcEditStringList& store, const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    store.AppendLine(line);
  }
}

std::vector<std::string> Lines(const TSrcEditStringList& store) {
  std::vector<std::string> out;
  for (int i = 0; i < store.LineCount(); ++i) {
    out.emplace_back(store.GetLine(i));
  }
  return out;
}

std::string IndexError(const std::function<void()>& action) {
  try {
    action();
  } catch (const ESrcEditStringList& e) {
    return e.what();
  }
  return "no error";
}

TEST(StringList, SingleLineChangesRaiseNotificationsInOrder) {
  TSrcEditStringList store;
  StoreRecorder rec(store);

  store.InsertLine(0, "a");
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=0", "BeforeInsert 0 1 n=0", "Inserted 0 1 n=1",
                                      "BatchEnd n=1"));
  rec.Clear();
  EXPECT_EQ(store.AppendLine("b"), 1);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=1", "BeforeInsert 1 1 n=1", "Inserted 1 1 n=2",
                                      "BatchEnd n=2"));
  rec.Clear();
  store.SetLine(0, "x");
  // The before-replace comes outside the batch.
  EXPECT_THAT(rec.events, ElementsAre("BeforeReplace 0 1 n=2", "BatchBegin n=2", "Replaced 0 1 n=2",
                                      "BatchEnd n=2"));
  rec.Clear();
  store.DeleteLine(1);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=2", "BeforeDelete 1 1 n=2", "Deleted 1 1 n=1",
                                      "BatchEnd n=1"));
  rec.Clear();
  store.ExchangeLines(0, 0);
  store.SetLineObject(0, 7);
  store.SetLineRange(0, 3);
  store.SetTabWidth(4);
  store.ResizeCapacity(40);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=1", "BatchEnd n=1", "BatchBegin n=1",
                                      "BatchEnd n=1", "BatchBegin n=1", "BatchEnd n=1"));
  rec.Clear();
  store.ClearLines();
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=1", "Cleared n=0", "BatchEnd n=0"));
  rec.Clear();
  store.ClearLines();  // nothing to clear: silent
  EXPECT_TRUE(rec.events.empty());
}

TEST(StringList, NestedBatchesNotifyOnlyAtTheOuterEdges) {
  TSrcEditStringList store;
  StoreRecorder rec(store);
  store.BeginBatch();
  store.AppendLine("a");
  store.BeginBatch();
  store.AppendLine("b");
  store.EndBatch();
  EXPECT_EQ(store.BatchCount(), 1);
  store.EndBatch();
  store.EndBatch();  // unbalanced: ignored
  EXPECT_EQ(store.BatchCount(), 0);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=0", "BeforeInsert 0 1 n=0", "Inserted 0 1 n=1",
                                      "BeforeInsert 1 1 n=1", "Inserted 1 1 n=2", "BatchEnd n=2"));
}

TEST(StringList, SetLineAtTheEndAppends) {
  TSrcEditStringList store;
  StoreRecorder rec(store);
  store.SetLine(0, "first");
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=0", "BeforeInsert 0 1 n=0", "Inserted 0 1 n=1",
                                      "BatchEnd n=1"));
  store.SetLine(1, "second");
  EXPECT_THAT(Lines(store), ElementsAre("first", "second"));
  EXPECT_EQ(IndexError([&] { store.SetLine(3, "x"); }), "Invalid stringlist index 3");
  EXPECT_EQ(IndexError([&] { store.SetLine(-1, "x"); }), "Invalid stringlist index -1");
}

TEST(StringList, SetLineKeepsRangeObjectAndColoursButMarksModified) {
  TSrcEditStringList store;
  store.ReadFromBytes("one\ntwo");
  store.SetLineRange(0, 42);
  store.SetLineObject(0, 9);
  store.GetLineAttributes(0).SetLineBackground(clRed);
  ASSERT_EQ(store.GetChangeState(0), lcsUnchanged);
  store.SetLine(0, store.GetLine(0));  // a view of the line itself
  EXPECT_EQ(store.GetLine(0), "one");
  EXPECT_EQ(store.GetLineRange(0), 42u);
  EXPECT_EQ(store.GetLineObject(0), 9u);
  EXPECT_EQ(store.GetLineAttributes(0).LineBackground(), clRed);
  EXPECT_EQ(store.GetChangeState(0), lcsModified);
  EXPECT_EQ(store.GetChangeState(1), lcsUnchanged);
}

TEST(StringList, IndexErrorsNameTheIndexAndChangeNothing) {
  TSrcEditStringList store;
  Fill(store, {"a", "b"});
  StoreRecorder rec(store);
  EXPECT_EQ(IndexError([&] { store.DeleteLine(2); }), "Invalid stringlist index 2");
  EXPECT_EQ(IndexError([&] { store.InsertLine(3, "x"); }), "Invalid stringlist index 3");
  EXPECT_EQ(IndexError([&] { store.InsertLine(-1, "x"); }), "Invalid stringlist index -1");
  EXPECT_EQ(IndexError([&] { store.RemoveLines(2, 1); }), "Invalid stringlist index 2");
  EXPECT_EQ(IndexError([&] { store.InsertBlankLines(5, 1); }), "Invalid stringlist index 5");
  EXPECT_EQ(IndexError([&] { store.ExchangeLines(0, 2); }), "Invalid stringlist index 2");
  EXPECT_EQ(IndexError([&] { store.SetLineObject(-3, 1); }), "Invalid stringlist index -3");
  EXPECT_EQ(IndexError([&] { store.SetLineRange(2, 1); }), "Invalid stringlist index 2");
  EXPECT_EQ(IndexError([&] { store.ResizeCapacity(1); }),
            "Stringlist capacity cannot be smaller than count");
  // n <= 0 does nothing, whatever the index.
  store.RemoveLines(9, 0);
  store.InsertBlankLines(9, -1);
  EXPECT_TRUE(rec.events.empty());
  EXPECT_THAT(Lines(store), ElementsAre("a", "b"));
}

TEST(StringList, ReadingOutsideGivesNeutralValues) {
  TSrcEditStringList store;
  Fill(store, {"a\tb"});
  for (const int index : {-1, 1, 1000}) {
    EXPECT_EQ(store.GetLine(index), "");
    EXPECT_EQ(store.GetLineObject(index), 0u);
    EXPECT_EQ(store.GetLineRange(index), 0u);
    EXPECT_EQ(store.GetExpandedLine(index), "");
    EXPECT_EQ(store.GetExpandedLength(index), 0);
    EXPECT_FALSE(store.GetLineAttributes(index));
    // Both readers of the change state agree outside the store.
    EXPECT_EQ(std::as_const(store).GetLineAttributes(index),
              TLineAttributes{.ChangeState = lcsUnchanged});
    EXPECT_EQ(store.GetChangeState(index), lcsUnchanged);
  }
  TSrcEditStringList empty;
  EXPECT_EQ(empty.LongestLineLength(), 0);
  EXPECT_EQ(empty.GetAllText(), "");
}

TEST(StringList, NewLinesCarryTheNewLineValues) {
  TSrcEditStringList store;
  EXPECT_EQ(store.FileFormat(), sffDos);
  EXPECT_EQ(store.TabWidth(), 8);
  EXPECT_EQ(store.Capacity(), 0);
  EXPECT_EQ(store.LongestLineIndex(), -1);
  store.AppendLine("x");
  EXPECT_EQ(store.GetLineRange(0), kRangeNotScanned);
  const TSrcEditStringRec rec = store.GetLineRecord(0);
  EXPECT_EQ(rec.ExpandedLength, -1);
  EXPECT_EQ(rec.LineFlags, lfExpandedLengthUnknown);
  EXPECT_EQ(store.GetLineObject(0), 0u);
  const TLineAttributes attrs = std::as_const(store).GetLineAttributes(0);
  EXPECT_EQ(attrs.LineForeground, clNone);
  EXPECT_EQ(attrs.LineBackground, clNone);
  EXPECT_EQ(attrs.LineColorFlags, 0);
  EXPECT_EQ(attrs.ChangeState, lcsModified);
}

TEST(StringList, CapacityFollowsTheGrowthRule) {
  TSrcEditStringList store;
  std::vector<int> seen;
  for (int i = 0; i < 130; ++i) {
    store.AppendLine("");
    if (seen.empty() || seen.back() != store.Capacity()) {
      seen.push_back(store.Capacity());
    }
  }
  EXPECT_THAT(seen, ElementsAre(16, 32, 48, 64, 80, 100, 125, 156));

  store.InsertBlankLines(3, 2);
  EXPECT_EQ(store.Capacity(), 132);
  EXPECT_EQ(store.LineCount(), 132);

  TSrcEditStringList other;
  other.AppendLinesFrom(store);
  EXPECT_EQ(other.Capacity(), 144);  // 132 rounded up to 16
  store.ResizeCapacity(132);
  EXPECT_EQ(store.Capacity(), 132);
  store.ClearLines();
  EXPECT_EQ(store.Capacity(), 0);
}

TEST(StringList, RemoveLinesStopsAtTheEnd) {
  TSrcEditStringList store;
  Fill(store, {"0", "1", "2", "3", "4"});
  StoreRecorder rec(store);
  store.RemoveLines(3, 10);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=5", "BeforeDelete 3 2 n=5", "Deleted 3 2 n=3",
                                      "BatchEnd n=3"));
  store.RemoveLines(0, 2);
  EXPECT_THAT(Lines(store), ElementsAre("2"));
}

TEST(StringList, BlankLinesAndAppendedCopiesKeepNeighboursIntact) {
  TSrcEditStringList store;
  Fill(store, {"a", "b"});
  store.SetLineObject(1, 5);
  StoreRecorder rec(store);
  store.InsertBlankLines(1, 3);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=2", "BeforeInsert 1 3 n=2", "Inserted 1 3 n=5",
                                      "BatchEnd n=5"));
  EXPECT_THAT(Lines(store), ElementsAre("a", "", "", "", "b"));
  EXPECT_EQ(store.GetLineObject(4), 5u);
  EXPECT_EQ(store.GetLineObject(1), 0u);

  TSrcEditStringList source;
  source.ReadFromBytes("p\nq");
  source.SetLineRange(0, 3);
  source.SetLineObject(1, 11);
  source.GetLineAttributes(1).Set({clRed, clBlue, lcfBackground | lcfForeground, lcsSaved});
  rec.Clear();
  store.AppendLinesFrom(source);
  // One after-notification, no before-notification.
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=5", "Inserted 5 2 n=7", "BatchEnd n=7"));
  EXPECT_EQ(store.GetLine(6), "q");
  EXPECT_EQ(store.GetLineRange(5), kRangeNotScanned);
  EXPECT_EQ(store.GetLineObject(6), 11u);
  EXPECT_EQ(store.GetChangeState(5), lcsUnchanged);
  EXPECT_EQ(std::as_const(store).GetLineAttributes(6),
            (TLineAttributes{clRed, clBlue, 3, lcsSaved}));

  store.AppendLinesFrom(store);  // itself: doubles
  EXPECT_EQ(store.LineCount(), 14);
  EXPECT_EQ(store.GetLine(13), "q");

  rec.Clear();
  store.AppendLinesFrom(std::vector<std::string>{});
  EXPECT_TRUE(rec.events.empty());
  store.AppendLinesFrom(std::vector<std::string>{"x", std::string("y\0z", 3)});
  EXPECT_EQ(store.GetLine(15), std::string_view("y\0z", 3));
  EXPECT_EQ(store.GetChangeState(15), lcsModified);
}

TEST(StringList, ExchangeSwapsWholeRecordsAndTheLongestLine) {
  TSrcEditStringList store;
  Fill(store, {"short", "the longest one", "mid line"});
  store.SetLineObject(0, 1);
  store.SetLineRange(1, 2);
  EXPECT_EQ(store.LongestLineLength(), 15);
  EXPECT_EQ(store.LongestLineIndex(), 1);
  store.ExchangeLines(0, 1);
  EXPECT_EQ(store.LongestLineIndex(), 0);
  EXPECT_EQ(store.GetLine(0), "the longest one");
  EXPECT_EQ(store.GetLineRange(0), 2u);
  EXPECT_EQ(store.GetLineObject(1), 1u);
  store.AppendLine("the longest two");
  store.ExchangeLines(0, 2);  // moved down past an equally long line
  EXPECT_EQ(store.LongestLineLength(), 15);
  EXPECT_EQ(store.LongestLineIndex(), 2);
  store.ExchangeLines(3, 1);
  EXPECT_EQ(store.LongestLineIndex(), 1);
  EXPECT_EQ(store.GetLine(1), "the longest two");
}

TEST(StringList, AllTextJoinsWithCrLfAndSplitsOnEveryBreak) {
  TSrcEditStringList store;
  Fill(store, {"a", "b"});
  EXPECT_EQ(store.GetAllText(), "a\r\nb");

  StoreRecorder rec(store);
  store.SetAllText("x\ny\r\n");
  EXPECT_THAT(Lines(store), ElementsAre("x", "y", ""));
  EXPECT_EQ(rec.events.front(), "BatchBegin n=2");
  EXPECT_EQ(rec.events[1], "Cleared n=0");
  EXPECT_EQ(store.FileFormat(), sffDos);  // no detection
  EXPECT_EQ(store.GetChangeState(0), lcsModified);

  store.SetAllText("  \n\t\n");  // trailing blanks kept
  EXPECT_THAT(Lines(store), ElementsAre("  ", "\t", ""));
  store.SetAllText(store.GetLine(0));  // text from the store itself
  EXPECT_THAT(Lines(store), ElementsAre("  "));
  store.SetAllText("");
  EXPECT_EQ(store.LineCount(), 0);
}

TEST(StringList, LineTextStaysPutWhileOtherLinesMove) {
  TSrcEditStringList store;
  store.ReadFromBytes("alpha\nbeta\ngamma");
  store.SetLine(2, "changed gamma");
  const std::string_view loaded = store.GetLine(0);
  const std::string_view owned = store.GetLine(2);
  for (int i = 0; i < 500; ++i) {
    store.InsertLine(1, "filler " + std::to_string(i));
  }
  store.RemoveLines(1, 250);
  store.ExchangeLines(0, 5);
  EXPECT_EQ(loaded, "alpha");
  EXPECT_EQ(owned, "changed gamma");
  EXPECT_EQ(store.GetLine(5), "alpha");
}

TEST(StringList, AttributesKeptAcrossClearingNeitherReadNorWriteFreedRecords) {
  TSrcEditStringList store;
  Fill(store, {"a", "b", "c"});
  auto last = store.GetLineAttributes(2);
  auto first = store.GetLineAttributes(0);
  ASSERT_TRUE(last);
  store.DeleteLine(2);  // the line goes, the records stay
  EXPECT_FALSE(last);
  last.SetChangeState(lcsSaved);
  last.SetLineForeground(clRed);
  EXPECT_EQ(last.ChangeState(), lcsUnchanged);
  store.ClearLines();  // the records go too
  EXPECT_FALSE(first);
  first.Set({clRed, clBlue, lcfBackground | lcfForeground, lcsSaved});
  first.SetLineColorFlags(lcfBackground);
  EXPECT_EQ(first.Get(), TLineAttributes{.ChangeState = lcsUnchanged});
  EXPECT_EQ(first.LineColorFlags(), 0);
  EXPECT_EQ(TLineAttributesRef().ChangeState(), lcsUnchanged);
  // A new line at the old index is reached again through the old reference.
  store.AppendLine("new");
  EXPECT_TRUE(first);
  first.SetChangeState(lcsSaved);
  EXPECT_EQ(store.GetChangeState(0), lcsSaved);
}

TEST(StringList, ColoursAndObjectsFollowTheirLines) {
  TSrcEditStringList store;
  Fill(store, {"a", "b", "c"});
  auto ref = store.GetLineAttributes(2);
  ref.SetLineForeground(clLime);
  ref.SetLineColorFlags(lcfForeground);
  ref.SetChangeState(lcsSaved);
  store.SetLineObject(2, 77);
  store.InsertLine(0, "new");
  store.DeleteLine(1);
  EXPECT_EQ(store.GetLine(2), "c");
  EXPECT_EQ(std::as_const(store).GetLineAttributes(2),
            (TLineAttributes{clLime, clNone, lcfForeground, lcsSaved}));
  EXPECT_EQ(store.GetLineObject(2), 77u);
  EXPECT_EQ(store.GetLineObject(0), 0u);

  store.SetChangeState(0, lcsModified);
  store.MarkModifiedLinesSaved();
  EXPECT_EQ(store.GetChangeState(0), lcsSaved);
}

TEST(StringList, ListenerFailureStillClosesTheBatch) {
  TSrcEditStringList store;
  StoreRecorder rec(store);
  store.OnBeforeInsert = [](TSrcEditStringList&, int, int) {
    throw std::runtime_error("listener");
  };
  EXPECT_THROW(store.AppendLine("x"), std::runtime_error);
  EXPECT_EQ(store.LineCount(), 0);
  EXPECT_EQ(store.BatchCount(), 0);
  EXPECT_THAT(rec.events, ElementsAre("BatchBegin n=0", "BatchEnd n=0"));
}

TEST(StringList, DestructionRaisesNothing) {
  int calls = 0;
  {
    TSrcEditStringList store;
    store.AppendLine("x");
    store.OnBatchBegin = [&](TSrcEditStringList&) { ++calls; };
    store.OnBatchEnd = [&](TSrcEditStringList&) { ++calls; };
    store.OnLinesCleared = [&](TSrcEditStringList&) { ++calls; };
    store.OnBeforeDelete = [&](TSrcEditStringList&, int, int) { ++calls; };
  }
  EXPECT_EQ(calls, 0);
}

// A seeded random run of edits against a plain vector of strings: every
// line's text, change state and object must match after each step.
TEST(StringList, RandomEditsMatchAPlainModel) {
  struct Line {
    std::string text;
    TLineChangeState state;
    TLineObject object;
  };
  std::mt19937 random(77);
  TSrcEditStringList store;
  std::vector<Line> model;
  auto text = [&] {
    std::string t(random() % 12, 'a');
    for (char& c : t) {
      c = static_cast<char>(random() % 4 == 0 ? '\t' : 'a' + random() % 26);
    }
    return t;
  };
  for (int step = 0; step < 5000; ++step) {
    const int n = static_cast<int>(model.size());
    const int at = n == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n));
    switch (random() % 9) {
      case 0:
      case 1: {
        const std::string t = text();
        store.InsertLine(at, t);
        model.insert(model.begin() + at, {t, lcsModified, 0});
        break;
      }
      case 2:
        if (n > 0) {
          const std::string t = text();
          store.SetLine(at, t);
          model[static_cast<std::size_t>(at)].text = t;
          model[static_cast<std::size_t>(at)].state = lcsModified;
        }
        break;
      case 3:
        if (n > 0) {
          const int k = static_cast<int>(random() % 4);
          store.RemoveLines(at, k);
          model.erase(model.begin() + at, model.begin() + std::min(n, at + k));
        }
        break;
      case 4:
        if (n > 1) {
          const int b = static_cast<int>(random() % static_cast<unsigned>(n));
          store.ExchangeLines(at, b);
          std::swap(model[static_cast<std::size_t>(at)], model[static_cast<std::size_t>(b)]);
        }
        break;
      case 5: {
        const int k = static_cast<int>(random() % 3);
        store.InsertBlankLines(at, k);
        model.insert(model.begin() + at, static_cast<std::size_t>(k), {"", lcsModified, 0});
        break;
      }
      case 6:
        if (n > 0) {
          store.SetLineObject(at, static_cast<TLineObject>(step));
          model[static_cast<std::size_t>(at)].object = static_cast<TLineObject>(step);
        }
        break;
      case 7:
        if (random() % 50 == 0) {
          store.ReadFromBytes("x\ny\tz\n");
          model = {{"x", lcsUnchanged, 0}, {"y\tz", lcsUnchanged, 0}};
        }
        break;
      default:
        if (n > 0) {
          store.SetChangeState(at, lcsSaved);
          model[static_cast<std::size_t>(at)].state = lcsSaved;
        }
        break;
    }
    ASSERT_EQ(store.LineCount(), static_cast<int>(model.size())) << "step " << step;
    int longest = 0;
    int first_longest = -1;
    for (int i = 0; i < store.LineCount(); ++i) {
      const Line& line = model[static_cast<std::size_t>(i)];
      ASSERT_EQ(store.GetLine(i), line.text) << "step " << step << "\n" << store.Dump();
      ASSERT_EQ(store.GetChangeState(i), line.state) << "step " << step;
      ASSERT_EQ(store.GetLineObject(i), line.object) << "step " << step;
      if (store.GetExpandedLength(i) > longest) {
        longest = store.GetExpandedLength(i);
        first_longest = i;
      }
    }
    ASSERT_EQ(store.LongestLineLength(), longest) << "step " << step;
    ASSERT_EQ(store.LongestLineIndex(), first_longest) << "step " << step;
  }
}

// Range states live apart from the records and exist only once a state
// other than kRangeNotScanned is stored. Against a plain vector: every
// line's state after inserts of every kind, deletes, exchanges, changed
// text, whole-text replacement, clearing and capacity changes, in runs that
// store only kRangeNotScanned (no states kept) or any state, with and
// without the side table of objects and colours.
TEST(StringList, RandomEditsKeepEachLinesRangeState) {
  for (int mode = 0; mode < 4; ++mode) {
    const bool any_state = mode % 2 == 1;
    const bool with_extras = mode >= 2;
    std::mt19937 random(300 + static_cast<unsigned>(mode));
    TSrcEditStringList store;
    StoreRecorder log(store);
    std::vector<TRangeState> model;
    auto some = [&](unsigned bound) { return static_cast<int>(random() % bound); };
    auto state = [&] {
      return any_state && random() % 4 != 0 ? static_cast<TRangeState>(random() % 5)
                                            : kRangeNotScanned;
    };
    auto many = [&](int count) {
      std::vector<std::string> lines;
      for (int i = 0; i < count; ++i) {
        lines.push_back(
            std::string(static_cast<std::size_t>(some(4)), 'a' + static_cast<char>(i % 26)));
      }
      return lines;
    };
    auto fresh = [&](int at, int count) {
      model.insert(model.begin() + at, static_cast<std::size_t>(count), kRangeNotScanned);
    };
    for (int step = 0; step < 1500; ++step) {
      const int n = store.LineCount();
      const int at = some(static_cast<unsigned>(n + 1));
      const int line = n == 0 ? -1 : some(static_cast<unsigned>(n));
      if (with_extras && n > 0 && random() % 8 == 0) {
        store.SetLineObject(line, 9);
      }
      switch (some(14)) {
        case 0:
          store.InsertLine(at, "new");
          fresh(at, 1);
          break;
        case 1: {
          const int count = some(3);
          store.InsertBlankLines(at, count);
          fresh(at, count);
          break;
        }
        case 2: {
          // Few lines get blocks of their own, many may share one block.
          const auto lines = many(random() % 3 == 0 ? 300 : some(4));
          store.InsertLines(at, std::vector<std::string_view>(lines.begin(), lines.end()));
          fresh(at, static_cast<int>(lines.size()));
          break;
        }
        case 3:
          fresh(at,
                store.InsertLinesOfText(at, random() % 2 == 0 ? "p\nq" : std::string(400, '\n')));
          break;
        case 4: {
          TSrcEditStringList source;
          source.AppendLinesFrom(many(some(4)));
          if (source.LineCount() > 0) {
            source.SetLineRange(0, 2);  // states are not copied
          }
          store.AppendLinesFrom(source);
          fresh(n, source.LineCount());
          break;
        }
        case 5:
          if (n > 0) {
            const int count = some(4);
            store.RemoveLines(line, count);
            model.erase(model.begin() + line, model.begin() + std::min(n, line + count));
          }
          break;
        case 6:
          if (n > 0) {
            const int other = some(static_cast<unsigned>(n));
            store.ExchangeLines(line, other);
            std::swap(model[static_cast<std::size_t>(line)],
                      model[static_cast<std::size_t>(other)]);
          }
          break;
        case 7:  // a changed line keeps its state
          if (n > 0) {
            if (random() % 2 == 0) {
              store.SetLine(line, "changed");
            } else {
              store.ReplaceLineBytes(line, 1, 1, "xy");
            }
          }
          break;
        case 8:
        case 9:
        case 10:
          if (n > 0) {
            const TRangeState value = state();
            const bool cached = random() % 2 == 0;
            log.Clear();
            if (cached) {
              store.CacheLineRange(line, value);
              EXPECT_TRUE(log.events.empty());
            } else {
              store.SetLineRange(line, value);
              const std::string count = " n=" + std::to_string(n);
              EXPECT_THAT(log.events, ElementsAre("BatchBegin" + count, "BatchEnd" + count));
            }
            model[static_cast<std::size_t>(line)] = value;
          }
          break;
        case 11:
          if (random() % 2 == 0) {
            store.ResizeCapacity(n + some(40));
          } else {
            store.ResizeCapacity(n);
          }
          break;
        case 12:
          if (random() % 10 == 0) {
            store.ClearLines();
            model.clear();
          }
          break;
        default:
          if (random() % 10 == 0 || n > 2000) {
            if (random() % 2 == 0) {
              store.SetAllText("a\r\nb\n");
            } else {
              store.ReadFromBytes("a\nb\tc");
            }
            model.assign(static_cast<std::size_t>(store.LineCount()), kRangeNotScanned);
          }
          break;
      }
      ASSERT_EQ(store.LineCount(), static_cast<int>(model.size())) << "mode " << mode;
      for (int i = 0; i < store.LineCount(); ++i) {
        ASSERT_EQ(store.GetLineRange(i), model[static_cast<std::size_t>(i)])
            << "mode " << mode << " step " << step << " line " << i;
      }
      ASSERT_EQ(store.GetLineRange(-1), 0u);
      ASSERT_EQ(store.GetLineRange(store.LineCount()), 0u);
    }
  }
}

TEST(StringList, DumpShowsRecordsReadably) {
  TSrcEditStringList store;
  store.ReadFromBytes(std::string("mov\teax\0\"\n", 10));
  store.GetExpandedLength(0);
  EXPECT_EQ(store.Dump(), "0 \"mov\\x09eax\\x00\\x22\" u r=-1 x=13\n");
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// ReplaceLineBytes is SetLine of the line with some bytes replaced: the same
// text, records, longest line and notifications, whether the line lies in
// the read buffer or in a block of its own, and with the new bytes taken
// from the line itself. A plain line (one cell a byte) that takes plain
// bytes keeps its width and plainness without a walk; both are those a walk
// over the new text gives. The last line left in a read buffer with spare
// room is changed in place there (the bytes after it may be other lines'
// breaks or the room), until the room runs out.
TEST(StringList, ReplacingBytesOfALineIsSettingTheWholeLine) {
  std::mt19937 random(7);
  for (int round = 0; round < 80; ++round) {
    std::string text;
    const bool one_line = round % 2 == 1;  // one line with text among empty ones
    for (int i = static_cast<int>(random() % 12); i > 0; --i) {
      const std::size_t length = one_line && i != 3 ? 0 : random() % 9;
      text += std::string(length, "ab\t \xe4"[random() % 5]) + (random() % 3 == 0 ? "\r\n" : "\n");
    }
    if (random() % 2 == 0) {
      text += std::string(random() % 9, 'c');  // a last line without a break
    }
    TSrcEditStringList part;
    TSrcEditStringList whole;
    std::string roomy = text;
    roomy.reserve(text.size() + random() % 24);
    part.ReadFromBytes(std::move(roomy));
    whole.ReadFromBytes(text);
    StoreRecorder part_log(part);
    StoreRecorder whole_log(whole);
    for (int step = 0; step < 60 && part.LineCount() > 0; ++step) {
      const int index = static_cast<int>(random() % static_cast<unsigned>(part.LineCount()));
      const std::string line(part.GetLine(index));
      const std::size_t offset = random() % (line.size() + 3);
      const std::size_t count = random() % 5;
      std::string with(random() % 4, "xy\t \xc3"[random() % 5]);
      const bool from_itself = random() % 4 == 0 && !line.empty();
      if (from_itself) {
        with = line.substr(random() % line.size());
      }
      const std::size_t at = std::min(offset, line.size());
      const std::string expected =
          line.substr(0, at) + with + line.substr(std::min(at + count, line.size()));
      if (random() % 3 == 0) {
        part.LongestLineLength();
        whole.LongestLineLength();
      }
      if (from_itself) {
        const std::string_view view = part.GetLine(index);
        part.ReplaceLineBytes(index, offset, count, view.substr(view.size() - with.size()));
      } else {
        part.ReplaceLineBytes(index, offset, count, with);
      }
      whole.SetLine(index, expected);
      EXPECT_EQ(part.ReplacedFrom(), at);
      EXPECT_EQ(whole.ReplacedFrom(), 0u);
      ASSERT_EQ(Lines(part), Lines(whole));
      // Widths are compared on half of the steps; on the others the next
      // change meets the widths as they were left (known or not).
      if (random() % 2 == 0) {
        for (int i = 0; i < part.LineCount(); ++i) {
          ASSERT_EQ(part.IsPlainLine(i), whole.IsPlainLine(i)) << "line " << i;
          ASSERT_EQ(part.GetExpandedLength(i), whole.GetExpandedLength(i)) << "line " << i;
        }
        ASSERT_EQ(part.Dump(), whole.Dump()) << "round " << round << " step " << step;
      }
      ASSERT_EQ(part_log.events, whole_log.events);
      ASSERT_EQ(part.LongestLineIndex(), whole.LongestLineIndex());
      ASSERT_EQ(part.LongestLineLength(), whole.LongestLineLength());
      if (random() % 8 == 0) {
        part.DeleteLine(index);
        whole.DeleteLine(index);
      }
    }
  }
  TSrcEditStringList store;
  EXPECT_THROW(store.ReplaceLineBytes(0, 0, 0, "x"), ESrcEditStringList);
  store.ReadFromBytes("abc");
  store.ReplaceLineBytes(0, 1, 1, "");
  store.ReplaceLineBytes(0, 0, 5, "");
  EXPECT_EQ(store.GetLine(0), "");
  store.ReplaceLineBytes(0, 9, 0, "z");
  EXPECT_EQ(store.GetLine(0), "z");
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// InsertLinesOfText is InsertLines of the text's lines: the same lines,
// records, capacity, longest line and notifications, whether the store takes
// the text as its shared block (many lines, no line in the read buffer) or
// copies the lines (few lines, or the read buffer still in use).
TEST(StringList, InsertingTheLinesOfATextIsInsertingItsLines) {
  std::mt19937 random(11);
  static constexpr const char* kBreaks[] = {"\r\n", "\n", "\r"};
  for (int round = 0; round < 60; ++round) {
    std::string text;
    const int lines = round % 3 == 0 ? static_cast<int>(random() % 8) : 250 + random() % 300;
    for (int i = 0; i < lines; ++i) {
      text += std::string(random() % 7, "ab\t \xe4"[random() % 5]);
      text += kBreaks[random() % 3];
    }
    if (random() % 2 == 0) {
      text += "tail";
    }
    const std::size_t from = random() % 4 == 0 ? random() % (text.size() + 2) : 0;
    // The reference: the lines split here, inserted with InsertLines.
    std::vector<std::string_view> pieces;
    const std::string_view rest = std::string_view(text).substr(std::min(from, text.size()));
    std::size_t start = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == '\r' || rest[i] == '\n') {
        pieces.push_back(rest.substr(start, i - start));
        i += rest[i] == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n' ? 1 : 0;
        start = i + 1;
      }
    }
    pieces.push_back(rest.substr(start));

    TSrcEditStringList taken;
    TSrcEditStringList copied;
    const int before = static_cast<int>(random() % 4);
    for (TSrcEditStringList* store : {&taken, &copied}) {
      if (before == 1) {
        store->ReadFromBytes("one\ntwo\tx\nthree");  // the read buffer stays in use
      } else if (before >= 2) {
        Fill(*store, {"x", "\tyy", "", "zzzz"});
      }
      if (before == 3) {
        store->SetLineObject(1, 7);
        store->LongestLineLength();
      }
    }
    StoreRecorder taken_log(taken);
    StoreRecorder copied_log(copied);
    const int index = static_cast<int>(random() % static_cast<unsigned>(taken.LineCount() + 1));
    EXPECT_EQ(taken.InsertLinesOfText(index, text, from), static_cast<int>(pieces.size()));
    copied.ResizeCapacity(copied.LineCount() + static_cast<int>(pieces.size()));
    copied.InsertLines(index, pieces);
    ASSERT_EQ(Lines(taken), Lines(copied)) << "round " << round;
    EXPECT_EQ(taken.Dump(), copied.Dump()) << "round " << round;
    EXPECT_EQ(taken_log.events, copied_log.events);
    EXPECT_EQ(taken.Capacity(), copied.Capacity());
    EXPECT_EQ(taken.LongestLineIndex(), copied.LongestLineIndex());
    EXPECT_EQ(taken.LongestLineLength(), copied.LongestLineLength());
    for (int i = 0; i < taken.LineCount(); ++i) {
      ASSERT_EQ(taken.GetLineObject(i), copied.GetLineObject(i));
    }
    // Lines of the taken text change and go like any others.
    for (int step = 0; step < 20 && taken.LineCount() > 0; ++step) {
      const int at = static_cast<int>(random() % static_cast<unsigned>(taken.LineCount()));
      if (random() % 3 == 0) {
        taken.DeleteLine(at);
        copied.DeleteLine(at);
      } else {
        const std::size_t offset = random() % 5;
        const std::size_t count = random() % 3;
        taken.ReplaceLineBytes(at, offset, count, "q");
        copied.ReplaceLineBytes(at, offset, count, "q");
      }
    }
    ASSERT_EQ(Lines(taken), Lines(copied)) << "round " << round;
  }
}

}  // namespace
}  // namespace torvane
