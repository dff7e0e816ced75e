// Word-wrap bookkeeping: for every line of the store, how many display rows
// it takes and how many cells each row holds, and the conversions between
// unwrapped (column, line) and wrapped (column, row) positions. The editor's
// model owns one while word wrap is on and plugs it into the position
// mapping. Plain C++ over the line store; no display needed.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/row_layout.h"

namespace torvane {

class TSrcEditModel;

// The widest row the one-byte row table holds.
inline constexpr int kMaxWrapRowLength = 255;

// The row length a wrap width gives: rows count cells in one byte, so a
// width of 256 or more wraps at 255, and so does a width of 0 or less (no
// width to wrap at), which keeps every line of a document on screen.
int WrapRowLength(int wrap_width);

class TSrcWordWrapPlugin final : public ISrcEditBufferPlugin {
 public:
  // Lays out every line at once. Without an owner raises ESrcError
  // "TSrcWordWrapPlugin must be owned by TCustomSrcEdit".
  explicit TSrcWordWrapPlugin(TSrcEditModel* owner);

  TDisplayPos BufferToDisplay(TBufferPos pos) const override;
  TBufferPos DisplayToBuffer(TDisplayPos pos) const override;
  int WrappedRowCount() const override;
  // Cells of a 1-based row; "List index out of bounds (%d)" outside.
  int RowCharCount(int row) const override;
  int InsertLineRows(int index, int count) override;
  int DeleteLineRows(int index, int count) override;
  int RewrapLines(int index, int count) override;
  // RewrapLines for one line the store just changed in place: bytes before
  // `from` and the last `tail` bytes are as they were. A line of one-cell
  // characters is wrapped again only from the row the change can reach up
  // to where its rows meet the old ones again, so a key in a long line
  // costs the rows it moves, not the line.
  int RewrapChangedLine(int index, std::size_t from, std::size_t tail);
  // Rows the last RewrapChangedLine wrapped anew (all of the line's when it
  // wrapped the whole line).
  int LastRewrappedRows() const { return last_rewrapped_rows_; }
  void WidthChanged() override;
  void RebuildLayout() override;

  int MaxRowLength() const { return max_row_; }
  int MinRowLength() const { return min_row_; }
  int LineCount() const { return static_cast<int>(line_offsets_.size()); }
  // Allocated entries of the two tables.
  int LineCapacity() const { return static_cast<int>(line_offsets_.capacity()); }
  int RowCapacity() const { return static_cast<int>(row_lengths_.capacity()); }
  // The row lengths of one line, and the tables as text for failing tests:
  // "w12/8: 12 5 | 0 | 3" (the maximum and minimum row length, then the
  // rows of each line).
  std::vector<int> RowsOfLine(int index) const;
  std::string Dump() const;

 private:
  // The row lengths of line `index` of the store into `rows`.
  void WrapText(int index, std::vector<std::uint8_t>& rows) const;
  // Rewraps one line in place; the change in its number of rows.
  int WrapLine(int index);
  int FirstRowOf(int index) const { return index == 0 ? 0 : line_offsets_[index - 1]; }
  // Cells of the rows [from, to) (0-based).
  long SumRows(int from, int to) const;
  // Cells of the rows [first, row) of the line whose first row is `first`,
  // from the row last looked up in that line when it is nearer.
  long CellsBeforeRow(int first, int row) const;
  void RememberRow(int first, int row, long cells) const;
  // Puts `rows` in place of the rows [first, last) of line `index`; the
  // change in its number of rows.
  int SpliceRows(int index, int first, int last, const std::vector<std::uint8_t>& rows);
  void ReserveLines(std::size_t needed);
  void ReserveRows(std::size_t needed);

  TSrcEditModel* owner_;
  // Entry i: rows of lines 0..i together (the 1-based last row of line i).
  // Invariant: size is the line count and the last entry the row count.
  std::vector<std::int32_t> line_offsets_;
  // Cells of each row; its size is the row count.
  std::vector<std::uint8_t> row_lengths_;
  std::uint8_t max_row_ = kMaxWrapRowLength;
  // Rows broken at a break character hold more than this many cells.
  std::uint8_t min_row_ = 1;
  // Bytes that may begin a row: every byte that is not an identifier byte.
  std::bitset<256> breaks_;
  // Scratch of WrapText and WrapLine, reused between lines.
  mutable std::vector<std::uint8_t> cells_;
  std::vector<std::uint8_t> line_rows_;
  int last_rewrapped_rows_ = 0;
  // The last row looked up (0-based), the first row of its line and the
  // cells of the line before it; any change of the tables forgets it.
  mutable int cache_first_ = -1;
  mutable int cache_row_ = 0;
  mutable long cache_cells_ = 0;
};

}  // namespace torvane
