#include "highlight/rescan.h"

#include <gtest/gtest.h>

#include <vector>

#include "highlight/asm_highlighter.h"
#include "tests/highlight/brace_highlighter.h"

namespace torvane {
namespace {

// A buffer position as the editor passes it.
struct Pos {
  int Char;
  int Line;
};

std::vector<TRangeState> Ranges(const TSrcEditStringList& lines) {
  std::vector<TRangeState> out;
  for (int i = 0; i < lines.LineCount(); ++i) {
    out.push_back(lines.GetLineRange(i));
  }
  return out;
}

TEST(RescanTest, RescanStopsWhereAStoredStateMatches) {
  TSrcEditStringList lines;
  lines.SetAllText("a\n{\nb\n}\nc");
  BraceHighlighter h;
  RescanAllLines(lines, &h);
  EXPECT_EQ(Ranges(lines), (std::vector<TRangeState>{0, 1, 1, 0, 0}));

  // A change inside the block leaves the end state alone: one line scanned.
  lines.SetLine(2, "bb");
  h.scanned.clear();
  EXPECT_EQ(RescanAfterLineReplaced(lines, &h, 2).Last, 2);
  EXPECT_EQ(h.scanned, (std::vector<int>{2}));

  // Opening a brace on the first line ripples to the end and no further.
  lines.SetLine(0, "{");
  h.scanned.clear();
  EXPECT_EQ(RescanFromLine(lines, h, 0), 4);
  EXPECT_EQ(h.scanned, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Ranges(lines), (std::vector<TRangeState>{1, 2, 2, 1, 1}));

  // On the last line, with a changed state, it returns the last index.
  lines.SetLine(4, "{");
  h.scanned.clear();
  EXPECT_EQ(RescanFromLine(lines, h, 4), 4);
  EXPECT_EQ(h.scanned, (std::vector<int>{4}));
  EXPECT_EQ(lines.GetLineRange(4), 2u);
  EXPECT_EQ(RescanFromLine(lines, h, 5), 5);
  EXPECT_EQ(RescanFromLine(lines, h, 99), 99);

  // Deleting the line that opened the block rescans from there to the end.
  lines.DeleteLine(0);
  h.scanned.clear();
  const TLineSpan span = RescanAfterLinesDeleted(lines, &h, 0);
  EXPECT_EQ(span.First, 0);
  EXPECT_EQ(span.Last, 3);
  EXPECT_EQ(Ranges(lines), (std::vector<TRangeState>{1, 1, 0, 1}));
}

TEST(RescanTest, InsertedLinesAreAllScanned) {
  TSrcEditStringList lines;
  lines.SetAllText("a\n{\nb\n}\nc");
  BraceHighlighter h;
  RescanAllLines(lines, &h);

  // Inserted lines whose states happen to agree already must still be
  // scanned: here they are given the right states by hand before the rescan.
  lines.InsertLine(2, "x");
  lines.InsertLine(3, "y");
  lines.SetLineRange(2, 1);
  lines.SetLineRange(3, 1);
  h.scanned.clear();
  const TLineSpan span = RescanAfterLinesInserted(lines, &h, 2, 2);
  EXPECT_EQ(h.scanned, (std::vector<int>{2, 3}));
  EXPECT_EQ(span.First, 2);
  EXPECT_EQ(span.Last, 6);

  // New lines carry "not scanned" and are scanned until the states agree.
  lines.InsertLine(0, "}");
  h.scanned.clear();
  RescanAfterLinesInserted(lines, &h, 0, 1);
  EXPECT_EQ(h.scanned, (std::vector<int>{0, 1}));
  EXPECT_EQ(Ranges(lines), (std::vector<TRangeState>{0, 0, 1, 1, 1, 1, 0, 0}));

  // Appending at the end scans the new line and stops at the last one.
  lines.AppendLine("{");
  h.scanned.clear();
  EXPECT_EQ(RescanAfterLinesInserted(lines, &h, 8, 1).Last, 8);
  EXPECT_EQ(h.scanned, (std::vector<int>{8}));
}

TEST(RescanTest, NoHighlighterOrNoLinesScansNothing) {
  TSrcEditStringList lines;
  BraceHighlighter h;
  RescanAllLines(lines, &h);
  EXPECT_TRUE(h.scanned.empty());

  // A full rescan is one batch of the store, however many lines it stores.
  TSrcEditStringList many;
  many.SetAllText("a\nb\nc");
  int batches = 0;
  many.OnBatchEnd = [&](TSrcEditStringList&) { ++batches; };
  RescanAllLines(many, &h);
  EXPECT_EQ(batches, 1);
  EXPECT_EQ(RescanAfterLinesDeleted(lines, &h, 0).Last, -1);
  lines.SetAllText("a\nb");
  RescanAllLines(lines, nullptr);
  EXPECT_EQ(lines.GetLineRange(0), kRangeNotScanned);
  const TLineSpan span = RescanAfterLineReplaced(lines, nullptr, 1);
  EXPECT_EQ(span.First, 1);
  EXPECT_EQ(span.Last, 1);
  EXPECT_EQ(RescanAfterLinesInserted(lines, nullptr, 0, 1).Last, 1);
  EXPECT_EQ(lines.GetLineRange(0), kRangeNotScanned);

  // The assembly highlighter stores nil everywhere, so after a full scan a
  // change never reaches beyond its own line.
  TSrcAsmHighlighter asm_highlighter;
  EXPECT_EQ(RescanFromLine(lines, asm_highlighter, 0), 1);
  lines.SetLine(0, "mov");
  EXPECT_EQ(RescanFromLine(lines, asm_highlighter, 0), 0);
}

TEST(RescanTest, AttributeAtPositionFindsTheCoveringToken) {
  TSrcEditStringList lines;
  lines.SetAllText("mov eax, 10 ; c\n\nx");
  TSrcAsmHighlighter h;
  TTokenAtPosition t = AttributeAtPosition(lines, &h, Pos{1, 1});
  EXPECT_TRUE(t.Found);
  EXPECT_EQ(t.Text, "mov");
  EXPECT_EQ(t.Attribute, h.KeyAttri());
  EXPECT_EQ(t.Kind, atkKeyword);
  t = AttributeAtPosition(lines, &h, Pos{3, 1});
  EXPECT_EQ(t.Text, "mov");
  t = AttributeAtPosition(lines, &h, Pos{4, 1});
  EXPECT_EQ(t.Kind, atkWhitespace);
  t = AttributeAtPosition(lines, &h, Pos{11, 1});
  EXPECT_EQ(t.Text, "10");
  EXPECT_EQ(t.Attribute, h.NumberAttri());
  t = AttributeAtPosition(lines, &h, Pos{15, 1});
  EXPECT_EQ(t.Text, "; c");
  EXPECT_TRUE(AttributeAtPosition(lines, &h, Pos{1, 3}).Found);

  for (Pos outside : {Pos{0, 1}, Pos{16, 1}, Pos{1, 2}, Pos{1, 0}, Pos{1, 4}, Pos{-5, -5}}) {
    t = AttributeAtPosition(lines, &h, outside);
    EXPECT_FALSE(t.Found);
    EXPECT_EQ(t.Text, "");
    EXPECT_EQ(t.Attribute, nullptr);
  }
  EXPECT_FALSE(AttributeAtPosition(lines, nullptr, Pos{1, 1}).Found);

  // The scan of a line starts from the state stored for the line above.
  TSrcEditStringList braces;
  braces.SetAllText("{\nab");
  BraceHighlighter b;
  RescanAllLines(braces, &b);
  EXPECT_EQ(AttributeAtPosition(braces, &b, Pos{2, 2}).Kind, 1);
  braces.SetLineRange(0, 0);
  EXPECT_EQ(AttributeAtPosition(braces, &b, Pos{2, 2}).Kind, 0);
}

}  // namespace
}  // namespace torvane
