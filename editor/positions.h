// The two coordinate systems of the editor: buffer positions (byte index and
// line in the line store) and display positions (cell column and screen row).
#pragma once

#include <compare>
#include <cstdint>

namespace torvane {

// (character, line), both from 1. The character is a byte index into the
// line's text; length + 1 stands just after the last character. The line
// counts only the lines present in the line store (folded lines are not).
struct TBufferPos {
  std::int32_t Char = 1;
  std::int32_t Line = 1;

  // Document order: line first, then character.
  friend constexpr auto operator<=>(const TBufferPos& a, const TBufferPos& b) {
    if (auto c = a.Line <=> b.Line; c != 0) {
      return c;
    }
    return a.Char <=> b.Char;
  }
  friend constexpr bool operator==(const TBufferPos&, const TBufferPos&) = default;
};

// (column, row), both from 1. Columns count cells after tab expansion; rows
// count screen rows, which differ from lines once word wrap is on.
struct TDisplayPos {
  std::int32_t Column = 1;
  std::int32_t Row = 1;

  friend constexpr auto operator<=>(const TDisplayPos& a, const TDisplayPos& b) {
    if (auto c = a.Row <=> b.Row; c != 0) {
      return c;
    }
    return a.Column <=> b.Column;
  }
  friend constexpr bool operator==(const TDisplayPos&, const TDisplayPos&) = default;
};

}  // namespace torvane
