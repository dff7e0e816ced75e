#include "highlight/range_states.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "highlight/rescan.h"
#include "tests/highlight/brace_highlighter.h"

namespace torvane {
namespace {

// Braces counted within one line only: nothing carries over a line break.
class LineBraceHighlighter : public BraceHighlighter {
 public:
  TRangeState SaveRangeState() const override { return 0; }
  void RestoreRangeState(TRangeState) override { ResetRangeState(); }
  bool HasRangeStates() const override { return false; }
};

using Spans = std::vector<std::pair<int, int>>;

// A store whose states are rescanned after every change, as the editor
// always did: the reference the lazy states must not differ from.
struct EagerStore {
  TSrcEditStringList lines;
  TSrcCustomHighlighter& h;
  Spans spans;

  explicit EagerStore(TSrcCustomHighlighter& highlighter) : h(highlighter) {
    lines.OnLineReplaced = [this](TSrcEditStringList&, int i, int) {
      Note(RescanAfterLineReplaced(lines, &h, i));
    };
    lines.OnLinesInserted = [this](TSrcEditStringList&, int i, int n) {
      Note(RescanAfterLinesInserted(lines, &h, i, n));
    };
    lines.OnLinesDeleted = [this](TSrcEditStringList&, int i, int) {
      Note(RescanAfterLinesDeleted(lines, &h, i));
    };
  }
  void Note(TLineSpan span) { spans.emplace_back(span.First, span.Last); }

  std::vector<int> Kinds(int index) {
    if (index == 0) {
      h.ResetRangeState();
    } else {
      h.RestoreRangeState(lines.GetLineRange(index - 1));
    }
    std::vector<int> kinds;
    for (h.StartLine(lines.GetLine(index), index); !h.AtLineEnd(); h.AdvanceToken()) {
      kinds.push_back(h.TokenKind());
    }
    return kinds;
  }
};

// The same store with lazily computed states, hooked as the editor hooks it.
struct LazyStore {
  TSrcEditStringList lines;
  TSrcCustomHighlighter& h;
  TRangeStateCache states{lines};
  Spans spans;
  int batches = 0;

  explicit LazyStore(TSrcCustomHighlighter& highlighter) : h(highlighter) {
    lines.OnBatchEnd = [this](TSrcEditStringList&) { ++batches; };
    lines.OnBeforeReplace = [this](TSrcEditStringList&, int i, int) {
      states.BeforeLineReplaced(i);
    };
    lines.OnLineReplaced = [this](TSrcEditStringList&, int i, int) {
      Note(states.AfterLineReplaced(i));
    };
    lines.OnLinesInserted = [this](TSrcEditStringList&, int i, int n) {
      Note(states.AfterLinesInserted(i, n));
    };
    lines.OnLinesDeleted = [this](TSrcEditStringList&, int i, int n) {
      Note(states.AfterLinesDeleted(i, n));
    };
    lines.OnLinesCleared = [this](TSrcEditStringList&) { states.LinesCleared(); };
    states.SetHighlighter(&h);
  }
  void Note(TLineSpan span) { spans.emplace_back(span.First, span.Last); }

  // What painting does: start from the cache, scan to the end, report.
  std::vector<int> Kinds(int index) {
    states.StartScan(index);
    std::vector<int> kinds;
    for (h.StartLine(lines.GetLine(index), index); !h.AtLineEnd(); h.AdvanceToken()) {
      kinds.push_back(h.TokenKind());
    }
    states.LineScanned(index);
    return kinds;
  }
};

std::string RandomText(std::mt19937& rng) {
  static constexpr char kBytes[] = "{}{}ab ";
  std::string text(rng() % 4, ' ');
  for (char& c : text) {
    c = kBytes[rng() % 7];
  }
  return text;
}

// Runs the same random changes, paints, lookups and idle steps on both
// stores and compares every repaint span, every token kind and the known
// states after each step.
void RunRandomSequence(TSrcCustomHighlighter& eager_h, TSrcCustomHighlighter& lazy_h, unsigned seed,
                       int steps) {
  std::mt19937 rng(seed);
  EagerStore eager(eager_h);
  LazyStore lazy(lazy_h);
  const auto both = [&](const auto& change) {
    change(eager.lines);
    change(lazy.lines);
  };
  for (int step = 0; step < steps; ++step) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
    const int count = eager.lines.LineCount();
    const int at = count > 0 ? static_cast<int>(rng() % static_cast<unsigned>(count)) : 0;
    const std::string text = RandomText(rng);
    switch (rng() % 12) {
      case 0:
      case 1:
      case 2:
        both([&](TSrcEditStringList& l) { l.SetLine(at, text); });
        break;
      case 3:
        both([&](TSrcEditStringList& l) { l.InsertLine(at, text); });
        break;
      case 4:
        if (count > 0) {
          both([&](TSrcEditStringList& l) { l.DeleteLine(at); });
        }
        break;
      case 5: {
        const int n = static_cast<int>(rng() % 8);
        if (count > 0) {
          both([&](TSrcEditStringList& l) { l.RemoveLines(at, n); });
        }
        break;
      }
      case 6: {
        const int n = static_cast<int>(rng() % 5);
        both([&](TSrcEditStringList& l) { l.InsertBlankLines(at, n); });
        break;
      }
      case 7: {
        std::vector<std::string> block(rng() % 6);
        for (std::string& s : block) {
          s = RandomText(rng);
        }
        both([&](TSrcEditStringList& l) { l.AppendLinesFrom(block); });
        break;
      }
      case 8:
        if (rng() % 8 == 0) {
          std::string all;
          for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
            all += RandomText(rng) + "\n";
          }
          both([&](TSrcEditStringList& l) { l.SetAllText(all); });
        } else if (rng() % 16 == 0) {
          both([&](TSrcEditStringList& l) { l.ClearLines(); });
        }
        break;
      case 9:
        lazy.states.ComputeAhead(static_cast<int>(rng() % 10) + 1);
        break;
      default:  // paint a few lines from somewhere
        for (int i = at; i < std::min(count, at + static_cast<int>(rng() % 6)); ++i) {
          ASSERT_EQ(eager.Kinds(i), lazy.Kinds(i)) << "line " << i;
        }
        break;
    }
    ASSERT_EQ(eager.spans, lazy.spans);
    ASSERT_EQ(eager.lines.LineCount(), lazy.lines.LineCount());
    ASSERT_LE(lazy.states.Known(), lazy.lines.LineCount());
    if (lazy_h.HasRangeStates()) {
      for (int i = 0; i < lazy.states.Known(); ++i) {
        ASSERT_EQ(eager.lines.GetLineRange(i), lazy.lines.GetLineRange(i)) << "line " << i;
      }
    }
  }
  // Every line's tokens agree once everything is computed, and computing
  // states never raised a batch of its own.
  const int batches = lazy.batches;
  while (lazy.states.ComputeAhead(7)) {
  }
  EXPECT_TRUE(lazy.states.Complete());
  for (int i = 0; i < eager.lines.LineCount(); ++i) {
    ASSERT_EQ(eager.Kinds(i), lazy.Kinds(i)) << "line " << i;
  }
  EXPECT_EQ(lazy.batches, batches);
}

