// Fold scanning, collapsing and expanding over a line store.
#include "folding/fold_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string_view>

#include "folding/fold_scanner.h"
#include "highlight/asm_highlighter.h"
#include "highlight/nasm_fold_regions.h"
#include "highlight/range_states.h"
#include "highlight/rescan.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

struct Folds {
  explicit Folds(const std::string& text, bool case_sensitive = false) {
    lines.SetAllText(text);
    test::AddNasmFoldRegions(regions);
    folds.SetRegions(&regions);
    folds.SetCaseSensitive(case_sensitive);
    folds.RescanFolds();
  }
  std::string Text() const { return lines.GetAllText(); }

  TSrcEditStringList lines;
  TFoldRegions regions;
  TSrcEditFolds folds{lines};
};

const std::string kSample =
    "start:\n"              // 1
    "mov eax, 1\n"          // 2
    "%macro push2 2\n"      // 3
    "  push %1\n"           // 4
    "  push %2\n"           // 5
    "  ; %endmacro here\n"  // 6: a comment, not the end
    "%endmacro\n"           // 7
    "%if DEBUG\n"           // 8
    "  nop\n"               // 9
    "%endif\n"              // 10
    "ret";                  // 11

TEST(FoldScan, FindsNestedRangesAndSkipsCommentsAndStrings) {
  Folds f(kSample);
  EXPECT_EQ(f.folds.Ranges().Dump(), "[3-7] [8-10]");
  Folds g("a {\n  db \"}\"\n  b { ; }\n  }\n}\n");
  EXPECT_EQ(g.folds.Ranges().Dump(), "[1-5 {[3-4]}]");
  EXPECT_EQ(g.folds.Ranges().AllRange(1)->NestLevel, 1);
}

TEST(FoldScan, WholeWordsOnlyAndMissingCloseToken) {
  Folds f("%ifdef X\n%if Y\nnop\n%endif\n%macro m 0\nnop\n");
  // %ifdef is not %if; the macro is never closed.
  EXPECT_EQ(f.folds.Ranges().Dump(), "[2-4] [5-5]");
  const TSrcEditAllFoldRanges& r = f.folds.Ranges();
  EXPECT_NE(r.FindRangeStartingAt(5), nullptr);
  EXPECT_EQ(r.FindFoldStartAt(5), nullptr);
  EXPECT_FALSE(f.folds.CollapseRange(*r.FindRangeStartingAt(5)));
  EXPECT_TRUE(r.IsFoldEndLine(4));
  EXPECT_TRUE(r.IsInsideFold(3));
  EXPECT_FALSE(r.IsInsideFold(4));
}

TEST(FoldScan, IgnoringCaseUpperCasesTheTokensForGood) {
  Folds f("%MACRO m 0\nnop\n%EndMacro\n");
  EXPECT_EQ(f.folds.Ranges().Dump(), "[1-3]");
  EXPECT_EQ(f.regions.Item(0).OpenToken, "%MACRO");
  f.folds.SetCaseSensitive(true);
  f.folds.RescanFolds();
  EXPECT_EQ(f.regions.Item(0).CloseToken, "%ENDMACRO");
  EXPECT_EQ(f.folds.Ranges().Dump(), "[1-1]");  // "%EndMacro" no longer matches
}

TEST(FoldScan, CharTokensInStringsAndCommentsCountForNothingByAttribute) {
  // No skip regions: only the highlighter's attributes keep braces out, and
  // keyword tokens are not tested against attributes.
  TSrcEditStringList lines;
  lines.SetAllText("a {\ndb \"{\" ; {\n%if X ; a comment\n; %endif\n}\n");
  TSrcAsmHighlighter highlighter;
  RescanAllLines(lines, &highlighter);
  TFoldRegions regions;
  test::AddNasmFoldRegions(regions, false);
  TRangeStateCache states(lines);
  states.SetHighlighter(&highlighter);
  TSrcEditFolds folds(lines);
  folds.SetRegions(&regions);
  folds.SetRangeStates(&states);
  folds.RescanFolds();
  EXPECT_EQ(folds.Ranges().Dump(), "[1-5 {[3-4]}]");
}

