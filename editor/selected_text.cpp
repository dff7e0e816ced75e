// What the selection contains: its text in the three selection modes and the
// test whether a position lies inside it.
#include <algorithm>

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

}  // namespace

std::string TSrcEditModel::SelectedText() const {
  if (!HasSelection()) {
    return {};
  }
  const TBufferPos s = SelStart();
  const TBufferPos e = SelEnd();
  std::string out;
  switch (selection_mode_) {
    case smNormal: {
      if (s.Line == e.Line) {
        out = Slice(TrimTrailingBlanks(LineText(s.Line)), s.Char, e.Char);
        break;
      }
      const std::string_view first = TrimTrailingBlanks(LineText(s.Line));
      out = Slice(first, s.Char, static_cast<int>(first.size()) + 1);
      for (int line = s.Line + 1; line < e.Line; ++line) {
        out += kLineBreak;
        out += TrimTrailingBlanks(LineText(line));
      }
      out += kLineBreak;
      out += Slice(TrimTrailingBlanks(LineText(e.Line)), 1, e.Char);
      break;
    }
    case smLine:
      for (int line = s.Line; line <= e.Line; ++line) {
        out += TrimTrailingBlanks(LineText(line));
        out += kLineBreak;
      }
      break;
    case smColumn: {
      const std::pair<int, int> columns = ColumnBlockColumns();
      const auto [c1, c2] = columns;
      for (int line = s.Line; line <= e.Line; ++line) {
        if (line > s.Line) {
          out += kLineBreak;
        }
        const std::string_view text = LineText(line);
        const auto [from, to] = ColumnBlockOnLine(line, columns);
        out += Slice(text, from, to);
        const int line_end = line_cells::LineCells(text, TabWidth()) + 1;
        if (line_end < c2 && !options_.Has(eoTrimTrailingSpaces)) {
          out.append(static_cast<std::size_t>(c2 - std::max(c1, line_end)), ' ');
        }
      }
      break;
    }
  }
  return out;
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
