// The word-wrap layout: where rows break, the width rule, the conversions,
// and incremental upkeep checked against a full layout after random edits.
#include "editor/word_wrap_plugin.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "highlight/asm_highlighter.h"
#include "platform/codepage.h"
#include "tests/editor/recording_view.h"

namespace torvane {
namespace {

using testing::TModelFixture;

// A model over `lines` wrapped at `width` columns.
struct TWrapFixture : TModelFixture {
  TWrapFixture(std::vector<std::string> lines, int width) : TModelFixture(std::move(lines)) {
    view.wrap_width = width;
    model.SetWordWrapActive(true);
  }
  TSrcWordWrapPlugin& Layout() { return *model.WordWrapLayout(); }
  std::vector<int> Rows(int line) { return Layout().RowsOfLine(line - 1); }
};

std::string Letters(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += static_cast<char>('a' + i % 26);
  }
  return s;
}

TEST(WordWrapPluginTest, RowsBreakAtBlanksOrHardAtTheWidth) {
  TWrapFixture f({Letters(200), "abcdefg hijklmnop", "abcdefghi jklmno", "abcdefghi,jklmno", ""},
                 80);
  EXPECT_EQ(f.Rows(1), (std::vector<int>{80, 80, 40}));
  EXPECT_EQ(f.Layout().MinRowLength(), 54);
  f.view.wrap_width = 12;
  f.Layout().WidthChanged();
  EXPECT_EQ(f.Layout().MaxRowLength(), 12);
  EXPECT_EQ(f.Layout().MinRowLength(), 8);
  // The blank at offset 7 would leave a row of 7, not more than 8: hard break.
  EXPECT_EQ(f.Rows(2), (std::vector<int>{12, 5}));
  // The blank at offset 9 begins the second row.
  EXPECT_EQ(f.Rows(3), (std::vector<int>{9, 7}));
  // Without a highlighter punctuation does not break.
  EXPECT_EQ(f.Rows(4), (std::vector<int>{12, 4}));
  EXPECT_EQ(f.Rows(5), (std::vector<int>{0}));
  EXPECT_EQ(f.Layout().WrappedRowCount(), 17 + 2 + 2 + 2 + 1);
  EXPECT_EQ(f.model.Mapping().DisplayRowCount(), 24);

  // With the assembler highlighter a comma breaks; so does a tab's cells.
  TSrcAsmHighlighter highlighter;
  f.model.SetHighlighter(&highlighter);
  EXPECT_EQ(f.Rows(4), (std::vector<int>{9, 7}));
  f.model.SetHighlighter(nullptr);
  EXPECT_EQ(f.Rows(4), (std::vector<int>{12, 4}));
  f.model.Lines().SetLine(3, "abcdefghi\tx");  // the tab covers cells 10-16
  EXPECT_EQ(f.Rows(4), (std::vector<int>{12, 5}));

  TModelFixture empty;
  empty.model.SetWordWrapActive(true);
  EXPECT_EQ(empty.model.WordWrapLayout()->WrappedRowCount(), 0);
  EXPECT_EQ(empty.model.Mapping().DisplayRowCount(), 0);
  EXPECT_EQ(empty.model.WordWrapLayout()->LineCapacity(), 0);
}

TEST(WordWrapPluginTest, WidthsTheRowTableCannotHoldWrapAt255) {
  TWrapFixture f({Letters(600)}, 300);
  EXPECT_EQ(f.Rows(1), (std::vector<int>{255, 255, 90}));
  for (const int width : {256, 1000, 0, -5}) {
    f.view.wrap_width = width;
    f.Layout().RebuildLayout();
    EXPECT_EQ(f.Layout().MaxRowLength(), 255) << width;
    EXPECT_EQ(f.Layout().WrappedRowCount(), 3) << width;
  }
  EXPECT_EQ(WrapRowLength(255), 255);
  EXPECT_EQ(WrapRowLength(1), 1);
  // Width 1: every character its own row, and the layout stays exact.
  f.view.wrap_width = 1;
  f.Layout().WidthChanged();
  EXPECT_EQ(f.Layout().MinRowLength(), 1);
  EXPECT_EQ(f.Layout().WrappedRowCount(), 600);
}

TEST(WordWrapPluginTest, ConversionsBothWaysAlsoPastTheEnd) {
  TWrapFixture f({"x", Letters(200), "", "yy"}, 80);
  TSrcWordWrapPlugin& w = f.Layout();
  // Line 2 takes rows 2-4 (80, 80, 40).
  EXPECT_EQ(w.BufferToDisplay({1, 2}), (TDisplayPos{1, 2}));
  EXPECT_EQ(w.BufferToDisplay({80, 2}), (TDisplayPos{80, 2}));  // ends its row
  EXPECT_EQ(w.BufferToDisplay({81, 2}), (TDisplayPos{1, 3}));
  EXPECT_EQ(w.BufferToDisplay({200, 2}), (TDisplayPos{40, 4}));
  EXPECT_EQ(w.BufferToDisplay({203, 2}), (TDisplayPos{43, 4}));  // 3 past the end
  EXPECT_EQ(w.BufferToDisplay({5, 3}), (TDisplayPos{5, 5}));     // an empty line
  // Lines past the last are one row each.
  EXPECT_EQ(w.BufferToDisplay({7, 5}), (TDisplayPos{7, 7}));
  EXPECT_EQ(w.BufferToDisplay({1, 9}), (TDisplayPos{1, 11}));

  EXPECT_EQ(w.DisplayToBuffer({1, 3}), (TBufferPos{81, 2}));
  // Past a row that is not the line's last: right after its last character.
  EXPECT_EQ(w.DisplayToBuffer({200, 2}), (TBufferPos{81, 2}));
  EXPECT_EQ(w.DisplayToBuffer({200, 3}), (TBufferPos{161, 2}));
  // On the last row at most one past the wrap width.
  EXPECT_EQ(w.DisplayToBuffer({200, 4}), (TBufferPos{241, 2}));
  EXPECT_EQ(w.DisplayToBuffer({3, 6}), (TBufferPos{3, 4}));
  EXPECT_EQ(w.DisplayToBuffer({3, 7}), (TBufferPos{3, 5}));
  EXPECT_EQ(w.DisplayToBuffer({4, 12}), (TBufferPos{4, 10}));

  EXPECT_EQ(w.RowCharCount(3), 80);
  EXPECT_EQ(w.RowCharCount(5), 0);
  for (const int row : {0, 7, -1}) {
    try {
      w.RowCharCount(row);
      ADD_FAILURE() << row;
    } catch (const ESrcError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(row) + ")");
    }
  }
  // Through the one mapping: rows of lines and lines of rows.
  const TPositionMapping& map = f.model.Mapping();
  EXPECT_EQ(map.RowOfLine(3), 5);
  EXPECT_EQ(map.LineOfRow(4), 2);
  EXPECT_EQ(map.LineOfRow(8), 6);
  EXPECT_EQ(map.ConvertToDisplay({120, 2}), (TDisplayPos{40, 3}));
  EXPECT_EQ(map.ConvertToBuffer({40, 3}), (TBufferPos{120, 2}));

