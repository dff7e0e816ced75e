// The commands that move the caret or scroll without changing text: moves and
// their selecting twins, Home and End, pages, modes, select all and brackets.
#include <algorithm>
#include <cstdint>

#include "editor/edit_controller.h"
#include "editor/text_pieces.h"
#include "editor/view_sink.h"
#include "highlight/custom_highlighter.h"
#include "highlight/rescan.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The characters a wrapped display row of an existing line shows: [First,
// End), End being the first character of the next row or the line's end + 1.
struct TRowChars {
  int First = 1;
  int End = 1;
  bool FirstRow = true;
  bool LastRow = true;
};

TRowChars RowCharsAt(const TSrcEditModel& model, int row) {
  const TPositionMapping& map = model.Mapping();
  const int line = map.LineOfRow(row);
  TRowChars chars;
  chars.First = model.ConvertToBuffer({1, row}).Char;
  chars.FirstRow = map.RowOfLine(line) == row;
  chars.LastRow = map.RowOfLine(line + 1) - 1 == row;
  chars.End = chars.LastRow ? static_cast<int>(model.LineText(line).size()) + 1
                            : model.ConvertToBuffer({1, row + 1}).Char;
  return chars;
}

// True when word wrap lays out the caret's line.
bool CaretOnWrappedRow(const TSrcEditModel& model) {
  return model.Mapping().IsWrapping() && model.CaretLine() >= 1 &&
         model.CaretLine() <= model.LineCount();
}

}  // namespace

void TSrcEditController::MoveCaretTo(TBufferPos pos, bool extend, bool at_row_end) {
  model_.MoveCaretAndSelect(model_.CaretPos(), pos, extend, at_row_end);
}

bool TSrcEditController::ExecuteCaretCommand(TSrcEditorCommand command, void* data) {
  const bool extend = command > ecSelection && command <= ecSelGotoXY;
  const TSrcEditorCommand move = extend ? command - ecSelection : command;
  const TBufferPos caret = model_.CaretPos();
  switch (move) {
    case ecLeft:
    case ecRight:
      model_.MoveCaretByChars(move == ecLeft ? -1 : 1, extend);
      return true;
    case ecUp:
    case ecDown:
      model_.MoveCaretByRows(move == ecUp ? -1 : 1, extend);
      scrolling_->UpdateNow();
      return true;
    case ecWordLeft:
      MoveCaretTo(PrevWordPos(), extend);
      return true;
    case ecWordRight:
      MoveCaretTo(NextWordPos(), extend);
      return true;
    case ecLineStart:
      LineStart(extend);
      return true;
    case ecLineEnd:
      LineEnd(extend);
      return true;
    case ecPageUp:
    case ecPageDown:
      PageMove(move == ecPageUp ? -1 : 1, extend);
      return true;
    case ecPageLeft:
    case ecPageRight:
      return true;
    case ecPageTop:
    case ecPageBottom: {
      int row = model_.Mapping().RowOfLine(scrolling_->TopLine());
      if (move == ecPageBottom) {
        row += scrolling_->LinesInWindow() - 1;
      }
      row = std::max(1, std::min(row, model_.Mapping().DisplayRowCount()));
      const TBufferPos target = model_.ConvertToBuffer({model_.DisplayColumn(), row});
      MoveCaretTo(target, extend, model_.EndsRow(target, row));
      return true;
    }
    case ecEditorTop:
      MoveCaretTo({1, 1}, extend);
      return true;
    case ecEditorBottom: {
      const int count = model_.LineCount();
      MoveCaretTo(count == 0
                      ? TBufferPos{1, 1}
                      : TBufferPos{static_cast<int>(model_.LineText(count).size()) + 1, count},
                  extend);
      return true;
    }
    case ecGotoXY:
      if (data != nullptr) {
        MoveCaretTo(*static_cast<const TBufferPos*>(data), extend);
      }
      return true;
    default:
      break;
  }
  switch (command) {
    case ecSelWord:
      model_.SelectWordAt(caret);
      return true;
    case ecSelectAll:
      SelectAll();
      return true;
    case ecMatchBracket: {
      const TBufferPos match = FindMatchingBracket(caret);
      MoveCaretTo(match.Line == 0 ? TBufferPos{1, 1} : match, false);
      return true;
    }
    case ecScrollUp:
      ScrollByLines(-1);
      return true;
    case ecScrollDown:
      ScrollByLines(1);
      return true;
    case ecScrollLeft:
      scrolling_->SetLeftChar(scrolling_->LeftChar() - 1);
      return true;
    case ecScrollRight:
      scrolling_->SetLeftChar(scrolling_->LeftChar() + 1);
      return true;
    case ecInsertMode:
      model_.SetInsertMode(true);
      return true;
    case ecOverwriteMode:
      model_.SetInsertMode(false);
      return true;
    case ecToggleMode:
      model_.SetInsertMode(!model_.InsertMode());
      return true;
    case ecNormalSelect:
      model_.SetSelectionMode(smNormal);
      return true;
    case ecColumnSelect:
      model_.SetSelectionMode(smColumn);
      return true;
    case ecLineSelect:
      model_.SetSelectionMode(smLine);
      return true;
    default:
      return false;
  }
}

