// How the model follows the line store: invalidation collects over a batch,
// the batch end collapses the selection onto the caret and delivers the
// collected updates, and line changes keep the row layout and the painted
// rows in step.
#include <algorithm>

#include "document/string_list.h"
#include "editor/edit_model.h"
#include "editor/line_change_observer.h"
#include "editor/line_edit_observer.h"
#include "editor/row_layout.h"
#include "editor/view_sink.h"
#include "editor/word_wrap_plugin.h"
#include "highlight/custom_highlighter.h"
#include "highlight/range_states.h"

namespace torvane {

void TSrcEditModel::HookLineStore() {
  TSrcEditStringList& lines = *lines_;
  lines.OnBatchBegin = [this](TSrcEditStringList&) { LinesBatchBegan(); };
  lines.OnBatchEnd = [this](TSrcEditStringList&) { LinesBatchEnded(); };
  lines.OnLinesCleared = [this](TSrcEditStringList&) { LinesCleared(); };
  lines.OnLinesInserted = [this](TSrcEditStringList&, int index, int count) {
    LinesInserted(index, count);
  };
  lines.OnLinesDeleted = [this](TSrcEditStringList&, int index, int count) {
    LinesDeleted(index, count);
  };
  lines.OnBeforeDelete = [this](TSrcEditStringList&, int index, int count) {
    if (fold_changes_ == 0) {
      for (ISrcEditLineObserver* observer : line_observers_) {
        if (auto* edits = dynamic_cast<ISrcEditLineEditObserver*>(observer)) {
          edits->LinesDeleting(folds_->ExpandedLineNumber(index + 1), count);
        }
      }
    }
  };
  lines.OnBeforeReplace = [this](TSrcEditStringList& store, int index, int) {
    if (fold_changes_ == 0) {
      for (ISrcEditLineObserver* observer : line_observers_) {
        if (auto* edits = dynamic_cast<ISrcEditLineEditObserver*>(observer)) {
          edits->LineChanging(folds_->ExpandedLineNumber(index + 1), store.ReplacedFrom(),
                              store.ReplacedTail());
        }
      }
    }
    resume_points_.LineChanged(index, store.ReplacedFrom());
    range_states_.BeforeLineReplaced(index);
    folds_->BeforeLineReplaced(index);
  };
  lines.OnLineReplaced = [this](TSrcEditStringList&, int index, int) { LineReplaced(index); };
}

void TSrcEditModel::LinesBatchBegan() {
  batch_changed_lines_ = false;
  if (view_ != nullptr) {
    view_->BeginCollectingInvalidation();
  }
}

void TSrcEditModel::LinesBatchEnded() {
  TPaintHoldScope hold(paint_hold_);
  // The wrap layout follows every line change by itself; only changes that
  // name no line (exchanged lines, new break characters) lay it out anew.
  if (!batch_changed_lines_) {
    resume_points_.Clear();  // lines may have changed places
    if (wrap_ != nullptr) {
      wrap_->RebuildLayout();
      InvalidateLines(-1, -1);
    }
  }
  paint_hold_.RequestScrollBarUpdate();
  // Lines may have gone from under the caret; it never points past the text.
  if (caret_.Line > std::max(LineCount(), 1)) {
    PlaceCaret(caret_, false);
  }
  SetSelectionAnchor(caret_);
  if (view_ != nullptr) {
    view_->EndCollectingInvalidation();
    view_->LinesBatchEnded();
  }
}

void TSrcEditModel::LinesCleared() {
  batch_changed_lines_ = true;
  range_states_.LinesCleared();
  resume_points_.Clear();
  folds_->LinesCleared();
  current_fold_range_ = nullptr;
  if (OnLinesClearedUndo) {
    OnLinesClearedUndo();
  }
  TPaintHoldScope hold(paint_hold_);
  // The marks belonged to the text that went.
  if (!marks_.Empty()) {
    marks_.Clear();
  }
  for (ISrcEditLineObserver* observer : line_observers_) {
    observer->LinesCleared();
  }
  InvalidateLines(-1, -1);
  if (mapping_.RowLayout() != nullptr) {
    mapping_.RowLayout()->RebuildLayout();
  }
  caret_ = {1, 1};
  caret_at_row_end_ = false;
  anchor_ = caret_;
  active_ = caret_;
  remembered_column_ = 1;
  stepped_back_ = false;
  if (view_ != nullptr) {
    view_->LinesCleared();
  }
  paint_hold_.RequestCaretUpdate();
  paint_hold_.RaiseStatusChange({scAll});
}

void TSrcEditModel::LinesInserted(int index, int count) {
  batch_changed_lines_ = true;
  folds_->LinesInserted(index, count);
  // Lines going into an empty store take the place of the empty line 1 that
  // marks stood on (set there, or left when every line went), so those stay.
  if (count < lines_->LineCount()) {
    marks_.LinesInserted(index + 1, count);
  }
  if (fold_changes_ == 0) {
    for (ISrcEditLineObserver* observer : line_observers_) {
      observer->LinesInserted(folds_->ExpandedLineNumber(index + 1), count);
    }
  }
  resume_points_.LinesInserted(index, count);
  range_states_.AfterLinesInserted(index, count);
  if (mapping_.RowLayout() != nullptr) {
    mapping_.RowLayout()->InsertLineRows(index, count);
  }
  // Everything below moves down a row.
  InvalidateLines(index + 1, std::max(LineCount(), index + 1));
  if (view_ != nullptr) {
    view_->InvalidateGutterLines(index + 1, std::max(LineCount(), index + 1));
  }
}

void TSrcEditModel::LinesDeleted(int index, int count) {
  batch_changed_lines_ = true;
  folds_->LinesDeleted(index, count);
  marks_.LinesDeleted(index + 1, count);
  // No line takes the place of removed last lines: their marks go to the
  // line that now ends the text (hidden lines of a fold keep theirs).
  if (fold_changes_ == 0 && index >= LineCount()) {
    for (int i = 0; i < marks_.Count(); ++i) {
      if (TSrcEditMark& mark = marks_.Item(i); mark.Line() > std::max(LineCount(), 1)) {
        mark.MoveToLine(std::max(LineCount(), 1));
      }
    }
  }
  if (fold_changes_ == 0) {
    // The line that took their place has the first removed line's number.
    for (ISrcEditLineObserver* observer : line_observers_) {
      observer->LinesDeleted(folds_->ExpandedLineNumber(index + 1), count);
    }
  }
  resume_points_.LinesDeleted(index, count);
  range_states_.AfterLinesDeleted(index, count);
  if (mapping_.RowLayout() != nullptr) {
    mapping_.RowLayout()->DeleteLineRows(index, count);
  }
  InvalidateLines(index + 1, std::max(LineCount() + count, index + 1));
  if (view_ != nullptr) {
    view_->InvalidateGutterLines(index + 1, std::max(LineCount() + count, index + 1));
  }
}

void TSrcEditModel::LineReplaced(int index) {
  batch_changed_lines_ = true;
  folds_->LineReplaced(index);
  if (fold_changes_ == 0) {
    for (ISrcEditLineObserver* observer : line_observers_) {
      if (auto* copy = dynamic_cast<ISrcEditLineChangeObserver*>(observer)) {
        copy->LineChanged(folds_->ExpandedLineNumber(index + 1));
      }
    }
  }
  // A changed range state at the line's end recolours the lines below it.
  const int last = std::max(range_states_.AfterLineReplaced(index).Last, index);
  if (mapping_.RowLayout() != nullptr) {
    const int rows =
        mapping_.RowLayout() == wrap_.get()
            ? wrap_->RewrapChangedLine(index, lines_->ReplacedFrom(), lines_->ReplacedTail())
            : mapping_.RowLayout()->RewrapLines(index, 1);
    if (rows != 0) {
      // The rows below moved, with their line numbers.
      InvalidateLines(index + 1, std::max(LineCount(), index + 1));
      if (view_ != nullptr) {
        view_->InvalidateGutterLines(index + 1, std::max(LineCount(), index + 1));
      }
      return;
    }
  }
  InvalidateLines(index + 1, last + 1);
  if (view_ != nullptr) {
    view_->InvalidateGutterLines(index + 1, index + 1);
  }
}

void TSrcEditModel::SetHighlighter(TSrcCustomHighlighter* highlighter) {
  if (highlighter == highlighter_) {
    return;
  }
  DetachHighlighter();
  highlighter_ = highlighter;
  if (highlighter_ != nullptr) {
    highlighter_->AddChangeListener({this, [this](TSrcPersistent*) { HighlighterChanged(); }});
    highlighter_->AddFreeNotification({this, [this](TSrcPersistent*) {
                                         highlighter_ = nullptr;
                                         HighlighterChanged();
                                       }});
  }
  HighlighterChanged();
}

void TSrcEditModel::DetachHighlighter() {
  if (highlighter_ != nullptr) {
    highlighter_->RemoveChangeListener(this);
    highlighter_->RemoveFreeNotification(this);
    highlighter_ = nullptr;
  }
}

void TSrcEditModel::HighlighterChanged() {
  resume_points_.Clear();
  if (highlighter_ != nullptr) {
    word_chars_ = highlighter_->IdentifierCharacters() & ~highlighter_->WordSeparators();
    // The states are computed again as lines are painted; the batch still
    // tells the listeners, as a rescan of every line would.
    lines_->BeginBatch();
    range_states_.SetHighlighter(highlighter_);
    lines_->EndBatch();
  } else {
    word_chars_ = DefaultWordChars();
    // The rescan's batch lays out wrapped rows for the new break
    // characters; without a highlighter there is no rescan.
    if (wrap_ != nullptr) {
      wrap_->RebuildLayout();
    }
    range_states_.SetHighlighter(nullptr);
  }
  SyncFoldSettings();
  if (view_ != nullptr) {
    view_->HighlighterChanged();
  }
}

}  // namespace torvane
