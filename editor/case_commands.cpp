// Case conversion of the word at the caret or of the selection; only the
// ASCII letters change, so multi-byte characters pass through untouched.
#include <algorithm>

#include "editor/edit_controller.h"

namespace torvane {
namespace {

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Convert(TSrcEditorCommand command, std::string text) {
  switch (command) {
    case ecUpperCase:
    case ecUpperCaseBlock:
      std::transform(text.begin(), text.end(), text.begin(), Upper);
      break;
    case ecLowerCase:
    case ecLowerCaseBlock:
      std::transform(text.begin(), text.end(), text.begin(), Lower);
      break;
    case ecToggleCase:
    case ecToggleCaseBlock:
      std::transform(text.begin(), text.end(), text.begin(),
                     [](char c) { return Upper(c) != c ? Upper(c) : Lower(c); });
      break;
    case ecTitleCase:
      std::transform(text.begin(), text.end(), text.begin(), Lower);
      if (!text.empty()) {
        text[0] = Upper(text[0]);
      }
      break;
    default:
      break;
  }
  return text;
}

}  // namespace

void TSrcEditController::ChangeCase(TSrcEditorCommand command) {
  const bool block = command >= ecUpperCaseBlock && command <= ecToggleCaseBlock;
  if (!block && (command < ecUpperCase || command > ecTitleCase)) {
    return;
  }
  TPaintHoldScope hold(model_.PaintHold());
  TBufferPos caret = model_.CaretPos();
  const bool had_selection = model_.HasSelection();
  if (!block) {
    model_.SelectWordAt(caret);
    for (int tries = 0; tries < 2 && !model_.HasSelection(); ++tries) {
      const TBufferPos previous = PrevWordPos();
      model_.SetCaretAndDeselect(previous);
      model_.SelectWordAt(previous);
    }
  } else if (!had_selection) {
    const int length = static_cast<int>(model_.LineText(caret.Line).size());
    if (caret.Char > length) {
      if (caret.Line < model_.LineCount()) {
        model_.SetCaretAndDeselect({1, caret.Line + 1});
      }
      return;
    }
    model_.MoveCaretByChars(1, true);
  }
  if (!model_.HasSelection()) {
    model_.SetCaretAndDeselect(caret);
    return;
  }
  // The text converted is that of the selection the change will replace:
  // blocks it touches open now, and an end in a header's mark covers the
  // block before the text is taken. The caret's place is kept in lines of
  // the expanded text meanwhile.
  const TBufferPos expanded_caret = model_.ToExpandedPos(caret);
  ExpandFoldsForEdit(ecNone);
  caret = model_.FromExpandedPos(expanded_caret);
  // The exact bytes: the clipboard's view of a selection trims and pads.
  const std::string converted = Convert(command, SelectionBytes());
  const TBufferPos anchor = model_.SelectionAnchor();
  const TBufferPos active = model_.SelectionActiveEnd();
  const TBufferPos selected_caret = model_.CaretPos();
  {
    TUndoGroupScope group(undo_list_);
    undo_list_.RecordChange(ckSelection, anchor, active, std::string(), model_.SelectionMode());
    undo_list_.RecordChange(ckCaret, selected_caret, selected_caret, std::string(),
                            model_.SelectionMode());
    InsertTextAtCaret(converted);
  }
  if (block && !had_selection) {
    model_.SetCaretAndDeselect(selected_caret);
  } else if (block) {
    model_.PlaceCaretAndSelection(selected_caret, anchor, active);
  } else {
    model_.SetCaretAndDeselect(caret);
  }
}

}  // namespace torvane
