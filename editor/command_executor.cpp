// The command path: user events and hooked handlers around the built-in
// executor, which holds painting for each command and keeps read-only
// editors from changing text.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/view_sink.h"
#include "highlight/custom_highlighter.h"

namespace torvane {
namespace {

bool IsTextCommand(TSrcEditorCommand command) {
  switch (command) {
    case ecDeleteLastChar:
    case ecDeleteChar:
    case ecDeleteWord:
    case ecDeleteLastWord:
    case ecDeleteBOL:
    case ecDeleteEOL:
    case ecDeleteLine:
    case ecClearAll:
    case ecLineBreak:
    case ecInsertLine:
    case ecChar:
    case ecImeStr:
    case ecCut:
    case ecPaste:
    case ecBlockIndent:
    case ecBlockUnindent:
    case ecTab:
    case ecShiftTab:
    case ecUpperCase:
    case ecLowerCase:
    case ecToggleCase:
    case ecTitleCase:
    case ecUpperCaseBlock:
    case ecLowerCaseBlock:
    case ecToggleCaseBlock:
      return true;
    default:
      return false;
  }
}

// Brackets transient painting around a text change.
class TTransientScope {
 public:
  explicit TTransientScope(ISrcEditView* view) : view_(view) {
    if (view_ != nullptr) {
      view_->PaintTransient(ttBefore);
    }
  }
  ~TTransientScope() {
    if (view_ != nullptr) {
      view_->PaintTransient(ttAfter);
    }
  }
  TTransientScope(const TTransientScope&) = delete;
  TTransientScope& operator=(const TTransientScope&) = delete;

