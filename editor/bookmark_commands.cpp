// Bookmarks 0-9: jumping to one, setting and clearing them with the events
// that may veto a new mark.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/view_sink.h"

namespace torvane {

bool TSrcEditController::GotoBookmark(int number) {
  const TSrcEditMark* mark = marks_.FindBookmark(number);
  if (mark == nullptr || mark->Line > model_.LineCount()) {
    return false;
  }
  TPaintHoldScope hold(model_.PaintHold());
  model_.PlaceCaret({mark->Char, mark->Line}, false);
  scrolling_->CentreCaretLine();
  model_.SetSelectionAnchor(model_.CaretPos());
  return true;
}

void TSrcEditController::SetBookmark(int number, int ch, int line) {
  if (number < 0 || number > 9 || line < 1 || line > std::max(1, model_.LineCount())) {
    return;
  }
  auto mark = std::make_unique<TSrcEditMark>();
  mark->BookmarkNumber = number;
  mark->Char = ch;
  mark->Line = line;
  if (OnPlaceBookmark) {
    OnPlaceBookmark(mark);
  }
  if (mark == nullptr) {
    return;
  }
  ClearBookmark(number);
  marks_.Add(std::move(mark));
  if (model_.View() != nullptr) {
    model_.View()->InvalidateGutterLines(line, line);
  }
}

void TSrcEditController::ClearBookmark(int number) {
  const std::unique_ptr<TSrcEditMark> mark = marks_.TakeBookmark(number);
  if (mark == nullptr) {
    return;
  }
  if (OnClearBookmark) {
    OnClearBookmark(*mark);
  }
  if (model_.View() != nullptr) {
    model_.View()->InvalidateGutterLines(mark->Line, mark->Line);
  }
}

void TSrcEditController::ExecuteMarkerCommand(TSrcEditorCommand command, void* data) {
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
  const TSrcEditMark* existing = marks_.FindBookmark(number);
  if (existing != nullptr) {
    const bool same_line = existing->Line == pos.Line;
    ClearBookmark(number);
    if (same_line) {
      return;  // the command toggles a bookmark on its own line
    }
  }
  SetBookmark(number, pos.Char, pos.Line);
}

}  // namespace torvane
