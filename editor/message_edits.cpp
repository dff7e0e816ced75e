// The text changes of the edit-control messages: replacing the selection
// (EM_REPLACESEL) and the whole text (WM_SETTEXT), recorded exactly as the
// text goes in, so that undo and the modified flag follow them.
#include "editor/edit_controller.h"

namespace torvane {
namespace {

// Both lists record nothing for a scope.
class TUndoListsLock {
 public:
  TUndoListsLock(TSrcEditUndoList& undo, TSrcEditUndoList& redo) : undo_(undo), redo_(redo) {
    undo_.Lock();
    redo_.Lock();
  }
  ~TUndoListsLock() {
    undo_.Unlock();
    redo_.Unlock();
  }
  TUndoListsLock(const TUndoListsLock&) = delete;
  TUndoListsLock& operator=(const TUndoListsLock&) = delete;

 private:
  TSrcEditUndoList& undo_;
  TSrcEditUndoList& redo_;
};

}  // namespace

void TSrcEditController::ReplaceSelectionByMessage(bool undoable, std::string_view text) {
  if (model_.ReadOnly()) {
    return;
  }
  TPaintHoldScope hold(model_.PaintHold());
  const TSrcEditModel::TEditingScope editing(model_);
  if (undoable) {
    // The selection's exact bytes, then the paste in the mode it was made
    // in: lines or a block go back as they came.
    TUndoGroupScope group(undo_list_);
    InsertTextAtCaret(text, ckPaste);
    return;
  }
  const bool changes = !text.empty() || !SelectionBytes().empty();
  {
    TUndoListsLock lock(undo_list_, redo_list_);
    TUndoGroupScope group(undo_list_);
    InsertTextAtCaret(text);
  }
  // Nothing was recorded, but the text no longer is what was saved.
  if (changes) {
    SetModified(true);
  }
}

void TSrcEditController::SetTextByMessage(std::string_view text) {
  TPaintHoldScope hold(model_.PaintHold());
  const TSrcEditModel::TEditingScope editing(model_);
  TUndoGroupScope group(undo_list_);
  // The text replaces the text, not lines or a block, whatever the mode.
  const TSrcSelectionMode mode = model_.SelectionMode();
  model_.SetSelectionMode(smNormal);
  SelectAll();
  InsertTextAtCaret(text);
  model_.SetSelectionMode(mode);
}

}  // namespace torvane