 private:
  ISrcEditView* view_;
};

}  // namespace

TSrcEditController::TSrcEditController(TSrcEditModel& model) : model_(model) {
  model_.OnCaretMoveGroupBreak = [this] {
    if (undo_list_.CanUndo()) {
      undo_list_.AddGroupBreak();
    }
  };
  model_.OnLinesClearedUndo = [this] {
    undo_list_.Clear();
    redo_list_.Clear();
  };
  undo_list_.OnEntryAdded = [this](TSrcEditUndoList& list) { EntryAdded(list); };
  redo_list_.OnEntryAdded = [this](TSrcEditUndoList& list) { EntryAdded(list); };
  undo_list_.OnGroupClosing = [this] { TrimWrittenLines(); };
  undo_list_.OnRecord = [this](TSrcEditUndoItem& item) { ToExpandedEntry(item); };
  redo_list_.OnRecord = [this](TSrcEditUndoItem& item) { ToExpandedEntry(item); };
  IsCaretOnCollapsedFold = [this] {
    return model_.FoldingEnabled() &&
           model_.Folds().CollapsedHeaderAt(model_.CaretLine()) != nullptr;
  };
}

TSrcEditController::~TSrcEditController() {
  model_.OnCaretMoveGroupBreak = nullptr;
  model_.OnLinesClearedUndo = nullptr;
}

void TSrcEditController::SetScrolling(TSrcEditScrolling* scrolling) {
  scrolling_ = scrolling != nullptr ? scrolling : &own_scrolling_;
}

void TSrcEditController::SetHighlighter(TSrcCustomHighlighter* highlighter) {
  highlighter_ = highlighter;
  if (highlighter == nullptr) {
    model_.SetWordChars(DefaultWordChars());
    return;
  }
  model_.SetWordChars(highlighter->IdentifierCharacters() & ~highlighter->WordSeparators());
}

void TSrcEditController::ProcessCommand(TSrcEditorCommand command, char ch, void* data) {
  const TProcessCommandEvent& event =
      command >= ecUserFirst ? OnProcessUserCommand : OnProcessCommand;
  if (event) {
    event(command, ch, data);
  }
  const auto run_handlers = [&](bool after) {
    if (command == ecNone || hooked_handlers_.empty()) {
      return;
    }
    bool handled = false;
    // A handler may unregister itself (or others) while it runs.
    const std::vector<THookedHandler> handlers = hooked_handlers_;
    for (const THookedHandler& h : handlers) {
      h.Handler->HookedCommand(after, handled, command, ch, data, h.Data);
    }
    if (handled) {
      command = ecNone;
    }
  };
  run_handlers(false);
  if (command != ecNone && command < ecUserFirst) {
    ExecuteCommand(command, ch, data);
  }
  run_handlers(true);
  if (OnCommandProcessed) {
    OnCommandProcessed(command, ch, data);
  }
}

void TSrcEditController::RegisterCommandHandler(ISrcEditCommandHandler* handler,
                                                void* handler_data) {
  if (handler == nullptr) {
    return;
  }
  for (const THookedHandler& h : hooked_handlers_) {
    if (h.Handler == handler && h.Data == handler_data) {
      return;
    }
  }
  hooked_handlers_.push_back({handler, handler_data});
}

void TSrcEditController::UnregisterCommandHandler(ISrcEditCommandHandler* handler,
                                                  void* handler_data) {
  std::erase_if(hooked_handlers_, [&](const THookedHandler& h) {
    return h.Handler == handler && h.Data == handler_data;
  });
}

bool TSrcEditController::IsGuardedByFold(TSrcEditorCommand command) const {
  if (!IsCaretOnCollapsedFold || !IsCaretOnCollapsedFold()) {
    return false;
  }
  return (command >= ecEditCommandFirst && command <= ecEditCommandLast) || command == ecTab ||
         command == ecShiftTab || command == ecString || command == ecAutoCompletion;
}

void TSrcEditController::ExecuteCommand(TSrcEditorCommand command, char ch, void* data) {
  if (command == ecLineBreak && !model_.ReadOnly()) {
    OpenFoldForLineBreak();
  }
  if (IsGuardedByFold(command)) {
    return;
  }
  TPaintHoldScope hold(model_.PaintHold());
  if (ExecuteCaretCommand(command, data)) {
    return;
  }
  if (command >= ecGotoMarker0 && command <= ecSetMarker9) {
    ExecuteMarkerCommand(command, data);
    return;
  }
  switch (command) {
    case ecCopy:
      CopyToClipboard();
      return;
    case ecUndo:
      Undo();
      return;
    case ecRedo:
      Redo();
      return;
    case ecContextHelp:
      if (OnContextHelp) {
        const TBufferPos caret = model_.CaretPos();
        const int from = model_.WordStartAt(caret).Char;
        const int to = model_.WordEndAt(caret).Char;
        const std::string_view text = model_.LineText(caret.Line);
        OnContextHelp(
            std::string(text.substr(std::min(static_cast<std::size_t>(from - 1), text.size()),
                                    static_cast<std::size_t>(std::max(to - from, 0)))));
      }
      return;
    default:
      break;
  }
  if (!IsTextCommand(command) || model_.ReadOnly()) {
    return;
  }
  TTransientScope transient(model_.View());
  const TSrcEditModel::TEditingScope editing(model_);
  ExpandFoldsForEdit(command);
  ExecuteTextCommand(command, ch, data);
}

void TSrcEditController::ExecuteTextCommand(TSrcEditorCommand command, char ch, void* data) {
  switch (command) {
    case ecDeleteLastChar:
      DeleteLastChar();
      break;
    case ecDeleteChar:
      DeleteChar();
      break;
    case ecDeleteWord:
      DeleteToWordOrLineEnd(false);
      break;
    case ecDeleteEOL:
      DeleteToWordOrLineEnd(true);
      break;
    case ecDeleteLastWord:
      DeleteToWordOrLineStart(false);
      break;
    case ecDeleteBOL:
      DeleteToWordOrLineStart(true);
      break;
    case ecDeleteLine:
      DeleteLine();
      break;
    case ecClearAll:
      ClearAll();
      break;
    case ecLineBreak:
      LineBreak(true);
      break;
    case ecInsertLine:
      LineBreak(false);
      break;
    case ecChar:
      TypeChar(ch);
      break;
    case ecImeStr:
      if (data != nullptr) {
        ImeString(*static_cast<const std::string*>(data));
      }
      break;
    case ecCut:
      CutToClipboard();
      break;
    case ecPaste:
      PasteFromClipboard();
      break;
    case ecBlockIndent:
      BlockIndent();
      break;
    case ecBlockUnindent:
      BlockUnindent();
      break;
    case ecTab:
      Tab();
      break;
    case ecShiftTab:
      ShiftTab();
      break;
    default:
      ChangeCase(command);
      break;
  }
}

}  // namespace torvane