  try {
    TSrcWordWrapPlugin orphan(nullptr);
    ADD_FAILURE();
  } catch (const ESrcError& e) {
    EXPECT_EQ(std::string(e.what()), "TSrcWordWrapPlugin must be owned by TCustomSrcEdit");
  }
}

TEST(WordWrapPluginTest, WideCharactersMoveWholeToTheNextRow) {
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    const bool gbk = std::string(page) == "GBK";
    const std::string wide = gbk ? "\xD6\xD0" : "\xE4\xB8\xAD";  // two cells
    const std::string narrow = gbk ? "\x80" : "\xC3\xA9";        // one cell
    // Nine letters, then a wide character that would take cells 10 and 11.
    TWrapFixture f({"aaaaaaaaa" + wide + "b", narrow + narrow + narrow + wide + wide + wide}, 10);
    EXPECT_EQ(f.Rows(1), (std::vector<int>{9, 3})) << page;
    // Rows count cells, not bytes: three narrow and three wide make 9 cells.
    EXPECT_EQ(f.Rows(2), (std::vector<int>{9})) << page;
    f.model.Lines().SetLine(1, narrow + narrow + narrow + wide + wide + wide + wide);
    EXPECT_EQ(f.Rows(2), (std::vector<int>{9, 2})) << page;
    // The second row starts at the wide character, whose bytes stay whole.
    const int n = static_cast<int>(narrow.size());
    EXPECT_EQ(f.model.ConvertToBuffer({1, 4}),
              (TBufferPos{1 + 3 * n + 3 * static_cast<int>(wide.size()), 2}))
        << page;
    EXPECT_EQ(f.model.ConvertToDisplay({1 + 3 * n, 2}), (TDisplayPos{4, 3})) << page;
    // A wide character wider than a whole row gets a row of its own.
    f.view.wrap_width = 1;
    f.Layout().WidthChanged();
    EXPECT_EQ(f.Rows(1), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1})) << page;
  }
}

// --- random edits against a full layout ---------------------------------

struct TRandomText {
  std::vector<std::string> chars;

