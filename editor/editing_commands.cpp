// The commands that delete, break lines and type: Backspace and Delete with
// their word and line variants, line breaks with auto-indent, typed
// characters (also into a column block) and input-method strings.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/text_pieces.h"
#include "editor/view_sink.h"
#include "platform/codepage.h"

namespace torvane {

void TSrcEditController::DeleteSelectionRecorded(TSrcEditChangeKind kind) {
  TUndoGroupScope group(undo_list_);
  RecordSelectionDelete(kind);
  ReplaceSelection(model_.SelectionMode(), std::string_view(), false);
}

void TSrcEditController::RecordSilent(TSrcEditChangeKind kind, TBufferPos from, TBufferPos to,
                                      std::string text) {
  undo_list_.RecordChange(kind, from, to, std::move(text), smNormal);
}

int TSrcEditController::SmartIndentAbove(int line, int limit, bool expand_tabs) const {
  int count = 0;
  const bool found = VisitLinesAbove(line, [&](std::string_view text) {
    count = model_.LeadingBlankCount(text, expand_tabs);
    return count < limit;
  });
  return found ? count : 0;
}

void TSrcEditController::DeleteLastChar() {
  if (model_.HasSelection()) {
    DeleteSelectionRecorded(
        model_.SelectionAnchor() < model_.SelectionActiveEnd() ? ckDelete : ckDeleteAfterCaret);
    return;
  }
  const TBufferPos caret = model_.CaretPos();
  const std::string text(model_.LineText(caret.Line));
  const int length = static_cast<int>(text.size());
  TUndoGroupScope group(undo_list_);
  if (caret.Char > length + 1) {
    int target = caret.Char - 1;
    if (model_.HasOption(eoSmartTabDelete)) {
      target = length == 0 ? SmartIndentAbove(caret.Line, caret.Char - 1,
                                              model_.HasOption(eoTrimTrailingSpaces)) +
                                 1
                           : length + 1;
    }
    const TBufferPos to{target, caret.Line};
    model_.SetCaretAndDeselect(to);
    RecordSilent(ckSilentDelete, to, caret, std::string());
    return;
  }
  if (caret.Char == 1) {
    if (caret.Line > 1) {
      const TBufferPos to{static_cast<int>(model_.LineText(caret.Line - 1).size()) + 1,
                          caret.Line - 1};
      std::string taken = ReplaceRange(to, caret, std::string_view());
      RecordSilent(ckSilentDelete, to, caret, std::move(taken));
    }
    return;
  }
  int from = caret.Char - 1;
  const int blanks = model_.LeadingBlankCount(text, false);
  if (static_cast<unsigned char>(text[static_cast<std::size_t>(caret.Char - 2)]) > 32 ||
      caret.Char - 1 != blanks) {
    from = line_cells::SnapToCharStart(text, caret.Char - 1);
  } else if (model_.HasOption(eoSmartTabDelete)) {
    from = SmartIndentAbove(caret.Line, caret.Char - 1, false) + 1;
  } else if (text[static_cast<std::size_t>(caret.Char - 2)] != '\t') {
    const int tab = model_.TabWidth();
    const int stop = std::max(0, ((caret.Char - 2) / tab) * tab) + 1;
    while (from > stop && text[static_cast<std::size_t>(from - 2)] == ' ') {
      --from;
    }
  }
  const TBufferPos to{from, caret.Line};
  std::string taken = ReplaceRange(to, caret, std::string_view());
  // Blanks left before the caret are trimmed when the group closes; the
  // caret keeps its screen column then.
  model_.SetCaretAndDeselect(to);
  RecordSilent(ckSilentDelete, to, caret, std::move(taken));
}

void TSrcEditController::DeleteChar() {
  if (model_.HasSelection()) {
    DeleteSelectionRecorded(
        model_.SelectionAnchor() < model_.SelectionActiveEnd() ? ckDelete : ckDeleteAfterCaret);
    return;
  }
  const TBufferPos caret = model_.CaretPos();
  const std::string_view text = model_.LineText(caret.Line);
  const int length = static_cast<int>(text.size());
  TUndoGroupScope group(undo_list_);
  if (caret.Char > length) {
    if (caret.Line >= model_.LineCount()) {
      return;
    }
    // The next line's text lands at the caret column.
    PadCaretLine();
    const TBufferPos to{1, caret.Line + 1};
    std::string taken = ReplaceRange(caret, to, std::string_view());
    RecordSilent(ckSilentDeleteAfterCaret, caret, to, std::move(taken));
  } else {
    const int bytes = std::max(CharLength(text, static_cast<std::size_t>(caret.Char - 1)), 1);
    const TBufferPos to{caret.Char + bytes, caret.Line};
    std::string taken = ReplaceRange(caret, to, std::string_view());
    RecordSilent(ckSilentDeleteAfterCaret, caret, to, std::move(taken));
  }
  model_.SetCaretAndDeselect(caret);
}

void TSrcEditController::DeleteToWordOrLineEnd(bool line_end) {
  const TBufferPos caret = model_.CaretPos();
  const std::string_view text = model_.LineText(caret.Line);
  const int length = static_cast<int>(text.size());
  TBufferPos end{length + 1, caret.Line};
  if (!line_end) {
    end = model_.WordEndAt(caret);
    const bool has_next = caret.Line < model_.LineCount();
    if (end.Char <= caret.Char || (caret.Char > length && has_next)) {
      if (caret.Char > length) {
        if (has_next) {
          end = {1, caret.Line + 1};
        }
      } else if (text[static_cast<std::size_t>(caret.Char - 1)] != ' ') {
        end.Char =
            caret.Char + std::max(CharLength(text, static_cast<std::size_t>(caret.Char - 1)), 1);
      }
    }
    const std::string_view end_text = model_.LineText(end.Line);
    while (end.Char <= static_cast<int>(end_text.size()) &&
           end_text[static_cast<std::size_t>(end.Char - 1)] == ' ') {
      ++end.Char;
    }
  }
  if (end.Char <= caret.Char && end.Line == caret.Line) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  model_.SetSelectionMode(smNormal);
  PadCaretLine();
  std::string taken = ReplaceRange(caret, end, std::string_view());
  RecordSilent(ckSilentDeleteAfterCaret, caret, end, std::move(taken));
  model_.SetCaretAndDeselect(caret);
}

void TSrcEditController::DeleteToWordOrLineStart(bool line_start) {
  const TBufferPos caret = model_.CaretPos();
  const TBufferPos start = line_start ? TBufferPos{1, caret.Line} : PrevWordPos();
  if (!(start < caret)) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  std::string taken = ReplaceRange(start, caret, std::string_view());
  RecordSilent(ckSilentDelete, start, caret, std::move(taken));
  model_.SetCaretAndDeselect(start);
}

void TSrcEditController::DeleteLine() {
  const int count = model_.LineCount();
  const TBufferPos caret = model_.CaretPos();
  if (count == 0 || (caret.Line >= count && model_.LineText(count).empty())) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  model_.SetCaretAndDeselect(caret);
  const TBufferPos from{1, caret.Line};
  const TBufferPos to =
      caret.Line >= count
          ? TBufferPos{static_cast<int>(model_.LineText(count).size()) + 1, caret.Line}
          : TBufferPos{1, caret.Line + 1};
  std::string taken = ReplaceRange(from, to, std::string_view());
  RecordSilent(ckSilentDeleteAfterCaret, from, to, std::move(taken));
  model_.SetCaretAndDeselect(from);
}

void TSrcEditController::LineBreak(bool move_caret) {
  TUndoGroupScope group(undo_list_);
  TPaintHoldScope hold(model_.PaintHold());
  if (model_.HasSelection()) {
    DeleteSelectionRecorded(ckDelete);
  }
  const TBufferPos caret = model_.CaretPos();
  const std::string text(model_.LineText(caret.Line));
  const int length = static_cast<int>(text.size());
  // Every case inserts a line break at one point; they differ in where the
  // break goes, what the new line starts with and where the caret ends.
  TBufferPos at = caret;
  std::string inserted = "\r\n";
  std::string tail;
  TBufferPos after;
  if (text.empty()) {
    int indent = 0;
    if (model_.HasOption(eoAutoIndent)) {
      VisitLinesAbove(caret.Line, [&](std::string_view line) {
        if (line.empty()) {
          return false;
        }
        indent = model_.LeadingBlankCount(line, true);
        return true;
      });
    }
    at = {1, caret.Line};
    after = {indent + 1, caret.Line + 1};
  } else if (caret.Char > length) {
    const int indent = model_.LeadingBlankCount(text, false);
    at = {length + 1, caret.Line};
    if (move_caret) {
      inserted += text.substr(0, static_cast<std::size_t>(indent));
    }
    after = {indent + 1, caret.Line + 1};
  } else if (caret.Char == 1) {
    tail = text;
    after = {1, caret.Line + 1};
  } else {
    const std::string left = text.substr(0, static_cast<std::size_t>(caret.Char - 1));
    tail = text.substr(static_cast<std::size_t>(caret.Char - 1));
    const std::string indent = model_.IndentText(model_.LeadingBlankCount(left, true), true);
    inserted += indent;
    after = {static_cast<int>(indent.size()) + 1, caret.Line + 1};
  }
  model_.PlaceCaret(at, false);
  ReplaceSelection(smNormal, inserted, false);
  undo_list_.RecordChange(ckLineBreak, caret, caret, std::move(tail), model_.SelectionMode());
  model_.SetCaretAndDeselect(move_caret ? after : caret);
}

void TSrcEditController::TypeChar(char ch) {
  const auto byte = static_cast<unsigned char>(ch);
  if (byte < 32 || byte == 127) {
    return;
  }
  const std::string text(1, ch);
  if (model_.HasOption(eoColumnEditExtension) && model_.SelectionMode() == smColumn &&
      (model_.HasSelection() ||
       model_.SelectionAnchor().Line != model_.SelectionActiveEnd().Line)) {
    TypeIntoColumn(text);
    return;
  }
  InsertTextAtCaret(text);
}

void TSrcEditController::TypeIntoColumn(std::string_view text) {
  const TBufferPos anchor = model_.SelectionAnchor();
  const TBufferPos active = model_.SelectionActiveEnd();
  const TBufferPos caret = model_.CaretPos();
  const int top = std::min(anchor.Line, active.Line);
  const int bottom = std::max(anchor.Line, active.Line);
  const int c1 = std::min(anchor.Char, active.Char);
  const std::string block = SelectionBytes();
  std::vector<std::string_view> pieces = SplitAtLineBreaks(block);
  pieces.resize(static_cast<std::size_t>(bottom - top + 1));
  std::string replaced;
  int longest = 0;
  const auto text_chars = [&] {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < text.size();) {
      const auto n = static_cast<std::size_t>(std::max(CharLength(text, i), 1));
      chars.push_back(text.substr(i, n));
      i += n;
    }
    return chars;
  }();
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    if (k > 0) {
      replaced += "\r\n";
    }
    if (model_.InsertMode()) {
      replaced += text;
      replaced += pieces[k];
      continue;
    }
    // Overwrite: each character of the block becomes the typed text's next
    // character, cycling through it.
    int count = 0;
    for (std::size_t i = 0; i < pieces[k].size(); ++count) {
      replaced += text_chars[static_cast<std::size_t>(count) % text_chars.size()];
      i += static_cast<std::size_t>(std::max(CharLength(pieces[k], i), 1));
    }
    longest = std::max(longest, count);
  }
  TUndoGroupScope group(undo_list_);
  TPaintHoldScope hold(model_.PaintHold());
  model_.PlaceCaret({c1, top}, false);
  if (!model_.HasSelection()) {
    model_.SetSelectionAnchor({c1, top});
  }
  InsertTextAt(replaced, {c1, top});
  if (model_.InsertMode()) {
    const int shift = static_cast<int>(text.size());
    model_.PlaceCaretAndSelection({caret.Char + shift, caret.Line},
                                  {anchor.Char + shift, anchor.Line},
                                  {active.Char + shift, active.Line});
  } else {
    model_.PlaceCaretAndSelection(caret, anchor, {anchor.Char + longest, active.Line});
  }
}

