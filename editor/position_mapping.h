// The one mapping between buffer and display positions and between screen
// rows and store lines. Word wrap replaces the row part by plugging in an
// ISrcEditBufferPlugin; nobody else converts rows and lines by themselves.
#pragma once

#include <string_view>
#include <utility>

#include "editor/positions.h"

namespace torvane {

class ISrcEditBufferPlugin;
class TSrcEditStringList;

// Cell arithmetic on one line's bytes: tabs run to the next multiple of the
// tab width, every other character takes CharCells cells and CharLength bytes,
// and positions past the end take one cell each.
namespace line_cells {

// 1-based display column of the 1-based character `ch` of `text`.
int ColumnOfChar(std::string_view text, int ch, int tab_width);
// 1-based character shown at the 1-based column `col`: a column covered by a
// tab gives the tab, a column in the second cell of a wide character gives
// the character after it (a position never falls inside a character).
int CharOfColumn(std::string_view text, int col, int tab_width);
// The character whose cells cover `col` (the wide character itself for its
// second cell), and the first column of that character.
struct TCoveringChar {
  int Char;
  int FirstColumn;
};
TCoveringChar CharCoveringColumn(std::string_view text, int col, int tab_width);
// Characters [from, to) of a column block over the columns c1 … c2 - 1: every
// character with a cell in that range, whole (a tab or wide character that
// straddles an edge belongs to the block); past the end one per column.
// What a column selection shows, copies and removes. Empty when c2 <= c1.
std::pair<int, int> ColumnBlockChars(std::string_view text, int c1, int c2, int tab_width);
// Where text put into column `col` goes: the character starting there, or
// the one after a character straddling it; past the end one per column.
int ColumnInsertChar(std::string_view text, int col, int tab_width);
// Width of the whole line in cells.
int LineCells(std::string_view text, int tab_width);
// Moves a 1-based character that lies inside a multi-byte character to that
// character's start; positions at a character start or past the end stay.
int SnapToCharStart(std::string_view text, int ch);
// True when the 1-based character is inside (not at the start of) a character.
bool IsInsideChar(std::string_view text, int ch);

}  // namespace line_cells

class TPositionMapping {
 public:
  explicit TPositionMapping(const TSrcEditStringList& lines) : lines_(lines) {}

  int TabWidth() const { return tab_width_; }
  void SetTabWidth(int width) { tab_width_ = width; }

  // nullptr switches back to one row per line.
  void SetRowLayout(ISrcEditBufferPlugin* layout) { layout_ = layout; }
  ISrcEditBufferPlugin* RowLayout() const { return layout_; }
  bool IsWrapping() const { return layout_ != nullptr; }

  TDisplayPos ConvertToDisplay(TBufferPos pos) const;
  TBufferPos ConvertToBuffer(TDisplayPos pos) const;

  // First display row of a 1-based line; lines past the end are one row each.
  int RowOfLine(int line) const;
  // The 1-based line shown on a display row.
  int LineOfRow(int row) const;
  // 0 for an empty document.
  int DisplayRowCount() const;
  int LineCount() const;

 private:
  // The character of an unwrapped column shown on a wrapped row.
  int WrappedCharOfColumn(std::string_view text, int row, int column) const;

  const TSrcEditStringList& lines_;
  int tab_width_ = 8;
  ISrcEditBufferPlugin* layout_ = nullptr;
};

}  // namespace torvane
