// Caret rows under word wrap when a tab is split over two or more rows: the
// tab belongs to the row it starts on, so Home, End, Up, Down and placing by
// a display position act on the row the caret shows on. Hand cases, then a
// seeded random comparison with a reference taken from the mapping.
#include <gtest/gtest.h>

#include <random>

#include "editor/row_layout.h"
#include "editor/word_wrap_plugin.h"
#include "platform/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace torvane {
namespace {

using testing::TEditorFixture;

struct TTabRows : TEditorFixture {
  TTabRows(std::vector<std::string> lines, int width, int tab_width = 8)
      : TEditorFixture(std::move(lines)) {
    model.SetTabWidth(tab_width);
    view.wrap_width = width;
    model.SetWordWrapActive(true);
  }
  TDisplayPos Shown() const { return model.DisplayPos(); }
  void Click(int column, int row) { model.PlaceCaretAtDisplay({column, row}, true); }
};

TEST(WordWrapTabRowsTest, ATabSplitOverTwoRowsBelongsToTheFirst) {
  // Cells: abcdefgh, the tab's 8, XYZ; rows of 10 and 9: the tab's last six
  // cells begin row 2.
  TTabRows f({"abcdefgh\tXYZ"}, 10);
  ASSERT_EQ(f.model.WordWrapLayout()->Dump(), "w10/7: 10 9");
  f.Caret(1, 1);
  f.Cmd(ecDown);  // to row 2, not sideways along row 1
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{7, 2}));
  f.Caret(12, 1);
  f.Cmd(ecLineStart);  // the first position of row 2 is after the tab
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 1}));
  EXPECT_EQ(f.Shown().Row, 2);
  f.Caret(2, 1);
  f.Cmd(ecLineEnd);  // after the tab, shown at the end of row 1
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  f.Cmd(ecLineEnd);
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  f.Cmd(ecDown);
  EXPECT_EQ(f.Shown().Row, 2);
  f.Cmd(ecUp);
  EXPECT_EQ(f.Shown().Row, 1);
  // Clicks on the tab's cells of row 2 stay on row 2; past row 1's end, on
  // row 1; on its cells of row 1, at the tab.
  f.Click(2, 2);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{7, 2}));
  f.Click(30, 1);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{11, 1}));
  f.Click(10, 1);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{9, 1}));
  EXPECT_EQ(f.Shown(), (TDisplayPos{9, 1}));

  // The reported line: 80 letters, a tab, bcd at 84 columns.
  TTabRows g({std::string(80, 'a') + "\tbcd"}, 84);
  ASSERT_EQ(g.model.WordWrapLayout()->Dump(), "w84/56: 84 7");
  g.Caret(3, 1);
  g.Cmd(ecDown);
  EXPECT_EQ(g.Shown().Row, 2);
  EXPECT_EQ(g.model.CaretPos(), (TBufferPos{82, 1}));
  g.Cmd(ecLineStart);
  EXPECT_EQ(g.Shown(), (TDisplayPos{5, 2}));
  g.Caret(3, 1);
  g.Cmd(ecLineEnd);
  EXPECT_EQ(g.Shown(), (TDisplayPos{85, 1}));
  g.Click(2, 2);
  EXPECT_EQ(g.Shown(), (TDisplayPos{5, 2}));
}

TEST(WordWrapTabRowsTest, BelowTheTabWidthRowsInsideATabAreStepped) {
  // Width 4, tab width 8: abcd | efgh | the tab | the tab | XYZ.
  TTabRows f({"abcdefgh\tXYZ", "next"}, 4);
  ASSERT_EQ(f.model.WordWrapLayout()->Dump(), "w4/3: 4 4 4 4 3 | 4");
  f.Caret(5, 1);
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{9, 1}));
  EXPECT_EQ(f.Shown().Row, 3);
  f.Cmd(ecDown);  // row 4 holds nothing but the tab: on to row 5
  EXPECT_EQ(f.Shown().Row, 5);
  EXPECT_EQ(f.model.CaretPos(), (TBufferPos{10, 1}));
  f.Cmd(ecDown);
  EXPECT_EQ(f.model.CaretPos().Line, 2);
  f.Cmd(ecUp);
  f.Cmd(ecUp);  // up from row 5: the tab's first row
  EXPECT_EQ(f.Shown().Row, 3);
  f.Cmd(ecUp);
  EXPECT_EQ(f.Shown().Row, 2);
  f.Caret(9, 1);
  f.Cmd(ecLineEnd);
  EXPECT_EQ(f.Shown(), (TDisplayPos{5, 3}));
  f.Click(2, 4);  // a click on the tab's second row goes to its first
  EXPECT_EQ(f.Shown().Row, 3);
}

