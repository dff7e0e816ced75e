// Painting part of a long line measures and scans only that part: what is
// painted must be what painting the whole line would show, after any edits
// (which keep or drop the places a scan resumes at).
#include <gtest/gtest.h>

#include <QImage>
#include <random>
#include <string>
#include <vector>

#include "editor/edit_controller.h"
#include "editor/position_mapping.h"
#include "highlight/asm_highlighter.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

// The reference: an editor whose token scans always begin at the line's
// start, never at a resume point.
class TWholeLineEdit : public TSrcEdit {
 protected:
  void CollectTokens(int line, std::string_view text, int, int to,
                     std::vector<TPaintToken>& tokens) override {
    TSrcEdit::CollectTokens(line, text, 0, to, tokens);
  }
};

void Prepare(TSrcEdit& edit, TSrcAsmHighlighter& h, bool special_chars) {
  // Colours and styles that tell the token kinds apart.
  h.KeyAttri()->SetForeground(clRed);
  h.NumberAttri()->SetForeground(clBlue);
  h.StringAttri()->SetBackground(clYellow);
  h.CommentAttri()->SetForeground(clGreen);
  edit.resize(400, 120);
  edit.SetColor(clWhite);
  edit.SetFontColor(clBlack);
  edit.ActiveLine().SetBackground(clNone);
  edit.ActiveLine().SetForeground(clNone);
  edit.RightEdge().SetVisible(false);
  TSrcEditorOptions options = TSrcEditorOptions(kDefaultEditorOptions).Include(eoNoCaret);
  if (special_chars) {
    options.Include(eoShowSpecialChars);
  }
  edit.SetOptions(options);
  edit.SetHighlighter(&h);
  edit.show();
}

QImage Render(TSrcEdit& edit) {
  QImage image(edit.viewport()->size(), QImage::Format_RGB32);
  image.fill(Qt::green);
  edit.viewport()->render(&image);
  return image;
}

std::string RandomLine(std::mt19937& rng, std::size_t size, const std::string& wide) {
  const std::vector<std::string> pieces = {"mov", " ", "\t",    ", ",   "0x1F", "'ab'",    "\"s\"",
                                           "<=",  "+", "[ebx]", "lbl:", wide,   "\xC3\xA9" /* é */};
  std::string line;
  while (line.size() < size) {
    line += pieces[rng() % pieces.size()];
  }
  return line;
}

// Typing into the line at a random place: blanks, tabs, and the quote and
// semicolon that change every token after them.
void RandomEdit(TSrcEdit& edit, std::mt19937& rng) {
  const std::string_view line = edit.Lines().GetLine(0);
  const int ch = line_cells::SnapToCharStart(line, static_cast<int>(rng() % (line.size() + 1)) + 1);
  edit.SetCaretPos({ch, 1});
  static constexpr char kTyped[] = "x \t';1";
  TSrcEditController& c = edit.Controller();
  if (rng() % 4 == 0) {
    c.ProcessCommand(ecDeleteChar);
  } else {
    c.ProcessCommand(ecChar, kTyped[rng() % (sizeof(kTyped) - 1)]);
  }
}

// A long line scrolled to a column paints like the line whose bytes before
// a token start left of that column are blanks of the same width (the cells
// and tokens from there on are the same), in UTF-8 and GBK, with and without
// visible blanks, after each of a series of edits.
TEST(LongLinePaintTest, AScrolledLongLinePaintsLikeItsVisiblePart) {
  for (const char* page : {"UTF-8", "GBK"}) {
    ScopedCodePage cp(page);
    const std::string wide = std::string(page) == "GBK" ? "\xD6\xD0" : "\xE4\xB8\xAD";
    std::mt19937 rng(std::string(page) == "GBK" ? 11 : 12);
    for (const bool special : {false, true}) {
      TSrcAsmHighlighter ha;
      TSrcAsmHighlighter hb;
      TSrcEdit a;
      TSrcEdit b;
      Prepare(a, ha, special);
      Prepare(b, hb, special);
      a.Lines().SetAllText(RandomLine(rng, 200000, wide));
      TSrcAsmHighlighter scanner;
      for (int step = 0; step < 12; ++step) {
        RandomEdit(a, rng);
        const std::string text(a.Lines().GetLine(0));
        const int tab = a.TabWidth();
        const int cells = line_cells::LineCells(text, tab);
        const int first = 1 + static_cast<int>(rng() % static_cast<unsigned>(cells - 200));
        const int covering = line_cells::CharCoveringColumn(text, first, tab).Char - 1;
        int start = 0;
        scanner.StartLine(text, 0);
        for (; !scanner.AtLineEnd() && scanner.TokenStart() <= covering; scanner.AdvanceToken()) {
          start = scanner.TokenStart();
        }
        const int blanks = line_cells::ColumnOfChar(text, start + 1, tab) - 1;
        b.Lines().SetAllText(std::string(static_cast<std::size_t>(blanks), ' ') +
                             text.substr(static_cast<std::size_t>(start)));
        a.SetFirstVisibleColumn(first);
        b.SetFirstVisibleColumn(first);
        ASSERT_EQ(a.FirstVisibleColumn(), first);
        ASSERT_EQ(b.FirstVisibleColumn(), first);
        ASSERT_EQ(Render(a), Render(b)) << page << " step " << step << " column " << first;
      }
    }
  }
}

// A long wrapped line paints the same rows whether the scan of its tokens
// resumes near them or starts at the line's start, after each edit.
TEST(LongLinePaintTest, WrappedRowsOfALongLinePaintAsFromTheLineStart) {
  std::mt19937 rng(13);
  TSrcAsmHighlighter ha;
  TSrcAsmHighlighter hb;
  TSrcEdit a;
  TWholeLineEdit b;
  Prepare(a, ha, false);
  Prepare(b, hb, false);
  const std::string line = RandomLine(rng, 150000, "\xE4\xB8\xAD");
  for (TSrcEdit* edit : {static_cast<TSrcEdit*>(&a), static_cast<TSrcEdit*>(&b)}) {
    edit->Lines().SetAllText(line);
    edit->WordWrap().SetStyle(wwsSpecified);
    edit->WordWrap().SetPosition(30);
    edit->WordWrap().SetEnabled(true);
  }
  for (int step = 0; step < 12; ++step) {
    const unsigned seed = static_cast<unsigned>(rng());
    for (TSrcEdit* edit : {static_cast<TSrcEdit*>(&a), static_cast<TSrcEdit*>(&b)}) {
      std::mt19937 same(seed);
      RandomEdit(*edit, same);
    }
    ASSERT_EQ(a.Lines().GetLine(0), b.Lines().GetLine(0));
    const int rows = a.Model().Mapping().DisplayRowCount();
    ASSERT_EQ(rows, b.Model().Mapping().DisplayRowCount());
    const int row = 1 + static_cast<int>(rng() % static_cast<unsigned>(rows));
    a.SetFirstVisibleRow(row);
    b.SetFirstVisibleRow(row);
    ASSERT_EQ(a.FirstVisibleRow(), b.FirstVisibleRow());
    ASSERT_EQ(Render(a), Render(b)) << "step " << step << " row " << row;
  }
}

}  // namespace
}  // namespace torvane