  std::string Line(std::mt19937& rng) {
    // Mostly short lines, some longer than the widest row.
    std::uniform_int_distribution<int> kind(0, 9);
    const int k = kind(rng);
    const int max_length = k < 6 ? 20 : k < 9 ? 120 : 400;
    std::uniform_int_distribution<int> length(0, max_length);
    std::uniform_int_distribution<std::size_t> pick(0, chars.size() - 1);
    std::string line;
    for (int n = length(rng); n > 0; --n) {
      line += chars[pick(rng)];
    }
    return line;
  }
};

// Cells where a character starts in `text` (tabs: every cell), and the cells.
std::set<int> CharStartCells(std::string_view text, int tab_width, int& cells) {
  std::set<int> starts;
  int n = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\t') {
      for (int k = tab_width - n % tab_width; k > 0; --k) {
        starts.insert(n++);
      }
      ++i;
      continue;
    }
    starts.insert(n);
    n += CharCells(text, i);
    i += static_cast<std::size_t>(std::max(CharLength(text, i), 1));
  }
  cells = n;
  starts.insert(n);
  return starts;
}

// Rows hold the line's cells exactly, end only where a character starts and
// are no wider than the width unless one character is.
void CheckRows(TSrcEditModel& model, int width, const char* mode) {
  const TSrcWordWrapPlugin& w = *model.WordWrapLayout();
  for (int i = 0; i < model.LineCount(); ++i) {
    int cells = 0;
    const std::set<int> starts = CharStartCells(model.LineText(i + 1), model.TabWidth(), cells);
    int sum = 0;
    const std::vector<int> rows = w.RowsOfLine(i);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      ASSERT_TRUE(rows[r] <= WrapRowLength(width) || rows[r] == 2) << mode << " line " << i;
      ASSERT_TRUE(rows[r] > 0 || rows.size() == 1)
          << mode << " line " << i << " " << w.Dump() << " [" << model.LineText(i + 1) << "]";
      sum += rows[r];
      ASSERT_TRUE(starts.count(sum) == 1) << mode << " line " << i << " row " << r;
    }
    ASSERT_EQ(sum, cells) << mode << " line " << i;
  }
}

TEST(WordWrapPluginTest, IncrementalUpkeepMatchesAFullLayoutAfterRandomEdits) {
  struct TMode {
    const char* page;
    bool highlighter;
    std::vector<std::string> chars;
  };
  const std::vector<std::string> ascii = {"a", "b", "x", "1", " ", " ", "\t", ",", ";", "_", "["};
  std::vector<TMode> modes;
  for (const bool hl : {false, true}) {
    modes.push_back({"ISO-8859-1", hl, ascii});
    std::vector<std::string> utf8 = ascii;
    utf8.insert(utf8.end(), {"\xE4\xB8\xAD", "\xE4\xB8\xAD", "\xC3\xA9", "\xF0\x9F\x98\x80"});
    modes.push_back({"UTF-8", hl, utf8});
    std::vector<std::string> gbk = ascii;
    gbk.insert(gbk.end(), {"\xD6\xD0", "\xB9\xFA", "\xD6\x40"});
    modes.push_back({"GBK", hl, gbk});
  }
  const std::vector<int> widths = {80, 12, 1, 2, 3, 255, 300, 0, 37};
  std::mt19937 rng(20261207);
  for (const TMode& mode : modes) {
    ScopedCodePage cp(mode.page);
    TRandomText text{mode.chars};
    TModelFixture f;
    TSrcAsmHighlighter highlighter;
    if (mode.highlighter) {
      f.model.SetHighlighter(&highlighter);
    }
    for (int i = 0; i < 30; ++i) {
      f.model.Lines().AppendLine(text.Line(rng));
    }
    f.view.wrap_width = 80;
    f.model.SetWordWrapActive(true);
    TSrcEditStringList& lines = f.model.Lines();
    std::uniform_int_distribution<int> op(0, 99);
    for (int step = 0; step < 400; ++step) {
      const int count = lines.LineCount();
      auto index = [&](int extra) {
        return std::uniform_int_distribution<int>(0, std::max(count - 1 + extra, 0))(rng);
      };
      const int o = op(rng);
      if (o < 40 && count > 0) {
        lines.SetLine(index(0), text.Line(rng));
      } else if (o < 55) {
        lines.InsertLine(index(1), text.Line(rng));
      } else if (o < 65 && count > 0) {
        const int at = index(0);
        lines.RemoveLines(at, std::min(count - at, 1 + op(rng) % 5));
      } else if (o < 70) {
        lines.InsertBlankLines(index(1), 1 + op(rng) % 4);
      } else if (o < 75) {
        std::vector<std::string> more;
        for (int n = op(rng) % 6; n >= 0; --n) {
          more.push_back(text.Line(rng));
        }
        lines.AppendLinesFrom(more);
      } else if (o < 80 && count > 1) {
        lines.ExchangeLines(index(0), index(0));
      } else if (o < 86) {
        f.view.wrap_width = widths[static_cast<std::size_t>(op(rng)) % widths.size()];
        f.model.WordWrapLayout()->WidthChanged();
      } else if (o < 90) {
        f.model.SetTabWidth(1 + op(rng) % 9);
      } else if (o < 92) {
        lines.ClearLines();
      } else if (o < 94) {
        lines.SetAllText(text.Line(rng) + "\r\n" + text.Line(rng) + "\n" + text.Line(rng));
      } else if (count > 0) {
        lines.DeleteLine(index(0));
      }
      TSrcWordWrapPlugin full(&f.model);
      const std::string context = std::string(mode.page) + (mode.highlighter ? " hl" : "") +
                                  " step " + std::to_string(step);
      ASSERT_EQ(f.model.WordWrapLayout()->Dump(), full.Dump()) << context;
      ASSERT_EQ(f.model.WordWrapLayout()->LineCount(), lines.LineCount()) << context;
      if (step % 20 == 0) {
        CheckRows(f.model, f.view.wrap_width, context.c_str());
      }
    }
  }
}

