// The editor's lazily computed range states seen from outside: what is
// repainted after a change and which notifications the view gets are those
// of a rescan after every change.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "editor/edit_model.h"
#include "tests/editor/recording_view.h"
#include "tests/highlight/brace_highlighter.h"

namespace torvane {
namespace {

using testing::TModelFixture;
using Ranges = std::vector<std::pair<int, int>>;

// The 1-based line ranges invalidated for text, leaving out the ones the
// caret and selection ask for.
Ranges TextRanges(const testing::TRecordingView& view) {
  Ranges out;
  for (const auto& r : view.invalidated) {
    if (r.first != r.second || out.empty() || out.back() != r) {
      out.push_back(r);
    }
  }
  return out;
}

TEST(ModelRangeStatesTest, ChangesRepaintAsFarAsTheStatesRipple) {
  TModelFixture f({"a", "{", "b", "}", "c"});
  BraceHighlighter h;
  f.model.SetHighlighter(&h);
  // Setting the highlighter is one batch, as a rescan of every line was,
  // and scans nothing until a line is painted.
  EXPECT_EQ(f.view.batches_ended, 1);
  EXPECT_TRUE(h.scanned.empty());

  // Painting the third line scans the two above it; no batch, no repaint.
  f.view.Reset();
  f.model.RangeStates().StartScan(2);
  EXPECT_EQ(h.scanned, (std::vector<int>{0, 1}));
  EXPECT_EQ(f.view.batches_ended, 0);
  EXPECT_TRUE(f.view.invalidated.empty());

  // A change inside the block keeps its end state: its own line repaints.
  f.view.Reset();
  f.model.Lines().SetLine(2, "bb");
  EXPECT_EQ(TextRanges(f.view), (Ranges{{3, 3}}));
  EXPECT_EQ(f.view.batches_ended, 1);

  // Opening a brace on the first line ripples to the end.
  f.view.Reset();
  f.model.Lines().SetLine(0, "{");
  EXPECT_EQ(TextRanges(f.view), (Ranges{{1, 5}}));

  // Closing it again ripples back as far as the states differ.
  f.view.Reset();
  f.model.Lines().SetLine(0, "a");
  EXPECT_EQ(TextRanges(f.view), (Ranges{{1, 5}}));
  f.view.Reset();
  f.model.Lines().SetLine(4, "{");
  EXPECT_EQ(TextRanges(f.view), (Ranges{{5, 5}}));

  // Inserted and deleted lines repaint everything below them.
  f.view.Reset();
  f.model.Lines().InsertLine(1, "}");
  EXPECT_EQ(TextRanges(f.view), (Ranges{{2, 6}}));
  f.view.Reset();
  f.model.Lines().DeleteLine(1);
  EXPECT_EQ(TextRanges(f.view), (Ranges{{2, 6}}));

  // The tokens of every line are those of a scan from the first line.
  const std::vector<std::vector<int>> expected = {{0}, {1}, {1, 1}, {0}, {1}};
  for (int i = 0; i < f.model.LineCount(); ++i) {
    f.model.RangeStates().StartScan(i);
    std::vector<int> kinds;
    for (h.StartLine(f.model.Lines().GetLine(i), i); !h.AtLineEnd(); h.AdvanceToken()) {
      kinds.push_back(h.TokenKind());
    }
    EXPECT_EQ(kinds, expected[static_cast<std::size_t>(i)]) << "line " << i;
  }
}

TEST(ModelRangeStatesTest, ReadingAFileScansNoLineAndClearingForgetsTheStates) {
  TModelFixture f;
  BraceHighlighter h;
  f.model.SetHighlighter(&h);
  f.model.Lines().SetAllText("{\n{\n}\n}\nx");
  EXPECT_TRUE(h.scanned.empty());
  f.model.RangeStates().StartScan(4);
  EXPECT_EQ(f.model.RangeStates().Known(), 4);
  EXPECT_EQ(f.model.RangeStates().TokenAt(1, 3).Kind, 1);
  f.model.Lines().ClearLines();
  EXPECT_EQ(f.model.RangeStates().Known(), 0);

  // A highlighter that is destroyed leaves no states to compute.
  {
    BraceHighlighter gone;
    f.model.SetHighlighter(&gone);
  }
  EXPECT_EQ(f.model.Highlighter(), nullptr);
  EXPECT_TRUE(f.model.RangeStates().Complete());
  f.model.Lines().SetAllText("{\nx");
  EXPECT_FALSE(f.model.RangeStates().TokenAt(1, 2).Found);
}

}  // namespace
}  // namespace torvane
