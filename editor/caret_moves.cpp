// Caret moves by character, by row and to a word, all through the one step
// MoveCaretAndSelect that collapses or extends the selection.
#include <algorithm>

#include "editor/edit_model.h"
#include "platform/codepage.h"

namespace torvane {

void TSrcEditModel::MoveCaretAndSelect(TBufferPos before, TBufferPos after, bool extend,
                                       bool at_row_end) {
  if (options_.Has(eoGroupUndo) && OnCaretMoveGroupBreak) {
    OnCaretMoveGroupBreak();
  }
  TPaintHoldScope hold(paint_hold_);
  if (extend) {
    if (!HasSelection()) {
      SetSelectionAnchor(before);
    }
    SetSelectionActiveEnd(after);
  } else {
    SetSelectionAnchor(after);
  }
  PlaceCaret(after, true, at_row_end);
}

void TSrcEditModel::MoveCaretByChars(int dx, bool extend) {
  const bool past_eol = options_.Has(eoScrollPastEol);
  const std::string_view text = LineText(caret_.Line);
  const int length = static_cast<int>(text.size());
  TBufferPos dest = caret_;
  if (dx > 0 && caret_at_row_end_ && DisplayPos() != ConvertToDisplay(caret_)) {
    // From the end of a wrapped row to the start of the next: the same
    // character, shown on the next row.
    MoveCaretAndSelect(anchor_, caret_, extend);
    return;
  }
  if (!past_eol && dx < 0 && caret_.Char <= 1 && caret_.Line >= 2) {
    dest = {static_cast<int>(LineText(caret_.Line - 1).size()) + 1, caret_.Line - 1};
  } else if (!past_eol && dx > 0 && caret_.Char > length && caret_.Line < LineCount()) {
    dest = {1, caret_.Line + 1};
  } else {
    dest.Char = std::max(1, caret_.Char + dx);
    if (dx > 0 && !past_eol) {
      dest.Char = std::min(dest.Char, length + 1);
    }
    // Step over the rest of a multi-byte character in the direction of the move.
    const int step = dx < 0 ? -1 : 1;
    while (line_cells::IsInsideChar(text, dest.Char)) {
      dest.Char += step;
    }
  }
  MoveCaretAndSelect(anchor_, dest, extend);
}

void TSrcEditModel::MoveCaretByRows(int dy, bool extend) {
  const int saved_column = remembered_column_;
  const TDisplayPos here = DisplayPos();
  int row = here.Row + dy;
  if (dy > 0 && row > mapping_.DisplayRowCount()) {
    row = std::max(1, mapping_.DisplayRowCount());
  }
  row = std::max(row, 1);
  int column = here.Column;
  if (row != here.Row && options_.Has(eoKeepCaretX)) {
    column = remembered_column_;
  }
  TBufferPos dest;
  bool row_end = false;
  const bool stepped_back = stepped_back_;
  for (;;) {
    dest = ConvertToBuffer({column, row});
    if (row != here.Row) {
      if (stepped_back && !options_.Has(eoKeepCaretX)) {
        ++dest.Char;
      }
      const std::string_view text = LineText(dest.Line);
      stepped_back_ = line_cells::IsInsideChar(text, dest.Char);
      dest.Char = line_cells::SnapToCharStart(text, dest.Char);
    }
    // A column past a wrapped row's end keeps the caret on that row.
    row_end = EndsRow(dest, row);
    // A row that only goes on with a tab begun above has no position of its
    // own; the move goes on to the next row in its direction.
    const int step = dy < 0 ? -1 : 1;
    const int next = row + step;
    if (row == here.Row || next < 1 || next > mapping_.DisplayRowCount() ||
        ShownPos(dest, row_end).Row * step > here.Row * step) {
      break;
    }
    row = next;
  }
  {
    TPaintHoldScope hold(paint_hold_);
    MoveCaretAndSelect(anchor_, dest, extend, row_end);
  }
  remembered_column_ = saved_column;
}

TBufferPos TSrcEditModel::WordStartAt(TBufferPos pos) const {
  const std::string_view text = LineText(pos.Line);
  int c = std::min(pos.Char, static_cast<int>(text.size()) + 1);
  if (c > 1 && IsWordCharAt(word_chars_, text, static_cast<std::size_t>(c - 2))) {
    while (c > 1 && IsWordCharAt(word_chars_, text, static_cast<std::size_t>(c - 2))) {
      --c;
    }
  }
  return {std::max(c, 1), pos.Line};
}

TBufferPos TSrcEditModel::WordEndAt(TBufferPos pos) const {
  const std::string_view text = LineText(pos.Line);
  const int length = static_cast<int>(text.size());
  int c = std::max(pos.Char, 1);
  while (c <= length && IsWordCharAt(word_chars_, text, static_cast<std::size_t>(c - 1))) {
    ++c;
  }
  return {std::min(c, length + 1), pos.Line};
}

void TSrcEditModel::SelectWordAt(TBufferPos pos) {
  const TBufferPos p = ClampSelectionEnd(pos);
  const int length = static_cast<int>(LineText(p.Line).size());
  if (p.Char > length + 1) {
    SetCaretAndDeselect({length + 1, p.Line});
    return;
  }
  const TBufferPos start = WordStartAt(p);
  const TBufferPos end = WordEndAt(p);
  if (start.Line == end.Line && start.Char < end.Char) {
    PlaceCaretAndSelection(end, start, end);
  }
}

}  // namespace torvane