// Keys and undo steps change a line in place (ReplaceLineBytes); a line of
// one-cell characters is then wrapped again only around the change. Long
// lines, changes anywhere (also ones that make a line short, or put a tab or
// a wide character in, which wraps the line whole, or make it plain again),
// at several widths: the rows must equal a full layout's.
TEST(WordWrapPluginTest, InPlaceChangesMatchAFullLayout) {
  ScopedCodePage cp("UTF-8");
  const std::vector<std::string> plain = {"a", "b", "x", " ", ",", "_", "1"};
  const std::vector<int> widths = {80, 12, 1, 2, 3, 37, 255, 7};
  std::mt19937 rng(20261208);
  int steps = 0;
  int partial = 0;
  for (const bool hl : {false, true}) {
    TModelFixture f;
    TSrcAsmHighlighter highlighter;
    if (hl) {
      f.model.SetHighlighter(&highlighter);
    }
    auto piece = [&](int length) {
      std::string out;
      for (int i = 0; i < length; ++i) {
        out += plain[rng() % plain.size()];
      }
      return out;
    };
    for (int i = 0; i < 4; ++i) {
      std::string line;
      for (int n = static_cast<int>(rng() % 3000); n > 0; --n) {
        line += plain[rng() % plain.size()];
      }
      f.model.Lines().AppendLine(line);
    }
    f.view.wrap_width = 80;
    f.model.SetWordWrapActive(true);
    TSrcEditStringList& lines = f.model.Lines();
    for (int step = 0; step < 1500; ++step, ++steps) {
      const int index = static_cast<int>(rng() % 4);
      const std::size_t size = lines.GetLine(index).size();
      const std::size_t offset = rng() % (size + 1);
      const int kind = static_cast<int>(rng() % 10);
      const std::size_t count = kind < 6 ? rng() % 3 : kind < 9 ? rng() % 200 : size;
      std::string text =
          piece(kind < 7 ? static_cast<int>(rng() % 4) : static_cast<int>(rng() % 300));
      if (lines.GetLine(index).size() + text.size() < 60) {
        text += piece(500);  // keep the lines long
      }
      const int extra = static_cast<int>(rng() % 40);
      if (extra < 2) {
        text += extra == 0 ? "\t" : "\xE4\xB8\xAD";  // the line is plain no more
      } else if (extra == 2) {
        lines.ReplaceLineBytes(index, 0, size, piece(static_cast<int>(rng() % 3000)));
      }
      lines.ReplaceLineBytes(index, offset, count, text);
      const int rows = static_cast<int>(f.model.WordWrapLayout()->RowsOfLine(index).size());
      if (lines.IsPlainLine(index) && rows > 10 &&
          f.model.WordWrapLayout()->LastRewrappedRows() <= 3) {
        ++partial;
      }
      if (rng() % 50 == 0) {
        f.view.wrap_width = widths[rng() % widths.size()];
        f.model.WordWrapLayout()->WidthChanged();
      }
      TSrcWordWrapPlugin full(&f.model);
      ASSERT_EQ(f.model.WordWrapLayout()->Dump(), full.Dump())
          << (hl ? "hl " : "") << "step " << step << " width " << f.view.wrap_width;
    }
  }
  EXPECT_EQ(steps, 3000);
  // Most keys in a long plain line wrapped a few rows, not the line.
  EXPECT_GT(partial, 400);
}

}  // namespace
}  // namespace torvane