// The reference: the rows that show a position of their own (the start of
// a character, or a line's end), from ConvertToDisplay of every position.
struct TRowsWithPositions {
  explicit TRowsWithPositions(const TSrcEditModel& model) {
    own.assign(static_cast<std::size_t>(model.Mapping().DisplayRowCount()) + 2, false);
    for (int line = 1; line <= model.LineCount(); ++line) {
      const std::string_view text = model.LineText(line);
      for (int c = 1; c <= static_cast<int>(text.size()) + 1; ++c) {
        if (!line_cells::IsInsideChar(text, c)) {
          own[static_cast<std::size_t>(model.ConvertToDisplay({c, line}).Row)] = true;
        }
      }
    }
  }
  // The nearest row from `row` in direction `step` that has positions,
  // `row` itself included when `inclusive`; 0 when there is none.
  int Nearest(int row, int step, bool inclusive) const {
    for (int r = inclusive ? row : row + step; r >= 1 && r < static_cast<int>(own.size());
         r += step) {
      if (own[static_cast<std::size_t>(r)]) {
        return r;
      }
    }
    return 0;
  }
  std::vector<bool> own;
};

TEST(WordWrapTabRowsTest, RandomRowMovesAgreeWithTheMapping) {
  ScopedCodePage page("UTF-8");
  const std::vector<std::string> pieces = {"a",        "b",  " ", "\t", "\t", ",", "\xE4\xB8\xAD",
                                           "\xC3\xA9", "xyz"};
  std::mt19937 rng(20261208);
  int steps = 0;
  for (int episode = 0; episode < 300; ++episode) {
    std::vector<std::string> lines(1 + rng() % 4);
    for (std::string& line : lines) {
      const int count = static_cast<int>(rng() % 30);
      for (int k = 0; k < count; ++k) {
        line += pieces[rng() % pieces.size()];
      }
    }
    const int widths[] = {1, 2, 3, 4, 5, 7, 9, 12, 20};
    const int tabs[] = {1, 2, 4, 8};
    const int width = widths[rng() % 9];
    TTabRows f(lines, width, tabs[rng() % 4]);
    TSrcEditorOptions options = f.model.Options();
    for (const TSrcEditorOption option :
         {eoKeepCaretX, eoScrollPastEol, eoEnhanceHomeKey, eoEnhanceEndKey}) {
      options = options.Set(option, rng() % 2 == 0);
    }
    f.model.ApplyOptions(options);
    const TRowsWithPositions reference(f.model);
    const int rows = f.model.Mapping().DisplayRowCount();
    const std::string trace = "width " + std::to_string(width) + " tab " +
                              std::to_string(f.model.TabWidth()) + " " +
                              f.model.WordWrapLayout()->Dump();
    for (int step = 0; step < 60; ++step, ++steps) {
      const int before = f.Shown().Row;
      ASSERT_TRUE(reference.own[static_cast<std::size_t>(before)]) << trace;
      const int action = static_cast<int>(rng() % 5);
      const std::string at = trace + " step " + std::to_string(step) + " action " +
                             std::to_string(action) + " from row " + std::to_string(before);
      switch (action) {
        case 0:
        case 1: {
          const int dy = action == 0 ? 1 : -1;
          f.Cmd(dy > 0 ? ecDown : ecUp);
          const int next = reference.Nearest(before, dy, false);
          ASSERT_EQ(f.Shown().Row, next == 0 ? before : next) << at;
          break;
        }
        case 2:
          f.Cmd(ecLineStart);
          ASSERT_EQ(f.Shown().Row, before) << at;
          break;
        case 3: {
          f.Cmd(ecLineEnd);
          ASSERT_EQ(f.Shown().Row, before) << at;
          // Before a line's last row End stands on the first position after
          // the row's own ones.
          const TBufferPos caret = f.model.CaretPos();
          if (f.model.Mapping().LineOfRow(before + 1) == caret.Line) {
            const std::string_view text = f.model.LineText(caret.Line);
            const int previous = line_cells::SnapToCharStart(text, caret.Char - 1);
            ASSERT_GT(f.model.ConvertToDisplay(caret).Row, before) << at;
            ASSERT_LE(f.model.ConvertToDisplay({previous, caret.Line}).Row, before) << at;
          }
          break;
        }
        default: {
          const int row = 1 + static_cast<int>(rng() % rows);
          const int column = 1 + static_cast<int>(rng() % (width + 3));
          f.Click(column, row);
          ASSERT_EQ(f.Shown().Row, reference.Nearest(row, -1, true))
              << at << " click " << column << "," << row;
          const TPositionMapping& map = f.model.Mapping();
          const int shown_row = f.Shown().Row;
          if (map.LineOfRow(shown_row + 1) == map.LineOfRow(shown_row)) {
            ASSERT_LE(f.Shown().Column, f.model.WordWrapLayout()->RowCharCount(shown_row) + 1)
                << at;
          }
          break;
        }
      }
    }
  }
  EXPECT_EQ(steps, 300 * 60);
}

}  // namespace
}  // namespace torvane
