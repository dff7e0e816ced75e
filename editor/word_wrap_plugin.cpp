// Wrapping lines into rows of cells and keeping the row tables in step with
// the line store.
#include "editor/word_wrap_plugin.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "editor/edit_model.h"
#include "highlight/custom_highlighter.h"
#include "platform/codepage.h"
#include "platform/errors.h"

namespace torvane {
namespace {

// What one cell of an expanded line is, for finding row ends.
enum : std::uint8_t {
  kCellChar,   // starts a character that is not a break character
  kCellBreak,  // starts a break character: a row may begin here
  kCellInside  // the second cell of a wide character: no row begins here
};

// Table growth: lines in steps of 256, rows in steps of 512, so an edit
// rarely reallocates.
constexpr std::size_t kLineStep = 256;
constexpr std::size_t kRowStep = 512;

}  // namespace

int WrapRowLength(int wrap_width) {
  return (wrap_width <= 0 || wrap_width > kMaxWrapRowLength) ? kMaxWrapRowLength : wrap_width;
}

TSrcWordWrapPlugin::TSrcWordWrapPlugin(TSrcEditModel* owner) : owner_(owner) {
  if (owner_ == nullptr) {
    throw ESrcError("TSrcWordWrapPlugin must be owned by TCustomSrcEdit");
  }
  RebuildLayout();
}

void TSrcWordWrapPlugin::ReserveLines(std::size_t needed) {
  if (needed > line_offsets_.capacity()) {
    line_offsets_.reserve(needed - needed % kLineStep + kLineStep);
  }
}

void TSrcWordWrapPlugin::ReserveRows(std::size_t needed) {
  if (needed > row_lengths_.capacity()) {
    row_lengths_.reserve(needed + kRowStep - needed % kRowStep);
  }
}

void TSrcWordWrapPlugin::WrapText(int index, std::vector<std::uint8_t>& rows) const {
  rows.clear();
  const TSrcEditStringList& lines = owner_->Lines();
  const int max = max_row_;
  if (lines.GetExpandedLength(index) <= max) {
    rows.push_back(static_cast<std::uint8_t>(lines.GetExpandedLength(index)));
    return;
  }
  // The expanded text holds one TAB byte per cell of a tab; every other
  // character keeps its bytes and takes CharCells cells.
  const std::string_view text = lines.GetExpandedLine(index);
  cells_.clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    cells_.push_back(breaks_[byte] ? kCellBreak : kCellChar);
    if (byte == '\t') {
      ++i;
      continue;
    }
    for (int k = 1; k < CharCells(text, i); ++k) {
      cells_.push_back(kCellInside);
    }
    i += static_cast<std::size_t>(std::max(CharLength(text, i), 1));
  }
  const int n = static_cast<int>(cells_.size());
  const int min = min_row_;
  int start = 0;
  while (start + max < n) {
    // The first cell that does not fit; look back for a break character
    // that leaves the row longer than the minimum, else break hard.
    int end = start + max;
    int p = end;
    while (p > start + min && cells_[static_cast<std::size_t>(p)] != kCellBreak) {
      --p;
    }
    if (p > start + min) {
      end = p;
    }
    // A wide character that would straddle the edge moves whole to the next
    // row; one wider than a whole row gets a row of its own.
    while (end > start && cells_[static_cast<std::size_t>(end)] == kCellInside) {
      --end;
    }
    if (end == start) {
      end = start + 1;
      while (end < n && cells_[static_cast<std::size_t>(end)] == kCellInside) {
        ++end;
      }
    }
    rows.push_back(static_cast<std::uint8_t>(end - start));
    start = end;
  }
  if (start < n) {  // nothing left when a wide character took the last row
    rows.push_back(static_cast<std::uint8_t>(n - start));
  }
}