void TSrcEditController::LineStart(bool extend) {
  const TBufferPos caret = model_.CaretPos();
  // With word wrap Home acts on the caret's row; the first non-blank counts
  // only on a line's first row.
  TRowChars row;
  if (CaretOnWrappedRow(model_)) {
    row = RowCharsAt(model_, model_.DisplayRow());
  } else {
    row.End = INT32_MAX;
  }
  int target = row.First;
  if (model_.HasOption(eoEnhanceHomeKey) && row.FirstRow) {
    const std::string_view text = model_.LineText(caret.Line);
    int first = 1;
    while (first < row.End && first <= static_cast<int>(text.size()) && IsBlank(text[first - 1])) {
      ++first;
    }
    if (first >= row.End && !row.LastRow) {
      first = 1;  // a first row of blanks only: no non-blank on the caret's row
    }
    target = (first >= caret.Char && caret.Char != 1) ? 1 : first;
  }
  MoveCaretTo({target, caret.Line}, extend);
}

void TSrcEditController::LineEnd(bool extend) {
  const TBufferPos caret = model_.CaretPos();
  const std::string_view text = model_.LineText(caret.Line);
  const int end = static_cast<int>(text.size()) + 1;
  int row_first = 1;
  if (CaretOnWrappedRow(model_)) {
    // Before the line's last row End goes to the end of the caret's row,
    // where the caret stays shown.
    const int shown_row = model_.DisplayRow();
    const TRowChars row = RowCharsAt(model_, shown_row);
    if (!row.LastRow) {
      const TBufferPos target{row.End, caret.Line};
      MoveCaretTo(target, extend, model_.EndsRow(target, shown_row));
      return;
    }
    row_first = row.First;
  }
  int target = end;
  if (model_.HasOption(eoEnhanceEndKey)) {
    const int after_text = static_cast<int>(TrimTrailingSpaces(text).size()) + 1;
    // Blanks that fill the whole last row: the text ends on a row above,
    // and End keeps to the caret's row.
    target = caret.Char == after_text || after_text < row_first ? end : after_text;
  }
  MoveCaretTo({target, caret.Line}, extend);
}

void TSrcEditController::PageMove(int direction, bool extend) {
  int n = scrolling_->LinesInWindow();
  if (model_.HasOption(eoHalfPageScroll)) {
    n >>= 1;
  }
  if (model_.HasOption(eoScrollByOneLess)) {
    n -= 1;
  }
  n *= direction;
  scrolling_->SetTopLine(scrolling_->TopLine() + n);
  model_.MoveCaretByRows(n, extend);
}

