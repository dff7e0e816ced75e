// Edit-control messages: selection by character index, lines and the
// selected text copied into the caller's buffers, the modified flag, undo
// and replacing the selection.
#include "view/src_memo.h"

#include "editor/edit_messages.h"
#include "view/pixel_conversions.h"

namespace torvane {

std::int64_t TSrcMemo::PosToCharIndex(TBufferPos pos) const {
  return torvane::PosToCharIndex(Model().Lines(), pos);
}

TBufferPos TSrcMemo::CharIndexToPos(std::int64_t index) const {
  return torvane::CharIndexToPos(Model().Lines(), index);
}

std::int64_t TSrcMemo::SelStartIndex() const {
  return PosToCharIndex(HasSelection() ? SelStart() : CaretPos());
}

std::int64_t TSrcMemo::SelEndIndex() const {
  return PosToCharIndex(HasSelection() ? SelEnd() : CaretPos());
}

void TSrcMemo::SetSelStartIndex(std::int64_t index) {
  Model().SetCaretAndDeselect(CharIndexToPos(index));
}

void TSrcMemo::SetSelEndIndex(std::int64_t index) {
  Model().SetSelectionActiveEnd(CharIndexToPos(index));
}

void TSrcMemo::ReplaceSelectionMessage(bool undoable, const char* text) {
  if (ReadOnly() || text == nullptr) {
    return;
  }
  PaintTransient(ttBefore);
  Controller().ReplaceSelectionByMessage(undoable, text);
  PaintTransient(ttAfter);
  ScrollCaretIntoView(false);
  Model().RaiseStatusChange({scSelection});
}

std::intptr_t TSrcMemo::Perform(std::uint32_t message, std::uintptr_t wparam,
                                std::intptr_t lparam) {
  TSrcEditModel& model = Model();
  switch (message) {
    case EM_GETSEL: {
      const std::int64_t start = SelStartIndex();
      const std::int64_t end = SelEndIndex();
      if (auto* p = reinterpret_cast<std::uint32_t*>(wparam)) {
        *p = static_cast<std::uint32_t>(start);
      }
      if (auto* p = reinterpret_cast<std::uint32_t*>(lparam)) {
        *p = static_cast<std::uint32_t>(end);
      }
      return MakeResult(start, end);
    }
    case EM_SETSEL:
      // The indexes are signed: -1 stands before the text.
      SetSelStartIndex(static_cast<std::intptr_t>(wparam));
      SetSelEndIndex(lparam);
      return 0;
    case EM_GETMODIFY:
      return Controller().Modified() ? 1 : 0;
    case EM_SETMODIFY:
      Controller().SetModified(wparam != 0);
      return 0;
    case EM_CANUNDO:
      return Controller().CanUndo() ? 1 : 0;
    case EM_UNDO: {
      const bool could = Controller().CanUndo();
      Controller().Undo();
      return could ? 1 : 0;
    }
    case EM_REPLACESEL:
      ReplaceSelectionMessage(wparam != 0, reinterpret_cast<const char*>(lparam));
      return 0;
    case EM_GETLINECOUNT:
      return model.LineCount();
    case EM_GETLINE:
      return static_cast<std::intptr_t>(GetLineMessage(
          model.Lines(), static_cast<std::intptr_t>(wparam), reinterpret_cast<char*>(lparam)));
    case EM_GETFIRSTVISIBLELINE:
      return model.Mapping().LineOfRow(FirstVisibleRow()) - 1;
    case EM_CHARFROMPOS: {
      const auto x = static_cast<std::int16_t>(lparam & 0xFFFF);
      const auto y = static_cast<std::int16_t>((lparam >> 16) & 0xFFFF);
      TBufferPos pos = ConvertToBuffer(PixelsToRowColumn(Metrics(), x, y));
      if (pos.Line > model.LineCount()) {
        pos.Char = 1;
      } else {
        const int length = static_cast<int>(model.LineText(pos.Line).size());
        pos.Char = std::min(pos.Char, length + 1);
      }
      return MakeResult(pos.Char - 1, pos.Line - 1);
    }
    case EM_GETSELTEXT: {
      const std::string text = SelectedText();
      if (auto* buffer = reinterpret_cast<char*>(lparam)) {
        // The message carries no size: the caller sizes the buffer for the
        // selection and its 0 byte.
        CopyToBuffer(text, buffer, static_cast<std::int64_t>(text.size()) + 1);
      }
      return static_cast<std::intptr_t>(text.size());
    }
    default:
      return TSrcEdit::Perform(message, wparam, lparam);
  }
}

}  // namespace torvane
