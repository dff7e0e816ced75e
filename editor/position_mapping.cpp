// Tab and cell walks over a line, and the row/line mapping that word wrap
// replaces.
#include "editor/position_mapping.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/string_list.h"
#include "editor/row_layout.h"
#include "platform/codepage.h"

namespace torvane {
namespace line_cells {
namespace {

int Tab(int tab_width) {
  return std::max(tab_width, 1);
}

// Cells and bytes of the character at byte i (0-based) when it starts at the
// 0-based cell n.
struct Step {
  int cells;
  int bytes;
};
Step StepAt(std::string_view text, std::size_t i, int n, int tab_width) {
  if (i >= text.size()) {
    return {1, 1};
  }
  if (text[i] == '\t') {
    const int w = Tab(tab_width);
    return {w - n % w, 1};
  }
  return {CharCells(text, i), std::max(CharLength(text, i), 1)};
}

// Bytes at the start of text, at most `limit`, that are neither a TAB nor
// part of a multi-byte character: there a byte is one character of one
// cell, so a walk over a long line can step over them at once.
long PlainPrefix(std::string_view text, long limit) {
  const long n = std::min<long>(limit, static_cast<long>(text.size()));
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  long i = 0;
  while (i + 8 <= n) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    const std::uint64_t tabs = word ^ (kOnes * '\t');  // a zero byte where a TAB is
    if (((word | ((tabs - kOnes) & ~tabs)) & kHigh) != 0) {
      break;
    }
    i += 8;
  }
  while (i < n && text[static_cast<std::size_t>(i)] != '\t' &&
         static_cast<unsigned char>(text[static_cast<std::size_t>(i)]) < 0x80) {
    ++i;
  }
  return i;
}

}  // namespace

int ColumnOfChar(std::string_view text, int ch, int tab_width) {
  const long target = std::max(ch, 1) - 1;  // bytes to walk
  long i = PlainPrefix(text, target);
  long n = i;
  const long size = static_cast<long>(text.size());
  while (i < target && i < size) {
    const Step s = StepAt(text, static_cast<std::size_t>(i), static_cast<int>(n), tab_width);
    if (i + s.bytes > target) {
      // The position lies inside this character: count the bytes walked, at
      // most its cells, as a double-byte code page does byte by byte.
      n += std::min<long>(s.cells, target - i);
      i = target;
      break;
    }
    n += s.cells;
    i += s.bytes;
  }
  n += target - i;  // one cell per position past the end
  return static_cast<int>(std::min<long>(n + 1, INT32_MAX));
}

TCoveringChar CharCoveringColumn(std::string_view text, int col, int tab_width) {
  const long target = std::max(col, 1);
  long i = PlainPrefix(text, target);
  if (i >= target) {
    return {static_cast<int>(target), static_cast<int>(target)};
  }
  long n = i;
  const long size = static_cast<long>(text.size());
  while (i < size) {
    const Step s = StepAt(text, static_cast<std::size_t>(i), static_cast<int>(n), tab_width);
    if (n + s.cells >= target) {
      return {static_cast<int>(i + 1), static_cast<int>(n + 1)};
    }
    n += s.cells;
    i += s.bytes;
  }
  // Past the end columns and characters correspond one to one.
  const long ch = i + (target - n);
  return {static_cast<int>(std::min<long>(ch, INT32_MAX)), static_cast<int>(target)};
}

int CharOfColumn(std::string_view text, int col, int tab_width) {
  const TCoveringChar c = CharCoveringColumn(text, col, tab_width);
  const auto i = static_cast<std::size_t>(c.Char - 1);
  if (c.FirstColumn < std::max(col, 1) && i < text.size() && text[i] != '\t') {
    return c.Char + std::max(CharLength(text, i), 1);  // second cell of a wide character
  }
  return c.Char;
}

std::pair<int, int> ColumnBlockChars(std::string_view text, int c1, int c2, int tab_width) {
  const int from = CharCoveringColumn(text, c1, tab_width).Char;
  if (c2 <= c1) {
    return {from, from};
  }
  const TCoveringChar last = CharCoveringColumn(text, c2, tab_width);
  int to = last.Char;
  const auto i = static_cast<std::size_t>(last.Char - 1);
  if (last.FirstColumn < c2 && i < text.size()) {
    to = last.Char + std::max(CharLength(text, i), 1);  // straddles c2
  }
  return {from, std::max(from, to)};
}

int ColumnInsertChar(std::string_view text, int col, int tab_width) {
  const TCoveringChar c = CharCoveringColumn(text, col, tab_width);
  const auto i = static_cast<std::size_t>(c.Char - 1);
  if (c.FirstColumn < std::max(col, 1) && i < text.size()) {
    return c.Char + std::max(CharLength(text, i), 1);
  }
  return c.Char;
}

int LineCells(std::string_view text, int tab_width) {
  return ColumnOfChar(text, static_cast<int>(text.size()) + 1, tab_width) - 1;
}

bool IsInsideChar(std::string_view text, int ch) {
  return ch >= 1 && static_cast<std::size_t>(ch) <= text.size() &&
         IsTrailByte(text, static_cast<std::size_t>(ch - 1));
}

int SnapToCharStart(std::string_view text, int ch) {
  while (IsInsideChar(text, ch)) {
    --ch;
  }
  return ch;
}

}  // namespace line_cells