void TSrcEditController::ImeString(const std::string& text) {
  if (text.empty()) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  if (model_.SelectionMode() == smColumn && model_.HasOption(eoColumnEditExtension) &&
      (model_.HasSelection() ||
       model_.SelectionAnchor().Line != model_.SelectionActiveEnd().Line)) {
    TypeIntoColumn(text);
  } else if (model_.HasSelection()) {
    InsertTextAtCaret(text);
  } else {
    PadCaretLine();
    const TBufferPos caret = model_.CaretPos();
    if (!model_.InsertMode()) {
      // As many characters as the text has go, never half a character.
      const std::string_view line = model_.LineText(caret.Line);
      int end = caret.Char;
      for (std::size_t i = 0; i < text.size() && end <= static_cast<int>(line.size());) {
        i += static_cast<std::size_t>(std::max(CharLength(text, i), 1));
        end += std::max(CharLength(line, static_cast<std::size_t>(end - 1)), 1);
      }
      if (end > caret.Char) {
        const TBufferPos to{end, caret.Line};
        std::string taken = ReplaceRange(caret, to, std::string_view());
        RecordSilent(ckSilentDeleteAfterCaret, caret, to, std::move(taken));
      }
    }
    InsertTextAtCaret(text);
  }
  if (model_.View() != nullptr) {
    model_.View()->InvalidateGutterLines(model_.CaretLine(), model_.CaretLine());
  }
}

}  // namespace torvane
