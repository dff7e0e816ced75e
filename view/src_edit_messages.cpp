// The window-text and edit messages every editor answers: the full text,
// its length, replacing it undoably, and cut, copy, paste, clear and undo.
#include "editor/edit_messages.h"
#include "view/src_edit.h"

namespace torvane {

std::intptr_t TCustomSrcEdit::Perform(std::uint32_t message, std::uintptr_t wparam,
                                      std::intptr_t lparam) {
  switch (message) {
    case WM_GETTEXT:
      return static_cast<std::intptr_t>(CopyToBuffer(
          model_.AllText(), reinterpret_cast<char*>(lparam), static_cast<std::int64_t>(wparam)));
    case WM_GETTEXTLENGTH: {
      if (model_.Folds().CollapsedCount() > 0) {
        return static_cast<std::intptr_t>(model_.AllText().size());
      }
      std::intptr_t length = 0;
      for (int i = 0; i < Lines().LineCount(); ++i) {
        length += static_cast<std::intptr_t>(Lines().GetLine(i).size()) + (i > 0 ? 2 : 0);
      }
      return length;
    }
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lparam);
      controller_->SetTextByMessage(text != nullptr ? std::string_view(text) : std::string_view());
      return 1;
    }
    case WM_CUT:
      ProcessCommand(ecCut);
      return 0;
    case WM_COPY:
      ProcessCommand(ecCopy);
      return 0;
    case WM_PASTE:
      ProcessCommand(ecPaste);
      return 0;
    case WM_CLEAR:
      if (HasSelection()) {
        ProcessCommand(ecDeleteChar);  // takes the selection away
      }
      return 0;
    case WM_UNDO: {
      const bool could = controller_->CanUndo();
      ProcessCommand(ecUndo);
      return could ? 1 : 0;
    }
    default:
      return 0;
  }
}

}  // namespace torvane
