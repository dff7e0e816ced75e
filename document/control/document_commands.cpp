// The commands 901 to 913 over the editor's own commands.
#include "document/control/document_commands.h"

#include <algorithm>
#include <string>

#include "platform/codepage.h"

namespace torvane {
namespace {

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// Uppercases the first byte and every byte after a word break when it is a
// lowercase ASCII letter; other bytes stay as they are.
std::string TitleCased(std::string_view text, const TWordChars& chars) {
  std::string out(text);
  bool after_break = true;
  std::size_t i = 0;
  while (i < out.size()) {
    const std::size_t length = std::max<std::size_t>(CharLength(out, i), 1);
    if (after_break && out[i] >= 'a' && out[i] <= 'z') {
      out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
    after_break = !IsWordCharAt(chars, out, i);
    i += length;
  }
  return out;
}

}  // namespace

void TSrcDocumentCommands::ExecuteCommand(TSrcEditorCommand command, char ch, void* data) {
  TSrcEditModel& model = Model();
  const bool selected = model.HasSelection();
  switch (command) {
    case ecGotoStoredCaret:
      model.SetCaretAndDeselect(StoredCaret ? StoredCaret() : model.CaretPos());
      return;
    case ecUpperCaseAuto:
      TSrcEditController::ExecuteCommand(selected ? ecUpperCaseBlock : ecUpperCase, ch, data);
      return;
    case ecLowerCaseAuto:
      TSrcEditController::ExecuteCommand(selected ? ecLowerCaseBlock : ecLowerCase, ch, data);
      return;
    case ecToggleCaseAuto:
      TSrcEditController::ExecuteCommand(selected ? ecToggleCaseBlock : ecToggleCase, ch, data);
      return;
    case ecTitleCaseAuto:
      if (selected) {
        TitleCaseSelection();
      } else {
        TSrcEditController::ExecuteCommand(ecTitleCase, ch, data);
      }
      return;
    case ecPrintDocument:
      if (OnPrint) {
        OnPrint(ch == '1');
      }
      return;
    case ecClearBookmarks:
      for (int number = 0; number <= 9; ++number) {
        ClearBookmark(number);
      }
      return;
    case ecDeleteWholeWord: {
      TUndoGroupScope group(UndoList());
      TSrcEditController::ExecuteCommand(ecDeleteWord, 0, nullptr);
      TSrcEditController::ExecuteCommand(ecDeleteLastWord, 0, nullptr);
      return;
    }
    case ecSelectLine:
      SelectLine();
      return;
    case ecSelectNextWord:
      SelectWord(true);
      return;
    case ecSelectPrevWord:
      SelectWord(false);
      return;
    case ecSelectNextLine:
      SelectLineAt(model.CaretLine() >= model.LineCount() ? 1 : model.CaretLine() + 1);
      return;
    case ecSelectPrevLine:
      SelectLineAt(model.CaretLine() <= 1 ? model.LineCount() : model.CaretLine() - 1);
      return;
    default:
      TSrcEditController::ExecuteCommand(command, ch, data);
      return;
  }
}

void TSrcDocumentCommands::SelectLine() {
  TUndoGroupScope group(UndoList());
  TSrcEditController::ExecuteCommand(ecLineStart, 0, nullptr);
  TSrcEditController::ExecuteCommand(ecSelLineEnd, 0, nullptr);
}

void TSrcDocumentCommands::SelectLineAt(int line) {
  TSrcEditModel& model = Model();
  TPaintHoldScope hold(model.PaintHold());
  model.SetCaretAndDeselect({1, std::max(line, 1)});
  SelectLine();
}

void TSrcDocumentCommands::SelectWord(bool forward) {
  TSrcEditModel& model = Model();
  TPaintHoldScope hold(model.PaintHold());
  TBufferPos from = model.CaretPos();
  // Repeats over blank "words" (runs of separators) but stops where the
  // text ends, so a blank tail cannot loop for ever.
  for (;;) {
    const TBufferPos start = forward ? NextWordPosFrom(from) : PrevWordPosFrom(from);
    const TBufferPos end = model.WordEndAt(start);
    // The caret stays on the side the search goes on, so a repeat moves on.
    if (forward) {
      model.PlaceCaretAndSelection(end, start, end);
    } else {
      model.PlaceCaretAndSelection(start, end, start);
    }
    if (start == from || !IsBlank(model.SelectedText())) {
      return;
    }
    from = forward ? end : start;
  }
}

// Each changed line part goes through the text primitive, so the change is
// undoable as one step and sets the modified flag like any other edit.
void TSrcDocumentCommands::TitleCaseSelection() {
  TSrcEditModel& model = Model();
  if (model.ReadOnly()) {
    return;
  }
  const TBufferPos anchor = model.SelectionAnchor();
  const TBufferPos active = model.SelectionActiveEnd();
  const TBufferPos caret = model.CaretPos();
  const TSrcSelectionMode mode = model.SelectionMode();
  const TBufferPos first = model.SelStart();
  const TBufferPos last = model.SelEnd();
  const int left = model.ConvertToDisplay(anchor).Column;
  const int right = model.ConvertToDisplay(active).Column;
  TPaintHoldScope hold(model.PaintHold());
  // One batch for the whole selection, closed also when a line fails.
  struct TBatchScope {
    explicit TBatchScope(TSrcEditStringList& lines) : Lines(lines) { Lines.BeginBatch(); }
    ~TBatchScope() { Lines.EndBatch(); }
    TSrcEditStringList& Lines;
  };
  {
    TBatchScope batch(model.Lines());
    TUndoGroupScope group(UndoList());
    model.SetSelectionMode(smNormal);
    for (int line = first.Line; line <= last.Line; ++line) {
      const std::string_view text = model.LineText(line);
      int from = 1;
      int to = static_cast<int>(text.size()) + 1;
      if (mode == smColumn) {
        const int row = model.ConvertToDisplay({1, line}).Row;
        from = model.ConvertToBuffer({std::min(left, right), row}).Char;
        to = model.ConvertToBuffer({std::max(left, right), row}).Char;
      } else if (mode == smNormal) {
        from = line == first.Line ? first.Char : 1;
        to = line == last.Line ? last.Char : to;
      }
      from = std::clamp(from, 1, static_cast<int>(text.size()) + 1);
      to = std::clamp(to, from, static_cast<int>(text.size()) + 1);
      const std::string_view part = text.substr(from - 1, to - from);
      const std::string cased = TitleCased(part, model.WordChars());
      if (cased != part) {
        model.PlaceCaretAndSelection({to, line}, {from, line}, {to, line});
        InsertTextAtCaret(cased);
      }
    }
  }
  model.SetSelectionMode(mode);
  model.PlaceCaretAndSelection(caret, anchor, active);
}

}  // namespace torvane
