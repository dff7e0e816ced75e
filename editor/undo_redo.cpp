// Undo and redo over the two lists: grouping of steps, applying each kind of
// entry, the modified flag derived from the save point, and ClearAll.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/text_pieces.h"
#include "editor/view_sink.h"

namespace torvane {

// The frame of applying one entry: the entry's selection mode, positions past
// line ends allowed, painting held; all restored however the step ends.
class TUndoStep {
 public:
  TUndoStep(TSrcEditController& editor, TSrcSelectionMode mode)
      : model_(editor.model_),
        hold_(model_.PaintHold()),
        mode_(model_.SelectionMode()),
        options_(model_.Options()),
        exact_(editor.exact_writes_),
        saved_exact_(exact_) {
    exact_ = true;
    model_.SetSelectionMode(mode);
    model_.ApplyOptions(TSrcEditorOptions(options_).Include(eoScrollPastEol));
  }
  ~TUndoStep() {
    exact_ = saved_exact_;
    model_.SetSelectionMode(mode_);
    model_.ApplyOptions(options_);
  }
  TUndoStep(const TUndoStep&) = delete;
  TUndoStep& operator=(const TUndoStep&) = delete;

 private:
  TSrcEditModel& model_;
  TPaintHoldScope hold_;
  TSrcSelectionMode mode_;
  TSrcEditorOptions options_;
  bool& exact_;
  bool saved_exact_;
};

namespace {

bool IsDeleteKind(TSrcEditChangeKind kind) {
  return kind == ckDeleteAfterCaret || kind == ckDelete || kind == ckSilentDelete ||
         kind == ckSilentDeleteAfterCaret || kind == ckDeleteAll;
}

bool IsAfterCaretKind(TSrcEditChangeKind kind) {
  return kind == ckDeleteAfterCaret || kind == ckSilentDeleteAfterCaret;
}

bool IsInsertKind(TSrcEditChangeKind kind) {
  return kind == ckInsert || kind == ckPaste || kind == ckDragDropInsert;
}

// Sets a list's group number for a scope, so entries recorded there join it.
class TBlockNumberScope {
 public:
  TBlockNumberScope(TSrcEditUndoList& list, std::uint32_t number)
      : list_(list), saved_(list.BlockGroupNumber()) {
    list_.SetBlockGroupNumber(number);
  }
  ~TBlockNumberScope() { list_.SetBlockGroupNumber(saved_); }
  TBlockNumberScope(const TBlockNumberScope&) = delete;
  TBlockNumberScope& operator=(const TBlockNumberScope&) = delete;

