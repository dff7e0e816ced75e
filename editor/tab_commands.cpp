// Tab and Shift+Tab (smart tabs, tabs to spaces) and block indent and
// unindent of the selected lines.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/text_pieces.h"
#include "platform/codepage.h"

namespace torvane {

bool TSrcEditController::IsIndentSelection() const {
  if (!model_.HasSelection()) {
    return false;
  }
  const TBufferPos s = model_.SelStart();
  const TBufferPos e = model_.SelEnd();
  if (s.Line != e.Line) {
    return true;
  }
  return s.Char == 1 && e.Char > static_cast<int>(model_.LineText(e.Line).size());
}

void TSrcEditController::Tab() {
  if (model_.HasOption(eoTabIndent) && IsIndentSelection()) {
    const bool whole_line = model_.SelStart().Line == model_.SelEnd().Line;
    BlockIndent();
    if (whole_line) {
      const TBufferPos anchor = model_.SelectionAnchor();
      const TBufferPos active = model_.SelectionActiveEnd();
      if (anchor < active) {
        model_.SetSelectionAnchor({1, anchor.Line});
        model_.SetSelectionActiveEnd(active);
      } else {
        model_.SetSelectionActiveEnd({1, active.Line});
      }
    }
    return;
  }
  const TBufferPos caret = model_.CaretPos();
  const int column = model_.DisplayColumn();
  const int tab = model_.TabWidth();
  int width = 0;
  if (model_.HasOption(eoSmartTabs)) {
    // The distance to the next word start on the nearest line above that
    // reaches the caret's column.
    VisitLinesAbove(caret.Line, [&](std::string_view text) {
      if (line_cells::LineCells(text, tab) < column) {
        return false;
      }
      int i = line_cells::CharOfColumn(text, column, tab);
      const int start = i;
      while (i <= static_cast<int>(text.size()) && text[static_cast<std::size_t>(i - 1)] != ' ' &&
             text[static_cast<std::size_t>(i - 1)] != '\t') {
        ++i;
      }
      while (i <= static_cast<int>(text.size()) &&
             (text[static_cast<std::size_t>(i - 1)] == ' ' ||
              text[static_cast<std::size_t>(i - 1)] == '\t')) {
        ++i;
      }
      width = line_cells::ColumnOfChar(text, i, tab) - line_cells::ColumnOfChar(text, start, tab);
      return true;
    });
  }
  TUndoGroupScope group(undo_list_);
  if (model_.HasSelection()) {
    DeleteSelectionRecorded(ckDelete);
  }
  const TBufferPos at = model_.CaretPos();
  const int col = model_.DisplayColumn();
  if (width == 0) {
    width = tab;
    if (model_.HasOption(eoTabsToSpaces)) {
      width = tab - (col - 1) % tab;
    }
  }
  const std::string_view line = model_.LineText(at.Line);
  std::string text;
  if (model_.HasOption(eoTabsToSpaces)) {
    text.assign(static_cast<std::size_t>(width), ' ');
  } else {
    const bool in_blanks =
        model_.HasOption(eoSmartTabs) && TrimTrailingSpaces(LineSlice(line, 1, at.Char)).empty();
    if (!in_blanks) {
      text.push_back('\t');
    } else {
      const int target = col + width;
      int cur = col;
      const int next_stop = ((cur - 1) / tab + 1) * tab + 1;
      if (next_stop <= target) {
        text += '\t';
        cur = next_stop;
        while (cur + tab <= target) {
          text += '\t';
          cur += tab;
        }
      }
      text.append(static_cast<std::size_t>(target - cur), ' ');
    }
    if (model_.HasOption(eoTrimTrailingSpaces) && at.Char > static_cast<int>(line.size()) + 1) {
      // Blanks past the line end would be trimmed away: only the caret moves.
      model_.SetCaretAndDeselect(model_.ConvertToBuffer({col + width, model_.DisplayRow()}));
      return;
    }
  }
  const bool only_blanks = TrimTrailingSpaces(line).empty();
  InsertTextAtCaret(text);
  if (model_.HasOption(eoTrimTrailingSpaces) && only_blanks) {
    // The line writer took the blanks away again; the caret still goes to
    // the column they reached.
    model_.SetCaretAndDeselect(model_.ConvertToBuffer({col + width, model_.DisplayRow()}));
  }
}

void TSrcEditController::ShiftTab() {
  if (model_.HasOption(eoTabIndent) && IsIndentSelection()) {
    BlockUnindent();
    return;
  }
  const TBufferPos caret = model_.CaretPos();
  const std::string_view text = model_.LineText(caret.Line);
  const int length = static_cast<int>(text.size());
  const int tab = model_.TabWidth();
  int target = caret.Char;
  bool found = false;
  if (model_.HasOption(eoSmartTabs) && caret.Char > 1) {
    found = VisitLinesAbove(caret.Line, [&](std::string_view above) {
      if (static_cast<int>(above.size()) < caret.Char - 1) {
        return false;
      }
      int i = caret.Char - 1;  // 1-based character left of the caret
      while (i >= 1 && above[static_cast<std::size_t>(i - 1)] == ' ') {
        --i;
      }
      while (i >= 1 && above[static_cast<std::size_t>(i - 1)] != ' ') {
        --i;
      }
      target = i + 1;
      return true;
    });
  }
  if (!found && caret.Char > 1) {
    const int stop = tab * ((caret.Char - 2) / tab) + 1;
    if (caret.Char > length + 1) {
      target = stop;
    } else if (text[static_cast<std::size_t>(caret.Char - 2)] == '\t') {
      target = caret.Char - 1;
    } else {
      target = caret.Char;
      while (target > stop && text[static_cast<std::size_t>(target - 2)] == ' ') {
        --target;
      }
    }
  }
  target = line_cells::SnapToCharStart(text, std::min(target, caret.Char));
  if (target == caret.Char) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  const TBufferPos from{target, caret.Line};
  std::string taken = ReplaceRange(from, caret, std::string_view());
  RecordSilent(ckDeleteAfterCaret, from, caret, std::move(taken));
  model_.SetCaretAndDeselect(from);
}

void TSrcEditController::BlockIndent() {
  if (!model_.HasSelection()) {
    return;
  }
  const TBufferPos s = model_.SelStart();
  const TBufferPos e = model_.SelEnd();
  const TBufferPos anchor = model_.SelectionAnchor();
  const TBufferPos active = model_.SelectionActiveEnd();
  const TBufferPos caret = model_.CaretPos();
  const TSrcSelectionMode mode = model_.SelectionMode();
  const bool last_excluded = e.Char == 1 && e.Line > s.Line;
  const int last = last_excluded ? e.Line - 1 : e.Line;
  const std::string indent = model_.HasOption(eoTabIndent)
                                 ? std::string("\t")
                                 : std::string(static_cast<std::size_t>(block_width_), ' ');
  const int shift = static_cast<int>(indent.size());
  if (shift == 0) {
    return;
  }
  const int at = mode == smColumn ? std::min(anchor.Char, active.Char) : 1;
  std::string block;
  for (int line = s.Line; line <= last; ++line) {
    if (line > s.Line) {
      block += "\r\n";
    }
    block += indent;
  }
  TUndoGroupScope group(undo_list_);
  TPaintHoldScope hold(model_.PaintHold());
  undo_list_.RecordChange(ckIndent, s, e, std::string(), mode);
  model_.SetCaretAndDeselect({at, s.Line});
  // The indentation goes in at the same character on every line.
  ReplaceSelectionAt(smColumn, std::move(block), true, {at, s.Line},
                     std::vector<int>(static_cast<std::size_t>(last - s.Line + 1), at));
  const auto shifted = [&](TBufferPos p) {
    if (p.Line > last || (p.Char == 1 && p == e && last_excluded)) {
      return p;
    }
    return TBufferPos{p.Char + shift, p.Line};
  };
  undo_list_.RecordChange(ckIndent, shifted(s), shifted(e), std::string(), mode);
  TBufferPos new_caret = last_excluded && caret.Line > last
                             ? TBufferPos{1, caret.Line}
                             : TBufferPos{caret.Char + shift, caret.Line};
  model_.PlaceCaretAndSelection(new_caret, shifted(anchor), shifted(active));
}

void TSrcEditController::BlockUnindent() {
  if (!model_.HasSelection()) {
    return;
  }
  const TBufferPos s = model_.SelStart();
  const TBufferPos e = model_.SelEnd();
  const TBufferPos anchor = model_.SelectionAnchor();
  const TBufferPos active = model_.SelectionActiveEnd();
  const TBufferPos caret = model_.CaretPos();
  const TSrcSelectionMode mode = model_.SelectionMode();
  const int last = (e.Char == 1 && e.Line > s.Line) ? e.Line - 1 : e.Line;
  const int at = mode == smColumn ? std::min(anchor.Char, active.Char) : 1;
  const int tab = model_.TabWidth();
  std::vector<int> removable;
  bool any = false;
  std::string pieces;
  for (int line = s.Line; line <= last; ++line) {
    const std::string_view text = LineSlice(model_.LineText(line), at, INT32_MAX);
    int n = 0;
    if (!text.empty() && text[0] == '\t') {
      n = 1;
    } else {
      while (n < block_width_ && n < static_cast<int>(text.size()) &&
             text[static_cast<std::size_t>(n)] == ' ') {
        ++n;
      }
      if (n < tab && n < static_cast<int>(text.size()) &&
          text[static_cast<std::size_t>(n)] == '\t') {
        ++n;
      }
    }
    removable.push_back(n);
    any = any || n > 0;
    if (line > s.Line) {
      pieces += "\r\n";
    }
    pieces += text.substr(0, static_cast<std::size_t>(n));
  }
  if (!any) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  TPaintHoldScope hold(model_.PaintHold());
  for (int line = s.Line; line <= last; ++line) {
    const int n = removable[static_cast<std::size_t>(line - s.Line)];
    if (n > 0) {
      ReplaceRange({at, line}, {at + n, line}, std::string_view());
    }
  }
  undo_list_.RecordChange(ckUnindent, s, e, std::move(pieces), mode);
  if (mode == smColumn) {
    model_.PlaceCaretAndSelection(caret, anchor, active);
    return;
  }
  const auto moved = [&](TBufferPos p, bool is_caret) {
    if (p.Line < s.Line || p.Line > last || (is_caret && p.Char == 1)) {
      return p;
    }
    return TBufferPos{std::max(1, p.Char - removable[static_cast<std::size_t>(p.Line - s.Line)]),
                      p.Line};
  };
  model_.PlaceCaretAndSelection(moved(caret, true), moved(anchor, false), moved(active, false));
}

}  // namespace torvane