void TSrcWordWrapPlugin::RebuildLayout() {
  cache_first_ = -1;
  max_row_ = static_cast<std::uint8_t>(WrapRowLength(owner_->WrapWidth()));
  min_row_ = static_cast<std::uint8_t>(std::max(max_row_ - max_row_ / 3, 1));
  const TSrcCustomHighlighter* hl = owner_->Highlighter();
  if (hl != nullptr) {
    breaks_ = ~hl->IdentifierCharacters();
  } else {
    breaks_.reset();
    for (int c = 0; c <= ' '; ++c) {
      breaks_.set(static_cast<std::size_t>(c));
    }
  }
  const int count = owner_->Lines().LineCount();
  line_offsets_.clear();
  row_lengths_.clear();
  if (count == 0) {
    line_offsets_.shrink_to_fit();
    row_lengths_.shrink_to_fit();
    return;
  }
  ReserveLines(static_cast<std::size_t>(count));
  // Most lines take one row; more grow the table as they come.
  ReserveRows(static_cast<std::size_t>(count));
  std::int32_t total = 0;
  for (int i = 0; i < count; ++i) {
    WrapText(i, line_rows_);
    row_lengths_.insert(row_lengths_.end(), line_rows_.begin(), line_rows_.end());
    total += static_cast<std::int32_t>(line_rows_.size());
    line_offsets_.push_back(total);
  }
  // Growth past the first guess doubled the table; give back the spare.
  if (row_lengths_.capacity() > row_lengths_.size() + 2 * kRowStep) {
    std::vector<std::uint8_t> fitted;
    fitted.reserve(row_lengths_.size() + kRowStep - row_lengths_.size() % kRowStep);
    fitted.assign(row_lengths_.begin(), row_lengths_.end());
    row_lengths_.swap(fitted);
  }
}

void TSrcWordWrapPlugin::WidthChanged() {
  if (WrapRowLength(owner_->WrapWidth()) != max_row_) {
    RebuildLayout();
  }
}

int TSrcWordWrapPlugin::WrapLine(int index) {
  WrapText(index, line_rows_);
  return SpliceRows(index, FirstRowOf(index), line_offsets_[static_cast<std::size_t>(index)],
                    line_rows_);
}

int TSrcWordWrapPlugin::SpliceRows(int index, int first, int last,
                                   const std::vector<std::uint8_t>& rows) {
  cache_first_ = -1;
  const int new_rows = static_cast<int>(rows.size());
  const int diff = new_rows - (last - first);
  if (diff > 0) {
    ReserveRows(row_lengths_.size() + static_cast<std::size_t>(diff));
    row_lengths_.insert(row_lengths_.begin() + first, static_cast<std::size_t>(diff), 0);
  } else if (diff < 0) {
    row_lengths_.erase(row_lengths_.begin() + first, row_lengths_.begin() + first - diff);
  }
  std::copy(rows.begin(), rows.end(), row_lengths_.begin() + first);
  if (diff != 0) {
    for (std::size_t i = static_cast<std::size_t>(index); i < line_offsets_.size(); ++i) {
      line_offsets_[i] += diff;
    }
  }
  return diff;
}

int TSrcWordWrapPlugin::RewrapChangedLine(int index, std::size_t from, std::size_t tail) {
  assert(index >= 0 && index < LineCount());
  const TSrcEditStringList& lines = owner_->Lines();
  // Only where a byte is a cell: there the bytes before `from` and the
  // kept tail are the same cells as before.
  if (!lines.IsPlainLine(index) || lines.GetExpandedLength(index) <= max_row_) {
    const int diff = WrapLine(index);
    last_rewrapped_rows_ = static_cast<int>(line_rows_.size());
    return diff;
  }
  const std::string_view text = lines.GetLine(index);
  const long n = static_cast<long>(text.size());
  const int first = FirstRowOf(index);
  const int last = line_offsets_[static_cast<std::size_t>(index)];
  const long old_cells = SumRows(first, last);
  const long max = max_row_;
  const long min = min_row_;
  const long change = static_cast<long>(std::min<std::size_t>(from, text.size()));
  const long kept = std::min<long>(static_cast<long>(tail), std::min(n, old_cells));
  // A row's end depends on its cells up to start + max: the first row
  // whose window reaches the change is the first that may differ.
  int row = first;
  long start = 0;
  constexpr int kBlock = 256;
  while (row + kBlock < last) {
    const long block = SumRows(row, row + kBlock);
    if (start + block + max >= change) {
      break;
    }
    start += block;
    row += kBlock;
  }
  while (row + 1 < last && start + max < change) {
    start += row_lengths_[static_cast<std::size_t>(row)];
    ++row;
  }
  // Old rows after the change, matched against new row starts: once a new
  // row starts in the kept tail where an old one started, the rest of the
  // line wraps as before.
  const long shift = n - old_cells;
  int old_row = row;
  long old_start = start;
  line_rows_.clear();
  while (true) {
    if (start >= n - kept && start > change) {
      while (old_row < last && old_start < start - shift) {
        old_start += row_lengths_[static_cast<std::size_t>(old_row)];
        ++old_row;
      }
      if (old_row < last && old_start == start - shift) {
        break;
      }
    }
    if (start + max >= n) {
      if (start < n) {
        line_rows_.push_back(static_cast<std::uint8_t>(n - start));
      }
      old_row = last;
      break;
    }
    long end = start + max;
    long p = end;
    while (p > start + min &&
           !breaks_[static_cast<unsigned char>(text[static_cast<std::size_t>(p)])]) {
      --p;
    }
    if (p > start + min) {
      end = p;
    }
    line_rows_.push_back(static_cast<std::uint8_t>(end - start));
    start = end;
  }
  // The new rows take the place of the old rows [row, old_row).
  last_rewrapped_rows_ = static_cast<int>(line_rows_.size());
  return SpliceRows(index, row, old_row, line_rows_);
}