namespace {

std::string_view LineText(const TSrcEditStringList& lines, int line) {
  return lines.GetLine(line - 1);
}

}  // namespace

TDisplayPos TPositionMapping::ConvertToDisplay(TBufferPos pos) const {
  TDisplayPos result{pos.Char, pos.Line};
  if (pos.Line >= 1 && pos.Line <= lines_.LineCount()) {
    // A plain line's characters are its columns (a long one is not walked).
    result.Column =
        lines_.IsPlainLine(pos.Line - 1)
            ? std::max(pos.Char, 1)
            : line_cells::ColumnOfChar(LineText(lines_, pos.Line), pos.Char, tab_width_);
  }
  if (layout_ != nullptr) {
    result = layout_->BufferToDisplay({result.Column, pos.Line});
  }
  return result;
}

TBufferPos TPositionMapping::ConvertToBuffer(TDisplayPos pos) const {
  TBufferPos unwrapped{pos.Column, pos.Row};
  if (layout_ != nullptr) {
    unwrapped = layout_->DisplayToBuffer(pos);
  }
  TBufferPos result{std::max(unwrapped.Char, 1), unwrapped.Line};
  if (result.Line >= 1 && result.Line <= lines_.LineCount() &&
      !lines_.IsPlainLine(result.Line - 1)) {
    const std::string_view text = LineText(lines_, result.Line);
    result.Char = layout_ != nullptr
                      ? WrappedCharOfColumn(text, std::max(pos.Row, 1), unwrapped.Char)
                      : line_cells::CharOfColumn(text, unwrapped.Char, tab_width_);
  }
  return result;
}

int TPositionMapping::WrappedCharOfColumn(std::string_view text, int row, int column) const {
  const line_cells::TCoveringChar covering =
      line_cells::CharCoveringColumn(text, column, tab_width_);
  const auto i = static_cast<std::size_t>(covering.Char - 1);
  if (i >= text.size() || text[i] != '\t') {
    return line_cells::CharOfColumn(text, column, tab_width_);
  }
  // A tab split over rows belongs to the row it starts on: its cells on a
  // later row, and the columns past the end of its first row, give the
  // character after it.
  const int row_start = layout_->DisplayToBuffer({1, row}).Char;
  const int next_row_start = row_start + layout_->RowCharCount(row);
  if (covering.FirstColumn < row_start ||
      (column >= next_row_start && covering.FirstColumn < next_row_start)) {
    return covering.Char + 1;
  }
  return covering.Char;
}

int TPositionMapping::RowOfLine(int line) const {
  if (layout_ != nullptr) {
    return layout_->BufferToDisplay({1, line}).Row;
  }
  return line;
}

int TPositionMapping::LineOfRow(int row) const {
  if (layout_ != nullptr) {
    return layout_->DisplayToBuffer({1, row}).Line;
  }
  return row;
}

int TPositionMapping::LineCount() const {
  return lines_.LineCount();
}

int TPositionMapping::DisplayRowCount() const {
  if (lines_.LineCount() == 0) {
    return 0;
  }
  return layout_ != nullptr ? layout_->WrappedRowCount() : lines_.LineCount();
}

}  // namespace torvane
