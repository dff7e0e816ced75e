// The text assistive technologies read: the per-line counts against a plain
// vector, and the editor's counts, offsets and gathered changes against the
// expanded text after seeded random edits, folds and undo in two code pages.
#include "editor/accessible_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "editor/line_char_counts.h"
#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/nasm_fold_regions.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

TEST(LineCharCountsTest, RandomChangesAgreeWithAVector) {
  std::mt19937 rng(4711);
  TLineCharCounts counts;
  std::vector<int> plain;
  for (int step = 0; step < 4000; ++step) {
    const int size = static_cast<int>(plain.size());
    const int choice = static_cast<int>(rng() % 10);
    const int line = static_cast<int>(rng() % (size + 1));
    // Big insertions split blocks, big removals empty them; the size stays
    // around a few thousand lines so that several blocks are in play.
    if ((choice < 3 && size < 6000) || size == 0) {
      std::vector<int> added(1 + rng() % (rng() % 8 == 0 ? 900 : 4));
      for (int& c : added) {
        c = static_cast<int>(rng() % 50);
      }
      counts.Insert(line, added);
      plain.insert(plain.begin() + line, added.begin(), added.end());
    } else if (choice < 5) {
      const int n = 1 + static_cast<int>(rng() % (rng() % 8 == 0 ? 700 : 3));
      const int from = std::min(line, size - 1);
      counts.Erase(from, n);
      plain.erase(plain.begin() + from, plain.begin() + std::min(size, from + n));
    } else if (choice < 9) {
      const int c = static_cast<int>(rng() % 100);
      counts.Set(std::min(line, size - 1), c);
      plain[static_cast<std::size_t>(std::min(line, size - 1))] = c;
    } else if (rng() % 20 == 0) {
      counts.Assign(plain);
    }
    std::vector<std::int64_t> starts(plain.size() + 1, 0);
    for (std::size_t i = 0; i < plain.size(); ++i) {
      starts[i + 1] = starts[i] + plain[i] + 1;
    }
    ASSERT_EQ(counts.LineCount(), static_cast<int>(plain.size())) << step;
    const std::int64_t total = plain.empty() ? 0 : starts.back() - 1;
    ASSERT_EQ(counts.TextLength(), total) << step;
    for (int probes = 0; probes < 4 && !plain.empty(); ++probes) {
      const int probe = static_cast<int>(rng() % plain.size());
      ASSERT_EQ(counts.Count(probe), plain[static_cast<std::size_t>(probe)]) << step;
      ASSERT_EQ(counts.LineStart(probe), starts[static_cast<std::size_t>(probe)]) << step;
      const auto offset = static_cast<std::int64_t>(rng() % (total + 2));
      const auto expected = static_cast<int>(
          std::upper_bound(starts.begin() + 1, starts.end() - 1, offset) - starts.begin() - 1);
      ASSERT_EQ(counts.LineAt(offset), expected) << step << " offset " << offset;
    }
  }
}

// The expanded text as characters with '\n' between lines.
std::u32string ExpandedChars(const TSrcEditModel& model) {
  std::u32string text;
  const std::vector<std::string> lines = model.Folds().ExpandedLines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      text += U'\n';
    }
    text += DecodeText(lines[i]).toStdU32String();
  }
  return text;
}

std::int64_t ExpectedCaret(const TSrcEditModel& model) {
  const TBufferPos pos = model.ToExpandedPos(model.CaretPos());
  const std::vector<std::string> lines = model.Folds().ExpandedLines();
  std::int64_t offset = 0;
  for (int i = 1; i < pos.Line && i <= static_cast<int>(lines.size()); ++i) {
    offset += DecodeText(lines[static_cast<std::size_t>(i - 1)]).toStdU32String().size() + 1;
  }
  if (pos.Line >= 1 && pos.Line <= static_cast<int>(lines.size())) {
    const std::string& line = lines[static_cast<std::size_t>(pos.Line - 1)];
    const std::size_t bytes =
        std::min<std::size_t>(static_cast<std::size_t>(pos.Char - 1), line.size());
    offset += CodePage::Current().CharCount(std::string_view(line).substr(0, bytes));
  }
  return offset;
}