int TSrcWordWrapPlugin::InsertLineRows(int index, int count) {
  assert(index >= 0 && index <= LineCount() && count >= 1);
  cache_first_ = -1;
  // The new lines are wrapped together and the tails of both tables move
  // once, however many lines arrive.
  const int first = FirstRowOf(index);
  std::vector<std::uint8_t> rows;
  std::vector<std::int32_t> offsets;
  offsets.reserve(static_cast<std::size_t>(count));
  std::int32_t total = first;
  for (int i = index; i < index + count; ++i) {
    WrapText(i, line_rows_);
    rows.insert(rows.end(), line_rows_.begin(), line_rows_.end());
    total += static_cast<std::int32_t>(line_rows_.size());
    offsets.push_back(total);
  }
  const int added = static_cast<int>(rows.size());
  ReserveRows(row_lengths_.size() + rows.size());
  row_lengths_.insert(row_lengths_.begin() + first, rows.begin(), rows.end());
  ReserveLines(line_offsets_.size() + offsets.size());
  line_offsets_.insert(line_offsets_.begin() + index, offsets.begin(), offsets.end());
  for (std::size_t i = static_cast<std::size_t>(index + count); i < line_offsets_.size(); ++i) {
    line_offsets_[i] += added;
  }
  return added;
}

int TSrcWordWrapPlugin::DeleteLineRows(int index, int count) {
  assert(index >= 0 && count >= 1 && index + count <= LineCount());
  cache_first_ = -1;
  const int first = FirstRowOf(index);
  const int last = line_offsets_[static_cast<std::size_t>(index + count - 1)];
  const int removed = last - first;
  row_lengths_.erase(row_lengths_.begin() + first, row_lengths_.begin() + last);
  line_offsets_.erase(line_offsets_.begin() + index, line_offsets_.begin() + index + count);
  for (std::size_t i = static_cast<std::size_t>(index); i < line_offsets_.size(); ++i) {
    line_offsets_[i] -= removed;
  }
  return removed;
}

int TSrcWordWrapPlugin::RewrapLines(int index, int count) {
  assert(index >= 0 && count >= 0 && index + count <= LineCount());
  int diff = 0;
  for (int i = index; i < index + count; ++i) {
    diff += WrapLine(i);
  }
  return diff;
}

int TSrcWordWrapPlugin::WrappedRowCount() const {
  return line_offsets_.empty() ? 0 : line_offsets_.back();
}

int TSrcWordWrapPlugin::RowCharCount(int row) const {
  if (row < 1 || row > WrappedRowCount()) {
    throw ESrcError(FormatMessage("List index out of bounds (%d)", row));
  }
  return row_lengths_[static_cast<std::size_t>(row - 1)];
}