// "(*" to "*)" is a comment, across lines; every byte is a token.
class BlockCommentHighlighter : public TSrcCustomHighlighter {
 public:
  BlockCommentHighlighter() {
    comment_ = RegisterAttribute(std::make_unique<TSrcHighlighterAttributes>("Comment"));
    WireAttributes();
  }
  TSrcHighlighterAttributes* DefaultAttributeFor(int) const override { return nullptr; }
  bool AtLineEnd() const override { return run_ >= text_.size(); }
  std::string TokenText() const override { return text_.substr(run_, 1); }
  TSrcHighlighterAttributes* TokenAttributes() const override {
    return token_inside_ ? comment_ : nullptr;
  }
  int TokenKind() const override { return token_inside_ ? 1 : 0; }
  int TokenStart() const override { return static_cast<int>(run_); }
  void AdvanceToken() override {
    ++run_;
    Apply();
  }
  void StartLine(std::string_view text, int) override {
    text_ = text;
    run_ = 0;
    Apply();
  }
  TRangeState SaveRangeState() const override { return inside_ ? 1 : 0; }
  void RestoreRangeState(TRangeState state) override { inside_ = state != 0; }
  void ResetRangeState() override { inside_ = false; }

 private:
  void Apply() {
    if (run_ >= text_.size()) {
      return;
    }
    const std::string_view rest = std::string_view(text_).substr(run_);
    if (!inside_ && rest.starts_with("(*")) {
      inside_ = true;
    }
    token_inside_ = inside_;
    if (inside_ && run_ > 0 && text_[run_ - 1] == '*' && text_[run_] == ')') {
      inside_ = false;
    }
  }
  TSrcHighlighterAttributes* comment_;
  std::string text_;
  std::size_t run_ = 0;
  bool inside_ = false;
  bool token_inside_ = false;
};

TEST(FoldScan, TheStringAndCommentTestComputesTheStatesItNeeds) {
  // Nothing has scanned the lines yet (as after opening a file): the brace
  // on line 3 lies in a comment only the state of line 2 tells about.
  TSrcEditStringList lines;
  lines.SetAllText("{\n(* a\n { b\n*)\n}\n");
  BlockCommentHighlighter highlighter;
  TRangeStateCache states(lines);
  states.SetHighlighter(&highlighter);
  ASSERT_EQ(states.Known(), 0);
  TFoldRegions regions;
  regions.Add(frkChar, "{", "}");
  TSrcEditFolds folds(lines);
  folds.SetRegions(&regions);
  folds.SetRangeStates(&states);
  folds.RescanFolds();
  EXPECT_EQ(folds.Ranges().Dump(), "[1-5]");
}

TEST(FoldScan, FoldTokensThatBeginLikeALineCommentCount) {
  TSrcEditStringList lines;
  lines.SetAllText(
      ";{ it's the setup\n"    // 1: the rest of the line stays a comment
      "  mov eax, 1 ; {\n"     // 2
      "  ; %endmacro ;} no\n"  // 3: a comment from its first ';'
      ";} setup's end\n"       // 4
      "%macro m 0 ;} don't\n"  // 5: no ';{' is open: a comment after all
      "  nop ;{ inner\n"       // 6
      "  nop ;}\n"             // 7
      "%endmacro\n");          // 8
  TFoldRegions regions;
  AddNasmFoldRegions(regions);
  TSrcEditFolds folds(lines);
  folds.SetRegions(&regions);
  folds.RescanFolds();
  EXPECT_EQ(folds.Ranges().Dump(), "[1-4] [5-8 {[6-7]}]");
}