void RunEdits(const char* code_page, const std::vector<std::string>& wide, std::uint32_t seed) {
  ScopedCodePage page(code_page);
  std::mt19937 rng(seed);
  std::vector<std::string> pieces = {"a", "b", " ", "\t", "mov", "%macro m 0", "%endmacro"};
  pieces.insert(pieces.end(), wide.begin(), wide.end());
  const auto random_line = [&] {
    std::string line;
    for (int n = static_cast<int>(rng() % 5); n > 0; --n) {
      line += pieces[rng() % pieces.size()];
    }
    return line;
  };
  for (int round = 0; round < 150; ++round) {
    std::vector<std::string> lines;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) {
      lines.push_back(rng() % 4 == 0 ? (rng() % 2 ? "%macro m 0" : "%endmacro") : random_line());
    }
    TEditorFixture f(lines);
    test::AddNasmFoldRegions(f.model.CodeFolding().FoldRegions());
    f.model.CodeFolding().SetEnabled(true);
    f.model.RescanFolds();
    TSrcEditAccessibleText text(f.model);
    text.Collecting = [] { return true; };
    std::u32string mirror = ExpandedChars(f.model);
    std::string trace;
    for (int step = 0; step < 40; ++step) {
      const int choice = static_cast<int>(rng() % 12);
      TSrcEditAllFoldRanges& ranges = f.model.Folds().Ranges();
      if (choice < 3) {
        f.Type(pieces[rng() % pieces.size()].substr(0, 1));
        trace += "type ";
      } else if (choice == 3) {
        static constexpr TSrcEditorCommand kEdits[] = {ecLineBreak,  ecDeleteLastChar, ecDeleteChar,
                                                       ecDeleteLine, ecUndo,           ecRedo};
        const TSrcEditorCommand c = kEdits[rng() % std::size(kEdits)];
        f.Cmd(c);
        trace += CommandToText(c) + " ";
      } else if (choice == 4) {
        const int line = 1 + static_cast<int>(rng() % std::max(f.model.LineCount(), 1));
        f.Caret(1 + static_cast<int>(rng() % 8), line);
        trace += "caret ";
      } else if (choice == 5) {
        const int l1 = 1 + static_cast<int>(rng() % std::max(f.model.LineCount(), 1));
        const int l2 = 1 + static_cast<int>(rng() % std::max(f.model.LineCount(), 1));
        f.Select({1 + static_cast<int>(rng() % 6), l1}, {1 + static_cast<int>(rng() % 6), l2});
        trace += "select ";
      } else if (choice == 6) {
        std::string pasted = random_line();
        for (int n = static_cast<int>(rng() % 3); n > 0; --n) {
          pasted += "\r\n" + random_line();
        }
        f.editor.ReplaceSelectionByMessage(true, pasted);
        trace += "replace ";
      } else if (choice == 7 && ranges.AllCount() > 0) {
        f.model.CollapseFold(*ranges.AllRange(static_cast<int>(rng() % ranges.AllCount())));
        trace += "collapse ";
      } else if (choice == 8 && ranges.AllCount() > 0) {
        f.model.ExpandFold(*ranges.AllRange(static_cast<int>(rng() % ranges.AllCount())));
        trace += "expand ";
      } else if (choice == 9) {
        f.model.RescanFoldsKeepingCollapsed();
        trace += "rescan ";
      } else if (choice == 10 && rng() % 4 == 0) {
        f.editor.SetTextByMessage(random_line() + "\r\n" + random_line());
        trace += "settext ";
      } else {
        f.Cmd(ecChar, 'x');
        trace += "x ";
      }
      const std::u32string expected = ExpandedChars(f.model);
      SCOPED_TRACE(trace + "\n" + f.model.Folds().Dump() + " counts " + text.Dump() + "\n" +
                   f.model.Lines().Dump());
      ASSERT_EQ(text.CharacterCount(), static_cast<std::int64_t>(expected.size()));
      ASSERT_EQ(text.Text(0, text.CharacterCount()).toStdU32String(), expected);
      for (const TAccessibleTextChange& change : text.TakeChanges()) {
        if (change.whole) {
          mirror = expected;
          continue;
        }
        const std::u32string removed = change.removed.toStdU32String();
        const auto at = static_cast<std::size_t>(change.position);
        ASSERT_LE(at + removed.size(), mirror.size());
        ASSERT_EQ(mirror.substr(at, removed.size()), removed);
        mirror.replace(at, removed.size(), change.inserted.toStdU32String());
      }
      ASSERT_EQ(mirror, expected);
      ASSERT_EQ(text.CaretOffset(), ExpectedCaret(f.model));
      // An offset and back: the line holding it and its start.
      if (!expected.empty()) {
        const auto offset = static_cast<std::int64_t>(rng() % expected.size());
        const std::size_t newline = expected.rfind(U'\n', static_cast<std::size_t>(offset) - 1);
        const std::int64_t start = offset == 0 || newline == std::u32string::npos
                                       ? 0
                                       : static_cast<std::int64_t>(newline) + 1;
        const int line = text.LineAt(offset);
        ASSERT_EQ(text.LineStart(line), start) << offset;
        ASSERT_EQ(text.OffsetOf(text.PositionAt(offset)), offset);
      }
    }
  }
}

TEST(AccessibleTextTest, RandomEditsKeepCountsOffsetsAndChangesUtf8) {
  RunEdits("UTF-8", {"\xE4\xB8\xAD", "\xC3\xA9", "\xF0\x9F\x98\x80"}, 1);
}

TEST(AccessibleTextTest, RandomEditsKeepCountsOffsetsAndChangesGbk) {
  RunEdits("GBK", {"\xD6\xD0", "\xCE\xC4", "\xA1\xA1"}, 2);
}

// Without a listener nothing is gathered.
TEST(AccessibleTextTest, NothingGatheredWhileNotCollecting) {
  TEditorFixture f({"abc", "def"});
  TSrcEditAccessibleText text(f.model);
  f.Type("xy");
  f.Cmd(ecLineBreak);
  EXPECT_TRUE(text.TakeChanges().empty());
  EXPECT_EQ(text.Text(0, text.CharacterCount()), QStringLiteral("xy\nabc\ndef"));
}

// A line break typed mid-line is one change: a break inserted.
TEST(AccessibleTextTest, ABatchIsOneChange) {
  TEditorFixture f({"abcdef", "g"});
  TSrcEditAccessibleText text(f.model);
  text.Collecting = [] { return true; };
  f.Caret(4, 1);
  f.Cmd(ecLineBreak);
  std::vector<TAccessibleTextChange> changes = text.TakeChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].position, 3);
  EXPECT_EQ(changes[0].removed, QString());
  EXPECT_EQ(changes[0].inserted, QStringLiteral("\n"));
  f.Cmd(ecDeleteLastChar);
  changes = text.TakeChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].removed, QStringLiteral("\n"));
  EXPECT_EQ(changes[0].inserted, QString());
}

}  // namespace
}  // namespace torvane