long TSrcWordWrapPlugin::SumRows(int from, int to) const {
  // Eight rows at a time: a line of millions of characters has a row per
  // 80 or so, and conversions on it run on every key and painted row.
  const std::uint8_t* rows = row_lengths_.data();
  long sum = 0;
  int r = from;
  constexpr std::uint64_t kLowBytes = 0x00FF00FF00FF00FFull;
  for (; r + 8 <= to; r += 8) {
    std::uint64_t word;
    std::memcpy(&word, rows + r, 8);
    const std::uint64_t pairs = (word & kLowBytes) + ((word >> 8) & kLowBytes);
    sum += static_cast<long>((pairs * 0x0001000100010001ull) >> 48);
  }
  for (; r < to; ++r) {
    sum += rows[r];
  }
  return sum;
}

void TSrcWordWrapPlugin::RememberRow(int first, int row, long cells) const {
  cache_first_ = first;
  cache_row_ = row;
  cache_cells_ = cells;
}

long TSrcWordWrapPlugin::CellsBeforeRow(int first, int row) const {
  long cells = 0;
  if (cache_first_ == first && row >= cache_row_) {
    cells = cache_cells_ + SumRows(cache_row_, row);
  } else if (cache_first_ == first && cache_row_ - row < row - first) {
    cells = cache_cells_ - SumRows(row, cache_row_);
  } else {
    cells = SumRows(first, row);
  }
  RememberRow(first, row, cells);
  return cells;
}

TDisplayPos TSrcWordWrapPlugin::BufferToDisplay(TBufferPos pos) const {
  const int lines = LineCount();
  if (pos.Line > lines || pos.Line < 1) {
    // Lines past the end are one row each.
    return {pos.Char, WrappedRowCount() + pos.Line - lines};
  }
  const int first = FirstRowOf(pos.Line - 1);
  const int last = line_offsets_[static_cast<std::size_t>(pos.Line - 1)];
  int from = first;
  long sum = 0;
  // From the row last looked up in this line when the column lies beyond
  // it (the caret's row, the rows painted one after another).
  if (cache_first_ == first && cache_row_ < last && cache_cells_ < pos.Char) {
    from = cache_row_;
    sum = cache_cells_;
  }
  // Whole blocks of rows that end before the column.
  constexpr int kBlock = 256;
  while (from + kBlock < last) {
    const long block = SumRows(from, from + kBlock);
    if (sum + block >= pos.Char) {
      break;
    }
    sum += block;
    from += kBlock;
  }
  for (int r = from; r < last; ++r) {
    const int length = row_lengths_[static_cast<std::size_t>(r)];
    sum += length;
    if (sum >= pos.Char || r == last - 1) {
      RememberRow(first, r, sum - length);
      // Past the text the columns go on along the last row.
      return {static_cast<std::int32_t>(pos.Char - (sum - length)), r + 1};
    }
  }
  return {pos.Char, last};  // not reached: every line has a row
}

TBufferPos TSrcWordWrapPlugin::DisplayToBuffer(TDisplayPos pos) const {
  const int rows = WrappedRowCount();
  if (pos.Row > rows || rows == 0) {
    return {pos.Column, LineCount() + pos.Row - rows};
  }
  const int row = std::max(pos.Row, 1);
  // The line whose last row is the first at or after this one.
  const auto it = std::lower_bound(line_offsets_.begin(), line_offsets_.end(), row);
  const int index = static_cast<int>(it - line_offsets_.begin());
  const int first = FirstRowOf(index);
  const int last = *it;
  const int limit = row < last ? row_lengths_[static_cast<std::size_t>(row - 1)] + 1 : max_row_ + 1;
  const long column = std::min(pos.Column, limit) + CellsBeforeRow(first, row - 1);
  return {static_cast<std::int32_t>(column), index + 1};
}

std::vector<int> TSrcWordWrapPlugin::RowsOfLine(int index) const {
  std::vector<int> rows;
  if (index < 0 || index >= LineCount()) {
    return rows;
  }
  for (int r = FirstRowOf(index); r < line_offsets_[static_cast<std::size_t>(index)]; ++r) {
    rows.push_back(row_lengths_[static_cast<std::size_t>(r)]);
  }
  return rows;
}

std::string TSrcWordWrapPlugin::Dump() const {
  std::string out = "w" + std::to_string(max_row_) + "/" + std::to_string(min_row_) + ":";
  for (int i = 0; i < LineCount(); ++i) {
    if (i > 0) {
      out += " |";
    }
    for (const int length : RowsOfLine(i)) {
      out += " " + std::to_string(length);
    }
  }
  return out;
}

}  // namespace torvane
