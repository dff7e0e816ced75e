// What the selection contains: its text in the three selection modes and the
// test whether a position lies inside it.
#include <algorithm>
#include <functional>
#include <vector>

#include "editor/edit_model.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// Lines enter a normal or line selection without their trailing blanks and
// control characters.
std::string_view TrimTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) {
    --end;
  }
  return text.substr(0, end);
}

// Bytes from..to-1 (1-based, clipped to the text).
std::string_view Slice(std::string_view text, int from, int to) {
  const auto size = static_cast<long>(text.size());
  const long a = std::clamp<long>(from - 1L, 0, size);
  const long b = std::clamp<long>(to - 1L, a, size);
  return text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
}

// Hands the text from s to e of lines given by `line_text` (1-based) to
// `piece` in order, without joining it; c1..c2 are the display columns of a
// column selection.
void VisitSelectionText(
    const std::function<std::string_view(int)>& line_text, TBufferPos s, TBufferPos e,
    TSrcSelectionMode mode, int c1, int c2, int tab, bool trim_trailing_spaces,
    const std::function<std::pair<int, int>(int, std::string_view)>& column_range,
    const std::function<void(std::string_view)>& piece) {
  switch (mode) {
    case smNormal: {
      if (s.Line == e.Line) {
        piece(Slice(TrimTrailingBlanks(line_text(s.Line)), s.Char, e.Char));
        break;
      }
      const std::string_view first = TrimTrailingBlanks(line_text(s.Line));
      piece(Slice(first, s.Char, static_cast<int>(first.size()) + 1));
      for (int line = s.Line + 1; line < e.Line; ++line) {
        piece(kLineBreak);
        piece(TrimTrailingBlanks(line_text(line)));
      }
      piece(kLineBreak);
      piece(Slice(TrimTrailingBlanks(line_text(e.Line)), 1, e.Char));
      break;
    }
    case smLine:
      for (int line = s.Line; line <= e.Line; ++line) {
        piece(TrimTrailingBlanks(line_text(line)));
        piece(kLineBreak);
      }
      break;
    case smColumn: {
      constexpr std::string_view kBlanks = "                                ";
      for (int line = s.Line; line <= e.Line; ++line) {
        if (line > s.Line) {
          piece(kLineBreak);
        }
        const std::string_view text = line_text(line);
        const auto [from, to] = column_range(line, text);
        piece(Slice(text, from, to));
        const int line_end = line_cells::LineCells(text, tab) + 1;
        if (line_end < c2 && !trim_trailing_spaces) {
          for (int pad = c2 - std::max(c1, line_end); pad > 0;
               pad -= static_cast<int>(kBlanks.size())) {
            piece(kBlanks.substr(0, std::min<std::size_t>(kBlanks.size(), pad)));
          }
        }
      }
      break;
    }
  }
}

}  // namespace

std::string TSrcEditModel::SelectedText() const {
  std::string text;
  VisitSelectedText([&text](std::string_view piece) { text += piece; });
  return text;
}

void TSrcEditModel::VisitSelectedText(const std::function<void(std::string_view)>& piece) const {
  if (!HasSelection()) {
    return;
  }
  const TBufferPos s = SelStart();
  const TBufferPos e = SelEnd();
  const std::pair<int, int> columns = ColumnBlockColumns();
  const auto [c1, c2] = columns;
  const bool trim = options_.Has(eoTrimTrailingSpaces);
  if (!folds_->HasCollapsedHeaderIn(s.Line, e.Line)) {
    VisitSelectionText(
        [this](int line) { return LineText(line); }, s, e, selection_mode_, c1, c2, TabWidth(),
        trim, [&](int line, std::string_view) { return ColumnBlockOnLine(line, columns); }, piece);
    return;
  }
  // Blocks collapsed inside the selection are part of it: select in the
  // expanded text. An end inside a header's appended mark covers its block.
  std::vector<std::string> lines;
  folds_->AppendExpandedLines(s.Line, e.Line, lines);
  TBufferPos end{e.Char,
                 folds_->ExpandedLineNumber(e.Line) - folds_->ExpandedLineNumber(s.Line) + 1};
  const TSrcEditFoldRange* last = folds_->CollapsedHeaderAt(e.Line);
  if (last != nullptr && e.Char > static_cast<int>(folds_->HeaderText(*last).size()) + 1) {
    end = {static_cast<int>(lines.back().size()) + 1, static_cast<int>(lines.size())};
  }
  VisitSelectionText(
      [&lines](int line) {
        return line >= 1 && line <= static_cast<int>(lines.size())
                   ? std::string_view(lines[static_cast<std::size_t>(line - 1)])
                   : std::string_view();
      },
      {s.Char, 1}, end, selection_mode_, c1, c2, TabWidth(), trim,
      [&, c1 = c1, c2 = c2, tab = TabWidth()](int, std::string_view text) {
        // Widened so that no character straddling c1 or c2 is cut.
        const int from = line_cells::CharCoveringColumn(text, c1, tab).Char;
        const line_cells::TCoveringChar end_char = line_cells::CharCoveringColumn(text, c2, tab);
        int to = end_char.Char;
        if (end_char.FirstColumn < c2 && static_cast<std::size_t>(end_char.Char) <= text.size()) {
          to = end_char.Char +
               std::max(CharLength(text, static_cast<std::size_t>(end_char.Char - 1)), 1);
        }
        return std::pair<int, int>(from, to);
      },
      piece);
}

bool TSrcEditModel::IsPointInSelection(TBufferPos pos) const {
  if (!HasSelection()) {
    return false;
  }
  const TBufferPos s = SelStart();
  const TBufferPos e = SelEnd();
  if (pos.Line < s.Line || pos.Line > e.Line) {
    return false;
  }
  switch (selection_mode_) {
    case smLine:
      return true;
    case smColumn: {
      const auto [from, to] = ColumnBlockOnLine(pos.Line, ColumnBlockColumns());
      return pos.Char >= from && pos.Char < to;
    }
    case smNormal:
      break;
  }
  if (pos.Line == s.Line && pos.Char < s.Char) {
    return false;
  }
  return !(pos.Line == e.Line && pos.Char >= e.Char);
}

std::pair<int, int> TSrcEditModel::ColumnBlockColumns() const {
  const int tab = TabWidth();
  const int a = line_cells::ColumnOfChar(LineText(anchor_.Line), anchor_.Char, tab);
  const int b = line_cells::ColumnOfChar(LineText(active_.Line), active_.Char, tab);
  return {std::min(a, b), std::max(a, b)};
}

std::pair<int, int> TSrcEditModel::ColumnBlockOnLine(int line, std::pair<int, int> columns) const {
  return line_cells::ColumnBlockChars(LineText(line), columns.first, columns.second, TabWidth());
}

}  // namespace torvane