TEST(FoldScan, SkipRegionKindsAndEscapes) {
  TSrcEditStringList lines;
  lines.SetAllText("x \"a\\\"{\" {\n/* { */ }\n' { ' rem {\n}\n");
  TFoldRegions regions;
  regions.Add(frkChar, "{", "}");
  regions.SkipRegions().Add(srkToCloseChar, "\"", "\"", "\\");
  regions.SkipRegions().Add(srkToCloseToken, "/*", "*/");
  regions.SkipRegions().Add(srkToCloseChar, "'", "'");
  regions.SkipRegions().Add(srkToLineEnd, "rem", "");
  TSrcEditFolds folds(lines);
  folds.SetRegions(&regions);
  folds.RescanFolds();
  EXPECT_EQ(folds.Ranges().Dump(), "[1-2]");
}

TEST(FoldScan, SubRegionsEndAtTheParentsCloseTokenAndCloseAtFirst) {
  TSrcEditStringList lines;
  lines.SetAllText("struc\n  if\n  x\nendstruc\nlabel:\nnop\nlabel:\n");
  TFoldRegions regions;
  TFoldRegionItem& struc = regions.Add(frkKeyword, "struc", "endstruc", true);
  struc.SubRegions->Add(frkKeyword, "if", "endif", true);
  regions.Add(frkKeyword, "label", ":", false, false, true);
  TSrcEditFolds folds(lines);
  folds.SetRegions(&regions);
  folds.SetCaseSensitive(true);
  folds.RescanFolds();
  // The unclosed "if" ends one line above the parent's closing line.
  EXPECT_EQ(folds.Ranges().Dump(), "[1-4 {[2-3]}] [5-5] [7-7]");
}

TEST(FoldCollapse, HidesTheBodyAndMovesLaterRanges) {
  Folds f(kSample);
  f.lines.SetChangeState(4, lcsSaved);  // line 5
  f.lines.SetChangeState(2, lcsUnchanged);
  TSrcEditFoldRange& macro = *f.folds.Ranges().FindFoldStartAt(3);
  ASSERT_TRUE(f.folds.CollapseRange(macro));
  EXPECT_EQ(f.lines.LineCount(), 7);
  EXPECT_EQ(f.lines.GetLine(2), "%macro push2 2     ");
  EXPECT_EQ(f.lines.GetLine(3), "%if DEBUG");
  EXPECT_EQ(f.folds.Ranges().Dump(), "[3-7 c3] [4-6]");
  EXPECT_EQ(f.lines.GetChangeState(2), lcsUnchanged);
  EXPECT_EQ(f.folds.ExpandedLineNumber(3), 3);
  EXPECT_EQ(f.folds.ExpandedLineNumber(4), 8);
  bool hidden = false;
  EXPECT_EQ(f.folds.PresentLineNumber(5, &hidden), 3);
  EXPECT_TRUE(hidden);
  EXPECT_EQ(f.folds.PresentLineNumber(9, &hidden), 5);
  EXPECT_FALSE(hidden);
  EXPECT_EQ(f.folds.ExpandedText(), Folds(kSample).Text());
  ASSERT_TRUE(f.folds.ExpandRange(macro));
  EXPECT_EQ(f.Text(), Folds(kSample).Text());
  EXPECT_EQ(f.lines.GetChangeState(4), lcsSaved);
  EXPECT_EQ(f.lines.GetChangeState(2), lcsUnchanged);
  EXPECT_EQ(f.folds.Ranges().Dump(), "[3-7] [8-10]");
}

TEST(FoldCollapse, ShowsTheCloseTokenAndKeepsALineWhereABlockOpens) {
  Folds f("{\na\nb\n} {\nc\n}\n");
  f.regions.Item(2).ShowCloseToken = true;
  f.folds.RescanFolds();
  ASSERT_EQ(f.folds.Ranges().Dump(), "[1-4] [4-6]");
  ASSERT_TRUE(f.folds.CollapseRange(*f.folds.Ranges().AllRange(0)));
  EXPECT_EQ(f.lines.GetLine(0), "{     }");
  EXPECT_EQ(f.lines.GetLine(1), "} {");
  EXPECT_EQ(f.folds.ExpandedText(), "{\r\na\r\nb\r\n} {\r\nc\r\n}\r\n");
}

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) {
    text += std::string(static_cast<std::size_t>(i), ' ') + "{ level " + std::to_string(i) + "\n";
  }
  text += "body\n";
  for (int i = depth - 1; i >= 0; --i) {
    text += std::string(static_cast<std::size_t>(i), ' ') + "}\n";
  }
  return text;
}