TEST(RangeStatesTest, RandomChangesGiveTheEagerSpansTokensAndStates) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    BraceHighlighter eager_h;
    BraceHighlighter lazy_h;
    RunRandomSequence(eager_h, lazy_h, seed, 1500);
  }
  // A highlighter without range states: the same spans and tokens, no scans.
  for (unsigned seed = 100; seed <= 103; ++seed) {
    LineBraceHighlighter eager_h;
    LineBraceHighlighter lazy_h;
    RunRandomSequence(eager_h, lazy_h, seed, 1500);
  }
}

TEST(RangeStatesTest, OpeningScansNothingAndPaintingScansDownToThePaintedLine) {
  BraceHighlighter h;
  LazyStore lazy(h);
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    text += i % 10 == 0 ? "{\n" : "a}\n";
  }
  lazy.lines.SetAllText(text);
  EXPECT_TRUE(h.scanned.empty());
  EXPECT_EQ(lazy.states.Known(), 0);

  // Painting lines 500..509 scans every line above them once, then each.
  lazy.Kinds(500);
  EXPECT_EQ(h.scanned.size(), 501u);
  EXPECT_EQ(lazy.states.Known(), 501);
  h.scanned.clear();
  for (int i = 501; i < 510; ++i) {
    lazy.Kinds(i);
  }
  EXPECT_EQ(h.scanned.size(), 9u);
  EXPECT_EQ(lazy.states.Known(), 510);

  // An edit below the known lines first learns the line's old state, then
  // repaints as far as the eager rescan would: the brace it removed changed
  // its own end state, and the next line's agrees again.
  lazy.lines.SetLine(700, "b");
  EXPECT_EQ(lazy.spans.back(), (std::pair<int, int>{700, 701}));
  EXPECT_EQ(lazy.states.Known(), 702);

  // A brace opened above the known lines ripples as the eager rescan does,
  // scanning old and new states side by side beyond them.
  lazy.lines.SetLine(705, "{{");
  EXPECT_EQ(lazy.spans.back(), (std::pair<int, int>{705, 707}));
  EXPECT_EQ(lazy.states.Known(), 708);

  // A pasted block far longer than a screen is not scanned until painted.
  std::vector<std::string> block(20000, "x");
  lazy.lines.InsertLine(5, "{");
  const int known = lazy.states.Known();
  EXPECT_EQ(known, 709);
  lazy.lines.AppendLinesFrom(block);
  EXPECT_EQ(lazy.states.Known(), known);
  h.scanned.clear();
  lazy.lines.InsertBlankLines(3, 10000);
  EXPECT_LE(h.scanned.size(), 4100u);
  EXPECT_LE(lazy.states.Known(), 4200);
}

TEST(RangeStatesTest, AHighlighterWithoutStatesIsNeverScannedForThem) {
  LineBraceHighlighter h;
  LazyStore lazy(h);
  lazy.lines.SetAllText("{\n{\n{\n");
  lazy.lines.SetLine(1, "}}");
  lazy.lines.InsertLine(0, "{");
  lazy.lines.DeleteLine(2);
  EXPECT_TRUE(h.scanned.empty());
  EXPECT_EQ(lazy.spans.back(), (std::pair<int, int>{2, 3}));
  EXPECT_TRUE(lazy.states.Complete());
  EXPECT_EQ(lazy.Kinds(1), (std::vector<int>{1}));
  EXPECT_EQ(lazy.lines.GetLineRange(0), kRangeNotScanned);
}

}  // namespace
}  // namespace torvane