void TSrcEditController::ScrollByLines(int delta) {
  const int row = model_.DisplayRow();
  const int top = scrolling_->TopLine();
  const int lines = scrolling_->LinesInWindow();
  if (row < top || row >= top + lines) {
    ScrollCaretIntoView();
    return;
  }
  scrolling_->SetTopLine(top + delta);
  const int new_top = scrolling_->TopLine();
  if (row > new_top + lines - 1) {
    model_.MoveCaretByRows(new_top + lines - 1 - row, false);
  } else if (row < new_top) {
    model_.MoveCaretByRows(new_top - row, false);
  }
  ScrollCaretIntoView();
}

void TSrcEditController::SelectAll() {
  TPaintHoldScope hold(model_.PaintHold());
  const int count = model_.LineCount();
  const TBufferPos end =
      count == 0 ? TBufferPos{1, 1}
                 : TBufferPos{static_cast<int>(model_.LineText(count).size()) + 1, count};
  model_.SetSelectionAnchor({1, 1});
  model_.SetSelectionActiveEnd(end);
  model_.RaiseStatusChange({scSelection});
}

TBufferPos TSrcEditController::FindMatchingBracket(TBufferPos pos) const {
  static constexpr std::string_view kBrackets = "()[]{}<>";
  const std::string_view start_text = model_.LineText(pos.Line);
  if (pos.Char < 1 || pos.Char > static_cast<int>(start_text.size()) ||
      line_cells::IsInsideChar(start_text, pos.Char)) {
    return {0, 0};
  }
  const std::size_t index = kBrackets.find(start_text[static_cast<std::size_t>(pos.Char - 1)]);
  if (index == std::string_view::npos) {
    return {0, 0};
  }
  const char same = kBrackets[index];
  const char partner = kBrackets[index ^ 1];
  const bool forward = index % 2 == 0;
  TSrcHighlighterAttributes* string_attr =
      highlighter_ != nullptr ? highlighter_->DefaultAttributeFor(drString) : nullptr;
  TSrcHighlighterAttributes* comment_attr =
      highlighter_ != nullptr ? highlighter_->DefaultAttributeFor(drComment) : nullptr;
  // A bracket inside a string or comment does not count.
  const auto counts = [&](int ch, int line) {
    if (highlighter_ == nullptr) {
      return true;
    }
    const TTokenAtPosition token =
        highlighter_ == model_.Highlighter()
            ? model_.RangeStates().TokenAt(ch, line)
            : AttributeAtCharacter(model_.Lines(), highlighter_, ch, line);
    return !token.Found || (token.Attribute != string_attr && token.Attribute != comment_attr);
  };
  int depth = 0;
  const auto visit = [&](std::string_view text, int i, int line) {
    const char c = text[static_cast<std::size_t>(i)];
    if ((c != same && c != partner) || IsTrailByte(text, static_cast<std::size_t>(i)) ||
        CharLength(text, static_cast<std::size_t>(i)) > 1 || !counts(i + 1, line)) {
      return false;
    }
    if (c == same) {
      ++depth;
      return false;
    }
    if (depth == 0) {
      return true;
    }
    --depth;
    return false;
  };
  if (forward) {
    for (int line = pos.Line; line <= model_.LineCount(); ++line) {
      const std::string_view text = model_.LineText(line);
      for (int i = line == pos.Line ? pos.Char : 0; i < static_cast<int>(text.size()); ++i) {
        if (visit(text, i, line)) {
          return {i + 1, line};
        }
      }
    }
  } else {
    for (int line = pos.Line; line >= 1; --line) {
      const std::string_view text = model_.LineText(line);
      for (int i = line == pos.Line ? pos.Char - 2 : static_cast<int>(text.size()) - 1; i >= 0;
           --i) {
        if (visit(text, i, line)) {
          return {i + 1, line};
        }
      }
    }
  }
  return {0, 0};
}

}  // namespace torvane
