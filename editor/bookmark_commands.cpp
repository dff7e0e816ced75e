// Bookmarks 0-9: jumping to one, setting and clearing them with the events
// that may veto a new mark. The marks live in the model's list, which moves
// them along with inserted and deleted lines.
#include <algorithm>

#include "editor/edit_controller.h"

namespace torvane {

bool TSrcEditController::GotoBookmark(int number) {
  const TSrcEditMark* mark = model_.Marks().FindBookmark(number);
  if (mark == nullptr || mark->Line() < 1 || mark->Line() > model_.LineCount()) {
    return false;
  }
  TPaintHoldScope hold(model_.PaintHold());
  model_.PlaceCaret(mark->Pos(), false);
  scrolling_->CentreCaretLine();
  model_.SetSelectionAnchor(model_.CaretPos());
  return true;
}

void TSrcEditController::SetBookmark(int number, int ch, int line) {
  if (number < 0 || number > 9 || line < 1 || line > std::max(1, model_.LineCount())) {
    return;
  }
  auto mark = std::make_unique<TSrcEditMark>();
  mark->SetBookmarkSlot(number);
  mark->MoveToLine(line);
  mark->SetChar(ch);
  mark->SetUseBuiltInImage(true);
  mark->SetGlyphIndex(number);
  if (OnPlaceBookmark) {
    OnPlaceBookmark(mark);
  }
  if (mark == nullptr) {
    return;
  }
  ClearBookmark(number);
  TSrcEditMark& placed = model_.Marks().Add(std::move(mark));
  placed.SetVisible(true);
}

void TSrcEditController::ClearBookmark(int number) {
  TSrcEditMarkList& marks = model_.Marks();
  const std::unique_ptr<TSrcEditMark> mark = marks.Extract(marks.FindBookmark(number));
  if (mark != nullptr && OnClearBookmark) {
    OnClearBookmark(*mark);
  }
}

void TSrcEditController::ExecuteMarkerCommand(TSrcEditorCommand command, void* data) {
  if (!model_.BookmarkKeys()) {
    return;
  }
  if (command >= ecGotoMarker0 && command <= ecGotoMarker9) {
    GotoBookmark(command - ecGotoMarker0);
    return;
  }
  if (command < ecSetMarker0 || command > ecSetMarker9) {
    return;
  }
  const int number = command - ecSetMarker0;
  const TBufferPos pos =
      data != nullptr ? *static_cast<const TBufferPos*>(data) : model_.CaretPos();
  const TSrcEditMark* existing = model_.Marks().FindBookmark(number);
  if (existing != nullptr) {
    const bool same_line = existing->Line() == pos.Line;
    ClearBookmark(number);
    if (same_line) {
      return;  // the command toggles a bookmark on its own line
    }
  }
  SetBookmark(number, pos.Char, pos.Line);
}

}  // namespace torvane