 private:
  TSrcEditUndoList& list_;
  std::uint32_t saved_;
};

// Moves a group break from the top of one list to the other.
bool MoveGroupBreak(TSrcEditUndoList& from, TSrcEditUndoList& to) {
  const TSrcEditUndoItem* top = from.PeekEntry();
  if (top == nullptr || top->Kind != ckGroupBreak) {
    return false;
  }
  const std::unique_ptr<TSrcEditUndoItem> item = from.PopEntry();
  TBlockNumberScope number(to, item->GroupNumber);
  to.AddGroupBreak();
  return true;
}

}  // namespace

TUndoGroupScope::TUndoGroupScope(TSrcEditUndoList& list)
    : list_(list), opened_(list.BlockGroupNumber() == 0 || list.BlockDepth() > 0) {
  if (opened_) {
    list_.BeginGroup();
  }
}

TUndoGroupScope::~TUndoGroupScope() {
  if (opened_) {
    list_.EndGroup();
  }
}

void TSrcEditController::Undo() {
  if (model_.ReadOnly()) {
    return;
  }
  const TSrcEditModel::TEditingScope editing(model_);
  const bool moved_break = MoveGroupBreak(undo_list_, redo_list_);
  const TSrcEditUndoItem* top = undo_list_.PeekEntry();
  if (top == nullptr) {
    if (moved_break) {
      UpdateModified();  // the empty list may be the save point
    }
    return;
  }
  const TSrcEditChangeKind first = top->Kind;
  const std::uint32_t number = top->GroupNumber;
  TBlockNumberScope redo_number(redo_list_, number);
  TPaintHoldScope hold(model_.PaintHold());
  while (true) {
    const TSrcEditChangeKind undone = undo_list_.PeekEntry()->Kind;
    UndoItem();
    top = undo_list_.PeekEntry();
    if (top == nullptr) {
      break;
    }
    if (IsGroupEndKind(first)) {
      if (top->Kind == MatchingBeginKind(first)) {
        UndoItem();
        UpdateModified();
        break;
      }
      continue;
    }
    if (top->GroupNumber == number) {
      continue;
    }
    if (model_.HasOption(eoGroupUndo) && top->Kind == undone && undone != ckIndent &&
        undone != ckUnindent) {
      continue;
    }
    break;
  }
}

void TSrcEditController::Redo() {
  if (model_.ReadOnly()) {
    return;
  }
  const TSrcEditModel::TEditingScope editing(model_);
  MoveGroupBreak(redo_list_, undo_list_);
  const TSrcEditUndoItem* top = redo_list_.PeekEntry();
  if (top != nullptr) {
    const TSrcEditChangeKind first = top->Kind;
    const std::uint32_t number = top->GroupNumber;
    TBlockNumberScope undo_number(undo_list_, number);
    TPaintHoldScope hold(model_.PaintHold());
    redo_running_ = true;
    try {
      while (true) {
        const TSrcEditChangeKind redone = redo_list_.PeekEntry()->Kind;
        RedoItem();
        top = redo_list_.PeekEntry();
        if (top == nullptr) {
          break;
        }
        if (IsGroupBeginKind(first)) {
          if (top->Kind == MatchingEndKind(first)) {
            RedoItem();
            break;
          }
          continue;
        }
        if (top->GroupNumber == number) {
          continue;
        }
        if (model_.HasOption(eoGroupUndo) && top->Kind == redone && redone != ckIndent &&
            redone != ckUnindent) {
          continue;
        }
        break;
      }
    } catch (...) {
      redo_running_ = false;
      throw;
    }
    redo_running_ = false;
  }
  // The break that marked the save point goes back above the redone step.
  MoveGroupBreak(redo_list_, undo_list_);
  UpdateModified();
}

void TSrcEditController::UndoItem() {
  const std::unique_ptr<TSrcEditUndoItem> item = undo_list_.PopEntry();
  if (item == nullptr) {
    return;
  }
  const TFoldsPrepared prepared = ExpandFoldsForEntry(*item);
  TUndoStep step(*this, item->Mode);
  const TSrcEditChangeKind kind = item->Kind;
  if (IsInsertKind(kind)) {
    model_.PlaceCaretAndSelection(item->BeginPos, item->BeginPos, item->EndPos);
    std::string removed = SelectionBytes();
    ReplaceSelection(item->Mode, item->Text, false);
    redo_list_.RecordChange(kind, item->BeginPos, item->EndPos, std::move(removed), item->Mode);
    model_.SetCaretAndDeselect(item->BeginPos);
  } else if (IsDeleteKind(kind)) {
    RestoreDeletedText(*item);
    redo_list_.RecordChange(kind, item->BeginPos, item->EndPos, std::string(), item->Mode);
  } else if (kind == ckLineBreak) {
    JoinLineBreak(*item);
  } else if (kind == ckIndent) {
    model_.PlaceCaretAndSelection(item->EndPos, item->BeginPos, item->EndPos);
    redo_list_.RecordChange(kind, item->BeginPos, item->EndPos, item->Text, item->Mode);
  } else if (kind == ckUnindent) {
    InsertUnindentBlock(*item);
    redo_list_.RecordChange(kind, item->BeginPos, item->EndPos, item->Text, item->Mode);
  } else if (kind == ckCaret) {
    redo_list_.RecordChange(kind, model_.CaretPos(), model_.CaretPos(), std::string(),
                            model_.SelectionMode());
    model_.SetCaretPos(item->BeginPos);
  } else if (kind == ckSelection) {
    redo_list_.RecordChange(kind, model_.SelStart(), model_.SelEnd(), std::string(),
                            model_.SelectionMode());
    model_.SetSelectionAnchor(item->BeginPos);
    model_.SetSelectionActiveEnd(item->EndPos);
  }
}

void TSrcEditController::RedoItem() {
  const std::unique_ptr<TSrcEditUndoItem> item = redo_list_.PopEntry();
  if (item == nullptr) {
    return;
  }
  const TFoldsPrepared prepared = ExpandFoldsForEntry(*item);
  TUndoStep step(*this, item->Mode);
  const TSrcEditChangeKind kind = item->Kind;
  if (IsInsertKind(kind)) {
    model_.SetCaretAndDeselect(item->BeginPos);
    ReplaceSelectionAt(item->Mode, std::move(item->Text), false, item->BeginPos);
    model_.SetCaretPos(item->EndPos);
    undo_list_.RecordChange(kind, item->BeginPos, item->EndPos, std::string(), item->Mode);
    if (kind == ckDragDropInsert) {
      model_.PlaceCaretAndSelection(item->BeginPos, item->BeginPos, item->EndPos);
    }
  } else if (IsDeleteKind(kind)) {
    model_.PlaceCaretAndSelection(item->BeginPos, item->BeginPos, item->EndPos);
    std::string taken = SelectionBytes();
    ReplaceSelection(item->Mode, item->Text, false);
    undo_list_.RecordChange(kind, item->BeginPos, item->EndPos, std::move(taken), item->Mode);
    model_.SetCaretAndDeselect(IsAfterCaretKind(kind) ? item->EndPos : item->BeginPos);
  } else if (kind == ckLineBreak) {
    // The break goes back where the undo took it out, with the text the new
    // line started with (its indentation), rather than running the command
    // again: Insert Line and a changed auto-indent would break differently.
    const TBufferPos at = item->EndPos;
    std::string tail(LineSlice(model_.LineText(at.Line), at.Char, INT32_MAX));
    ReplaceRange(at, at, item->Text);
    undo_list_.RecordChange(kind, item->BeginPos, item->BeginPos, std::move(tail), item->Mode);
    model_.SetCaretAndDeselect(
        {static_cast<int>(item->Text.size()) - 1, std::min(at.Line + 1, model_.LineCount())});
  } else if (kind == ckIndent) {
    model_.PlaceCaretAndSelection(item->EndPos, item->BeginPos, item->EndPos);
    undo_list_.RecordChange(kind, item->BeginPos, item->EndPos, item->Text, item->Mode);
  } else if (kind == ckUnindent) {
    RemoveUnindentBlock(*item);
    undo_list_.RecordChange(kind, item->BeginPos, item->EndPos, item->Text, item->Mode);
  } else if (kind == ckCaret) {
    undo_list_.RecordChange(kind, model_.CaretPos(), model_.CaretPos(), std::string(),
                            model_.SelectionMode());
    model_.SetCaretPos(item->BeginPos);
  } else if (kind == ckSelection) {
    undo_list_.RecordChange(kind, model_.SelStart(), model_.SelEnd(), std::string(),
                            model_.SelectionMode());
    model_.SetSelectionAnchor(item->BeginPos);
    model_.SetSelectionActiveEnd(item->EndPos);
  }
}

void TSrcEditController::RestoreDeletedText(TSrcEditUndoItem& item) {
  const TBufferPos a = item.BeginPos;
  const TBufferPos b = item.EndPos;
  TBufferPos at = item.Mode == smColumn
                      ? TBufferPos{std::min(a.Char, b.Char), std::min(a.Line, b.Line)}
                      : std::min(a, b);
  if (item.Mode == smLine) {
    at.Char = 1;
  }
  while (item.Mode != smLine && at.Line > model_.LineCount() && at.Line > 1) {
    InsertLineAt(model_.LineCount() + 1, std::string_view());
  }
  model_.SetCaretAndDeselect(at);
  // Lines removed from the end of the text go back below the last line,
  // where the caret cannot stand.
  ReplaceSelectionAt(item.Mode, std::move(item.Text), false, at);
  const TBufferPos caret = IsAfterCaretKind(item.Kind) ? item.BeginPos : item.EndPos;
  if (item.Kind == ckDeleteAll) {
    model_.PlaceCaretAndSelection({1, 1}, {1, 1}, {1, 1});
  } else if (item.Kind == ckSilentDelete || item.Kind == ckSilentDeleteAfterCaret) {
    model_.SetCaretAndDeselect(caret);
  } else {
    model_.PlaceCaretAndSelection(caret, item.BeginPos, item.EndPos);
  }
  ScrollCaretIntoView();
}

void TSrcEditController::JoinLineBreak(const TSrcEditUndoItem& item) {
  const int line = item.BeginPos.Line;
  const int next = item.EndPos.Line + 1;
  if (line <= model_.LineCount() && next <= model_.LineCount()) {
    // The line the split made goes; the moved tail comes back to its place.
    // The redo entry keeps the break and what the new line started with.
    const std::string_view next_text = model_.LineText(next);
    const int prefix = std::max(0, static_cast<int>(next_text.size() - item.Text.size()));
    std::string removed =
        "\r\n" + std::string(next_text.substr(0, static_cast<std::size_t>(prefix)));
    const TBufferPos from{static_cast<int>(model_.LineText(line).size()) + 1, line};
    const TBufferPos to{static_cast<int>(next_text.size()) + 1, next};
    if (from.Char == 1 && next_text == item.Text) {
      // A break at a line's start: the empty line above goes, and the line
      // itself (with its marks) moves back up unchanged.
      ReplaceRange(from, {1, next}, std::string_view());
    } else {
      ReplaceRange(from, to, item.Text);
    }
    redo_list_.RecordChange(ckLineBreak, item.BeginPos, from, std::move(removed), item.Mode);
  }
  model_.SetCaretAndDeselect(item.BeginPos);
}

void TSrcEditController::InsertUnindentBlock(const TSrcEditUndoItem& item) {
  const int ch = item.Mode == smColumn ? std::min(item.BeginPos.Char, item.EndPos.Char) : 1;
  const TBufferPos at{ch, std::min(item.BeginPos.Line, item.EndPos.Line)};
  model_.SetCaretAndDeselect(at);
  const std::size_t lines = SplitAtLineBreaks(item.Text).size();
  ReplaceSelectionAt(smColumn, std::string(item.Text), false, at, std::vector<int>(lines, ch));
  model_.PlaceCaretAndSelection(item.BeginPos, item.BeginPos, item.EndPos);
}

void TSrcEditController::RemoveUnindentBlock(const TSrcEditUndoItem& item) {
  const int ch = item.Mode == smColumn ? std::min(item.BeginPos.Char, item.EndPos.Char) : 1;
  int line = std::min(item.BeginPos.Line, item.EndPos.Line);
  int last_removed = 0;
  for (const std::string_view piece : SplitAtLineBreaks(item.Text)) {
    const int n = static_cast<int>(piece.size());
    if (n > 0) {
      ReplaceRange({ch, line}, {ch + n, line}, std::string_view());
    }
    last_removed = n;
    ++line;
  }
  if (item.Mode == smColumn) {
    model_.PlaceCaretAndSelection(item.BeginPos, item.BeginPos, item.EndPos);
    return;
  }
  const int first_removed = [&] {
    const std::vector<std::string_view> pieces = SplitAtLineBreaks(item.Text);
    return static_cast<int>(pieces.front().size());
  }();
  const TBufferPos begin{std::max(1, item.BeginPos.Char - first_removed), item.BeginPos.Line};
  const TBufferPos end{std::max(1, item.EndPos.Char - last_removed), item.EndPos.Line};
  model_.PlaceCaretAndSelection(begin, begin, end);
}

// --- the modified flag --------------------------------------------------

void TSrcEditController::SetModified(bool value) {
  if (value == modified_) {
    return;
  }
  modified_ = value;
  if (!value && model_.HasOption(eoGroupUndo) && undo_list_.CanUndo()) {
    undo_list_.AddGroupBreak();
  }
  undo_list_.MarkSavePoint(!value);
  model_.RaiseStatusChange({scModified});
  if (!value) {
    model_.Lines().MarkModifiedLinesSaved();
    if (model_.View() != nullptr) {
      model_.View()->InvalidateGutterLines(1, std::max(model_.LineCount(), 1));
    }
  }
}

void TSrcEditController::UpdateModified() {
  SetModified(!undo_list_.IsAtSavePoint());
}

void TSrcEditController::EntryAdded(TSrcEditUndoList& list) {
  UpdateModified();
  if (&list == &undo_list_ && !redo_running_ && undo_list_.LastKind() != ckGroupBreak) {
    redo_list_.Clear();
  }
  if (list.BlockDepth() == 0 && OnChange) {
    OnChange();
  }
  if (&list == &undo_list_ && list.BlockDepth() == 0) {
    FoldEntryAdded();
  }
}

void TSrcEditController::ClearAll() {
  model_.Lines().ClearLines();
  model_.Marks().Clear();
  undo_list_.Clear();
  redo_list_.Clear();
  SetModified(false);
}

void TSrcEditController::SetMaxUndo(int value) {
  if (value >= 0) {
    undo_list_.SetMaxEntries(value);
    redo_list_.SetMaxEntries(value);
  }
}

}  // namespace torvane
