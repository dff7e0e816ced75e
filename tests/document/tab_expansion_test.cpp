// Tab expansion in display cells, the expanded-length cache and the longest
// line, checked against a plain reference walk for many tab widths.
#include "document/tab_expansion.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "document/string_list.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

// The rule written the slow, obvious way: cells per character, a TAB to the
// next multiple of the width (one cell per TAB for widths <= 1).
std::string Reference(std::string_view text, int width, int& cells) {
  std::string out;
  cells = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\t') {
      const int next = width <= 1 ? cells + 1 : (cells / width + 1) * width;
      out.append(width <= 1 ? 1 : static_cast<std::size_t>(next - cells), '\t');
      cells = next;
      ++i;
    } else {
      const int length = std::max(1, CharLength(text, i));
      cells += CharCells(text, i);
      out.append(text.substr(i, static_cast<std::size_t>(length)));
      i += static_cast<std::size_t>(length);
    }
  }
  return out;
}

TEST(TabExpansion, ExamplesOfTheRule) {
  ScopedCodePage page("UTF-8");
  TSrcEditStringList store;
  store.AppendLine("a\tb");
  store.SetTabWidth(4);
  EXPECT_EQ(store.GetExpandedLine(0), "a\t\t\tb");
  EXPECT_EQ(store.GetExpandedLength(0), 5);
  EXPECT_EQ(store.GetLineRecord(0).LineFlags, lfHasTabs);
  store.SetTabWidth(8);
  EXPECT_EQ(store.GetExpandedLength(0), 9);
  store.SetTabWidth(1);
  EXPECT_EQ(store.GetExpandedLine(0), "a\tb");
  EXPECT_EQ(store.GetExpandedLength(0), 3);
  store.SetTabWidth(0);
  EXPECT_EQ(store.GetExpandedLength(0), 3);

  store.AppendLine("");
  EXPECT_EQ(store.GetExpandedLine(1), "");
  EXPECT_EQ(store.GetExpandedLength(1), 0);
  EXPECT_EQ(store.GetLineRecord(1).LineFlags, lfHasNoTabs);

  // A CJK character: 3 bytes, 2 cells; the TAB after it still lands on a stop.
  store.SetTabWidth(4);
  store.AppendLine("\xe4\xb8\xad\tx");
  EXPECT_EQ(store.GetExpandedLine(2), "\xe4\xb8\xad\t\tx");
  EXPECT_EQ(store.GetExpandedLength(2), 5);
  store.AppendLine("\xe4\xb8\xad\xe6\x96\x87");  // no tab: the text itself
  EXPECT_EQ(store.GetExpandedLine(3).data(), store.GetLine(3).data());
  EXPECT_EQ(store.GetExpandedLength(3), 4);
}

TEST(TabExpansion, DoubleByteCodePageCountsBytes) {
  ScopedCodePage page("GBK");
  TSrcEditStringList store;
  store.SetTabWidth(4);
  store.AppendLine("\xd6\xd0\tx");  // one double-byte character: 2 bytes, 2 cells
  EXPECT_EQ(store.GetExpandedLine(0), "\xd6\xd0\t\tx");
  EXPECT_EQ(store.GetExpandedLength(0), 5);
}

TEST(TabExpansion, ThreeRoutinesAgreeWithTheReference) {
  ScopedCodePage page("UTF-8");
  std::mt19937 random(1234);
  const std::string pieces[] = {
      "\t",  "a", " ", "mov", "\xe4\xb8\xad", "\xc3\xa9", "\xff", "\x80", std::string(1, '\0'),
      "\t\t"};
  for (const int width : {1, 2, 3, 4, 7, 8, 32768, 0, -5, 65536, 100}) {
    const TExpandRoutines routines = ExpandRoutinesFor(width);
    for (int round = 0; round < 300; ++round) {
      std::string text;
      const int parts = static_cast<int>(random() % 12);
      for (int p = 0; p < parts; ++p) {
        text += pieces[random() % std::size(pieces)];
      }
      int cells = 0;
      const std::string expected = Reference(text, width, cells);
      bool has_tabs = false;
      EXPECT_EQ(routines.Length(text, width, has_tabs), cells) << width << " " << text;
      EXPECT_EQ(has_tabs, text.find('\t') != std::string::npos);
      std::string out = "stale";
      routines.Text(text, width, out);
      EXPECT_EQ(out, expected) << width;
    }
  }
}

TEST(TabExpansion, LongestLineIsCachedAndInvalidated) {
  ScopedCodePage page("UTF-8");
  TSrcEditStringList store;
  store.AppendLine("");
  store.AppendLine("");
  EXPECT_EQ(store.LongestLineLength(), 0);
  EXPECT_EQ(store.LongestLineIndex(), -1);  // all empty: scan again next time

  store.ClearLines();
  for (const char* line : {"ab", "\tx", "12345678x", "abc"}) {
    store.AppendLine(line);
  }
  // "\tx" and "12345678x" are both 9 cells: the first wins.
  EXPECT_EQ(store.LongestLineLength(), 9);
  EXPECT_EQ(store.LongestLineIndex(), 1);

  store.SetLine(3, "a much longer line");  // kept up to date, no rescan needed
  EXPECT_EQ(store.LongestLineIndex(), 3);
  EXPECT_EQ(store.LongestLineLength(), 18);
  store.SetLine(2, "a much longer lin2");  // as long, but earlier: it wins
  EXPECT_EQ(store.LongestLineIndex(), 2);
  store.SetLine(2, "shrunk");  // the longest got shorter: found again
  EXPECT_EQ(store.LongestLineLength(), 18);
  EXPECT_EQ(store.LongestLineIndex(), 3);

  store.SetTabWidth(32);
  EXPECT_EQ(store.LongestLineIndex(), -1);
  EXPECT_EQ(store.LongestLineLength(), 33);
  EXPECT_EQ(store.LongestLineIndex(), 1);

  store.RemoveLines(1, 1);
  EXPECT_EQ(store.LongestLineIndex(), -1);
  EXPECT_EQ(store.LongestLineLength(), 18);
  store.InsertBlankLines(0, 2);
  EXPECT_EQ(store.LongestLineLength(), 18);
  EXPECT_EQ(store.LongestLineIndex(), 4);
  store.InsertLine(1, "x");
  store.DeleteLine(0);
  EXPECT_EQ(store.LongestLineIndex(), 4);
  store.InsertLine(4, std::string(18, 'z'));  // as long, and before: it wins
  EXPECT_EQ(store.LongestLineIndex(), 4);
  store.DeleteLine(4);
  store.DeleteLine(4);
  EXPECT_EQ(store.LongestLineLength(), 6);  // "shrunk"
  store.AppendLine(std::string(40, 'y'));
  EXPECT_EQ(store.LongestLineLength(), 40);
}

TEST(TabExpansion, HugeTabWidthsSaturateInsteadOfOverflowing) {
  const TExpandRoutines routines = ExpandRoutinesFor(1 << 30);
  bool has_tabs = false;
  EXPECT_EQ(routines.Length("\t\t\t\tx", 1 << 30, has_tabs), 2147483647);
}

}  // namespace
}  // namespace torvane