TEST(FoldCollapse, ExpandAllReachesEveryDepth) {
  Folds f(Nested(14));
  const std::string full = f.Text();
  // Innermost first, then each outer one: fourteen levels of collapsed blocks.
  for (int i = f.folds.Ranges().AllCount() - 1; i >= 0; --i) {
    ASSERT_TRUE(f.folds.CollapseRange(*f.folds.Ranges().AllRange(i))) << i;
  }
  EXPECT_EQ(f.lines.LineCount(), 2);
  EXPECT_EQ(f.folds.ExpandedText(), full);
  EXPECT_EQ(f.folds.ExpandedLineNumber(2), 30);
  f.folds.ExpandLevel(0);
  EXPECT_EQ(f.folds.CollapsedCount(), 1);
  f.folds.ExpandAll();
  EXPECT_EQ(f.Text(), full);
  EXPECT_EQ(f.folds.CollapsedCount(), 0);
}

TEST(FoldEdits, RangesFollowInsertedAndDeletedLines) {
  Folds f(kSample);
  TSrcEditAllFoldRanges& r = f.folds.Ranges();
  ASSERT_TRUE(f.folds.CollapseRange(*r.FindFoldStartAt(8)));
  f.lines.InsertLine(0, "; new");
  f.folds.LinesInserted(0, 1);
  EXPECT_EQ(r.Dump(), "[4-8] [9-11 c1]");
  f.lines.InsertLine(5, "  pop eax");  // inside the macro
  f.folds.LinesInserted(5, 1);
  EXPECT_EQ(r.Dump(), "[4-9] [10-12 c1]");
  f.lines.DeleteLine(0);
  f.folds.LinesDeleted(0, 1);
  EXPECT_EQ(r.Dump(), "[3-8] [9-11 c1]");
  // Deleting a collapsed header takes its block with it.
  f.lines.DeleteLine(8);
  f.folds.LinesDeleted(8, 1);
  EXPECT_EQ(r.Dump(), "[3-8]");
  EXPECT_EQ(f.folds.CollapsedCount(), 0);
}

TEST(FoldEdits, RescanKeepingCollapsedKeepsBlocksAndFindsNewRanges) {
  Folds f(kSample);
  ASSERT_TRUE(f.folds.CollapseRange(*f.folds.Ranges().FindFoldStartAt(3)));
  f.lines.InsertLine(0, "{");
  f.folds.LinesInserted(0, 1);
  f.lines.AppendLine("}");
  f.folds.LinesInserted(f.lines.LineCount() - 1, 1);
  f.folds.RescanFoldsKeepingCollapsed();
  EXPECT_EQ(f.folds.Ranges().Dump(), "[1-9 {[4-8 c3] [5-7]}]");
  EXPECT_EQ(f.folds.Ranges().AllRange(1)->NestLevel, 1);
  f.folds.ExpandAll();
  EXPECT_EQ(f.folds.Ranges().Dump(), "[1-13 {[4-8] [9-11]}]");
}

TEST(FoldEdits, LineFoldTokenAndTokenChanges) {
  Folds f(kSample);
  EXPECT_EQ(f.folds.LineFoldToken("  %ENDIF ; x"), "%ENDIF");
  EXPECT_EQ(f.folds.LineFoldToken("mov eax, 1"), "");
  f.folds.BeforeLineReplaced(1);
  f.lines.SetLine(1, "mov eax, 2");
  f.folds.LineReplaced(1);
  EXPECT_EQ(f.folds.FoldTokenChanges(), 0);
  f.folds.BeforeLineReplaced(1);
  f.lines.SetLine(1, "mov eax, 2 {");
  f.folds.LineReplaced(1);
  EXPECT_EQ(f.folds.FoldTokenChanges(), 1);
}

TEST(FoldIndent, DepthAndWidth) {
  EXPECT_EQ(IndentDepth("        x", 4), 2);
  EXPECT_EQ(IndentDepth("   x", 4), 0);
  EXPECT_EQ(IndentDepth("\t  \tx", 4), 2);
  EXPECT_EQ(IndentWidth("\t  x", 4), 6);
}

// Random collapses and expands at every depth, with lines inserted and
// removed around the blocks: the expanded text always equals the text.
TEST(FoldRandom, ExpandedTextMatchesAPlainModel) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 30; ++round) {
    std::string text;
    std::vector<std::string> model;
    const int n = 20 + static_cast<int>(rng() % 40);
    int open = 0;
    for (int i = 0; i < n; ++i) {
      std::string line;
      const int pick = static_cast<int>(rng() % 6);
      if (pick == 0) {
        line = "%macro m" + std::to_string(i);
        ++open;
      } else if (pick == 1 && open > 0) {
        line = "%endmacro";
        --open;
      } else if (pick == 2) {
        line = "x {";
      } else if (pick == 3) {
        line = "} ; " + std::to_string(i);
      } else {
        line = "  mov eax, " + std::to_string(i);
      }
      model.push_back(line);
    }
    Folds f("");
    f.lines.ClearLines();
    f.lines.AppendLinesFrom(model);
    f.folds.RescanFolds();
    const auto expected = [&model] {
      std::string all;
      for (std::size_t i = 0; i < model.size(); ++i) {
        all += (i > 0 ? "\r\n" : "") + model[i];
      }
      return all;
    };
    for (int step = 0; step < 60; ++step) {
      TSrcEditAllFoldRanges& r = f.folds.Ranges();
      const int action = static_cast<int>(rng() % 4);
      if (action <= 1 && r.AllCount() > 0) {
        TSrcEditFoldRange& range = *r.AllRange(static_cast<int>(rng() % r.AllCount()));
        if (action == 0) {
          f.folds.CollapseRange(range);
        } else {
          f.folds.ExpandRange(range);
        }
      } else if (action == 2) {
        // A plain line inserted at a visible line, mirrored in the model.
        const int line = 1 + static_cast<int>(rng() % f.lines.LineCount());
        const int expanded = f.folds.ExpandedLineNumber(line);
        const std::string added = "; added " + std::to_string(step);
        if (f.folds.CollapsedHeaderAt(line) == nullptr) {
          f.lines.InsertLine(line - 1, added);
          f.folds.LinesInserted(line - 1, 1);
          model.insert(model.begin() + expanded - 1, added);
        }
      } else if (step % 7 == 0) {
        f.folds.RescanFoldsKeepingCollapsed();
      }
      ASSERT_EQ(f.folds.ExpandedText(), expected())
          << "round " << round << " step " << step << " " << f.folds.Dump();
      for (int line = 1; line <= f.lines.LineCount(); ++line) {
        ASSERT_EQ(f.folds.PresentLineNumber(f.folds.ExpandedLineNumber(line)), line);
      }
      const int first = 1 + static_cast<int>(rng() % f.lines.LineCount());
      const int last = first + static_cast<int>(rng() % 6);
      bool any = false;
      for (int line = first; line <= last; ++line) {
        any = any || f.folds.CollapsedHeaderAt(line) != nullptr;
      }
      ASSERT_EQ(f.folds.HasCollapsedHeaderIn(first, last), any) << first << "-" << last;
    }
    f.folds.ExpandAll();
    ASSERT_EQ(f.Text(), expected());
  }
}

}  // namespace
}  // namespace torvane
