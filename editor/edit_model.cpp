// Caret placement, the selection setters, modes and options of the model.
#include "editor/edit_model.h"

#include <algorithm>
#include <climits>

#include "document/string_list.h"
#include "editor/view_sink.h"
#include "editor/word_wrap_plugin.h"

namespace torvane {

TSrcEditModel::TSrcEditModel()
    : lines_(std::make_unique<TSrcEditStringList>()),
      mapping_(*lines_),
      code_folding_(std::make_unique<TSrcCodeFolding>()),
      folds_(std::make_unique<TSrcEditFolds>(*lines_)) {
  HookLineStore();
  code_folding_->OnChange = [this](TSrcCodeFoldingChange change) { CodeFoldingChanged(change); };
  SyncFoldSettings();
  marks_.OnMarkChange = [this](int line) {
    if (view_ != nullptr) {
      view_->InvalidateGutterLines(line, line);
    }
  };
  marks_.OnChange = [this] {
    if (view_ != nullptr) {
      view_->InvalidateGutterLines(-1, -1);
    }
  };
}

TSrcEditModel::~TSrcEditModel() {
  DetachHighlighter();
}

void TSrcEditModel::SetView(ISrcEditView* view) {
  view_ = view;
  paint_hold_.SetView(view);
}

int TSrcEditModel::LineCount() const {
  return lines_->LineCount();
}

std::string_view TSrcEditModel::LineText(int line) const {
  return lines_->GetLine(line - 1);
}

bool TSrcEditModel::HasSelection() const {
  return anchor_.Char != active_.Char ||
         (anchor_.Line != active_.Line && selection_mode_ != smColumn);
}

bool TSrcEditModel::IsMultiLineSelection() const {
  return anchor_.Line != active_.Line && selection_mode_ != smColumn;
}

void TSrcEditModel::InvalidateLines(int first, int last) {
  if (view_ != nullptr) {
    view_->InvalidateLines(std::min(first, last), std::max(first, last));
  }
}

void TSrcEditModel::InvalidateSelection() {
  InvalidateLines(SelStart().Line, SelEnd().Line);
}

// --- the caret ----------------------------------------------------------

void TSrcEditModel::PlaceCaret(TBufferPos pos, bool scroll_into_view, bool at_row_end) {
  const bool wrapping = mapping_.IsWrapping();
  const bool past_eol = options_.Has(eoScrollPastEol);
  int line = std::min(pos.Line, LineCount());
  const bool raised = line < 1;
  line = std::max(line, 1);
  // MaxScrollWidth limits only how far past a line's end the caret goes;
  // every character of a longer line stays reachable.
  const long end = raised ? 1 : static_cast<long>(LineText(line).size()) + 1;
  long bound = wrapping ? LONG_MAX : std::max(static_cast<long>(max_scroll_width_) + 1, end);
  if (!past_eol) {
    bound = end;
  }
  long ch = pos.Char;
  if (ch > bound && (!past_eol || !options_.Has(eoAutoSizeMaxScrollWidth))) {
    ch = bound;
  }
  ch = std::max(ch, 1L);
  // A caret never stands inside a multi-byte character.
  const TBufferPos target{line_cells::SnapToCharStart(LineText(line), static_cast<int>(ch)), line};
  const bool row_end = at_row_end && EndsRow(target, mapping_.ConvertToDisplay(target).Row - 1);

  if (target == caret_ && row_end == caret_at_row_end_) {
    remembered_column_ = DisplayColumn();
    return;
  }
  TPaintHoldScope hold(paint_hold_);
  if (view_ != nullptr) {
    view_->PaintTransient(ttBefore);
  }
  const int old_row = DisplayRow();
  const int old_line = caret_.Line;
  TSrcStatusChanges changes;
  if (target.Char != caret_.Char) {
    changes.Include(scCaretX);
  }
  if (target.Line != caret_.Line) {
    changes.Include(scCaretY);
  }
  caret_ = target;
  caret_at_row_end_ = row_end;
  paint_hold_.RaiseStatusChange(changes);
  const TDisplayPos shown = DisplayPos();
  if (view_ != nullptr && view_->IsActiveLineHighlighted() && shown.Row != old_row) {
    view_->InvalidateLine(old_line);
    view_->InvalidateLine(caret_.Line);
  }
  remembered_column_ = shown.Column;
  if (scroll_into_view && view_ != nullptr) {
    view_->ScrollCaretIntoView();
  }
  paint_hold_.RequestCaretUpdate();
  if (view_ != nullptr) {
    view_->PaintTransient(ttAfter);
  }
}

void TSrcEditModel::PlaceCaretAtDisplay(TDisplayPos pos, bool scroll_into_view) {
  const TBufferPos target = ConvertToBuffer(pos);
  PlaceCaret(target, scroll_into_view, EndsRow(target, pos.Row));
}

TDisplayPos TSrcEditModel::DisplayPos() const {
  return ShownPos(caret_, caret_at_row_end_);
}

TDisplayPos TSrcEditModel::ShownPos(TBufferPos pos, bool at_row_end) const {
  const TDisplayPos shown = ConvertToDisplay(pos);
  if (at_row_end && EndsRow(pos, shown.Row - 1)) {
    // Rows that only go on with a tab begun above hold no position of their
    // own: the caret shows at the end of the row the tab starts on.
    int row = shown.Row - 1;
    while (EndsRow(pos, row - 1)) {
      --row;
    }
    return {mapping_.RowLayout()->RowCharCount(row) + 1, row};
  }
  return shown;
}

bool TSrcEditModel::EndsRow(TBufferPos pos, int row) const {
  if (!mapping_.IsWrapping() || row < 1 || pos.Line < 1 || pos.Line > LineCount()) {
    return false;
  }
  const TDisplayPos shown = mapping_.ConvertToDisplay(pos);
  if (shown.Row <= row || mapping_.LineOfRow(row) != pos.Line) {
    return false;
  }
  // The first position of the next row: at its first cell, or after a tab
  // that began on an earlier row.
  return (shown.Row == row + 1 && shown.Column == 1) ||
         mapping_.ConvertToBuffer({1, row + 1}) == pos;
}

void TSrcEditModel::SetCaretAndDeselect(TBufferPos pos) {
  TPaintHoldScope hold(paint_hold_);
  paint_hold_.RaiseStatusChange({scSelection});
  PlaceCaret(pos, true);
  if (HasSelection()) {
    InvalidateSelection();
  }
  anchor_ = caret_;
  active_ = caret_;
}

void TSrcEditModel::PlaceCaretAndSelection(TBufferPos caret, TBufferPos anchor,
                                           TBufferPos active_end) {
  TPaintHoldScope hold(paint_hold_);
  SetCaretPos(caret);
  SetSelectionAnchor(anchor);
  SetSelectionActiveEnd(active_end);
}

// --- the selection ------------------------------------------------------

TBufferPos TSrcEditModel::ClampSelectionEnd(TBufferPos pos) const {
  int ch = std::max(pos.Char, 1);
  const int line = std::max(std::min(pos.Line, LineCount()), 1);
  const std::string_view text = LineText(line);
  if (options_.Has(eoScrollPastEol) && !mapping_.IsWrapping()) {
    const long bound =
        std::max(static_cast<long>(max_scroll_width_), static_cast<long>(text.size()));
    ch = static_cast<int>(std::min<long>(ch, bound + 1));
  }
  if (selection_mode_ == smNormal) {
    ch = static_cast<int>(std::min<long>(ch, static_cast<long>(text.size()) + 1));
  }
  return {ch, line};
}

void TSrcEditModel::SetSelectionAnchor(TBufferPos pos) {
  TBufferPos p = ClampSelectionEnd(pos);
  p.Char = line_cells::SnapToCharStart(LineText(p.Line), p.Char);
  bool changed;
  if (HasSelection()) {
    const int first = std::min({anchor_.Line, active_.Line, p.Line});
    const int last = std::max({anchor_.Line, active_.Line, p.Line});
    InvalidateLines(first, last);
    changed = true;
  } else {
    changed = anchor_ != p || active_ != p;
  }
  anchor_ = p;
  active_ = p;
  if (changed) {
    paint_hold_.RaiseStatusChange({scSelection});
  }
}

void TSrcEditModel::SetSelectionActiveEnd(TBufferPos pos) {
  if (options_.Has(eoNoSelection) && editing_scopes_ == 0) {
    return;
  }
  TBufferPos p = ClampSelectionEnd(pos);
  p.Char = line_cells::SnapToCharStart(LineText(p.Line), p.Char);
  if (p == active_) {
    return;
  }
  if (selection_mode_ != smColumn || p.Char == active_.Char) {
    const bool empty_column = selection_mode_ == smColumn && anchor_.Char == p.Char;
    if (!empty_column) {
      InvalidateLines(active_.Line, p.Line);
    }
  } else {
    InvalidateLines(std::min({anchor_.Line, active_.Line, p.Line}),
                    std::max({anchor_.Line, active_.Line, p.Line}));
  }
  active_ = p;
  paint_hold_.RaiseStatusChange({scSelection});
}

TSrcEditModel::TEditingScope::~TEditingScope() {
  if (--model_.editing_scopes_ == 0 && model_.HasOption(eoNoSelection) &&
      model_.SelectionAnchor() != model_.SelectionActiveEnd()) {
    model_.SetSelectionAnchor(model_.CaretPos());
  }
}

// --- modes --------------------------------------------------------------

void TSrcEditModel::SetSelectionMode(TSrcSelectionMode mode) {
  if (mode == selection_mode_) {
    return;
  }
  if (HasSelection()) {
    InvalidateSelection();
  }
  selection_mode_ = mode;
  // The ends follow the new mode's rules, as its setters would place them:
  // a normal selection never reaches past its lines' ends, whatever a line
  // or column selection left there.
  for (TBufferPos* end : {&anchor_, &active_}) {
    TBufferPos p = ClampSelectionEnd(*end);
    p.Char = line_cells::SnapToCharStart(LineText(p.Line), p.Char);
    *end = p;
  }
  if (HasSelection()) {
    InvalidateSelection();
  }
  paint_hold_.RaiseStatusChange({scSelection});
}

void TSrcEditModel::SetInsertMode(bool on) {
  if (on == insert_mode_) {
    return;
  }
  insert_mode_ = on;
  if (view_ != nullptr) {
    view_->CaretShapeChanged();
  }
  paint_hold_.RaiseStatusChange({scInsertMode});
}

void TSrcEditModel::SetInsertCaret(TSrcEditCaretType type) {
  if (type == insert_caret_) {
    return;
  }
  insert_caret_ = type;
  if (view_ != nullptr) {
    view_->CaretShapeChanged();
  }
}

void TSrcEditModel::SetOverwriteCaret(TSrcEditCaretType type) {
  if (type == overwrite_caret_) {
    return;
  }
  overwrite_caret_ = type;
  if (view_ != nullptr) {
    view_->CaretShapeChanged();
  }
}

void TSrcEditModel::SetReadOnly(bool on) {
  if (on == read_only_) {
    return;
  }
  read_only_ = on;
  paint_hold_.RaiseStatusChange({scReadOnly});
}

void TSrcEditModel::SetTabWidth(int width) {
  width = std::clamp(width, 1, kMaxTabWidth);
  if (width == mapping_.TabWidth()) {
    return;
  }
  mapping_.SetTabWidth(width);
  lines_->SetTabWidth(width);
  if (wrap_ != nullptr) {
    wrap_->RebuildLayout();
  }
  if (view_ != nullptr) {
    view_->InvalidateLines(-1, -1);
    view_->TabWidthChanged();
  }
}

void TSrcEditModel::SetMaxScrollWidth(int width) {
  width = std::clamp(width, 1, kMaxScrollWidthLimit);
  if (width == max_scroll_width_) {
    return;
  }
  max_scroll_width_ = width;
  if (options_.Has(eoScrollPastEol)) {
    paint_hold_.RequestScrollBarUpdate();
  }
}

void TSrcEditModel::SetHideSelection(bool on) {
  if (on == hide_selection_) {
    return;
  }
  hide_selection_ = on;
  if (HasSelection()) {
    InvalidateSelection();
  }
}

void TSrcEditModel::ApplyOptions(TSrcEditorOptions options) {
  if (options == options_) {
    return;
  }
  const TSrcEditorOptions old = options_;
  if (view_ != nullptr && (!old.Has(eoScrollPastEol) || !old.Has(eoScrollPastEof))) {
    view_->ReapplyScrollPositions(!old.Has(eoScrollPastEol), !old.Has(eoScrollPastEof));
  }
  options_ = options;
  TPaintHoldScope hold(paint_hold_);
  PlaceCaret(caret_, false);
  if (options_.Has(eoScrollPastEol)) {
    const TBufferPos anchor = anchor_;
    const TBufferPos active = active_;
    SetSelectionAnchor(anchor);
    SetSelectionActiveEnd(active);
  }
  if (view_ != nullptr) {
    view_->OptionsChanged(old, options_);
  }
}

// --- word wrap ----------------------------------------------------------

int TSrcEditModel::WrapWidth() const {
  return view_ != nullptr ? view_->WrapWidth() : 0;
}

void TSrcEditModel::SetWordWrapActive(bool on) {
  if (on == WordWrapActive()) {
    return;
  }
  TPaintHoldScope hold(paint_hold_);
  if (on) {
    wrap_ = std::make_unique<TSrcWordWrapPlugin>(this);
    mapping_.SetRowLayout(wrap_.get());
  } else {
    mapping_.SetRowLayout(nullptr);
    wrap_.reset();
    caret_at_row_end_ = false;
  }
  // The bounds of caret and selection past the line end differ by mode.
  if (options_.Has(eoScrollPastEol)) {
    const TBufferPos anchor = anchor_;
    const TBufferPos active = active_;
    PlaceCaret(caret_, false);
    SetSelectionAnchor(anchor);
    SetSelectionActiveEnd(active);
  }
  paint_hold_.RequestCaretUpdate();
}

// --- indentation helpers ------------------------------------------------

int TSrcEditModel::LeadingBlankCount(std::string_view text, bool expand_tabs) const {
  if (!options_.Has(eoAutoIndent) || text.empty()) {
    return 0;
  }
  int count = 0;
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 32) {
      break;
    }
    count += (c == '\t' && expand_tabs) ? TabWidth() : 1;
  }
  return count;
}

std::string TSrcEditModel::IndentText(int count, bool use_tabs) const {
  count = std::max(count, 0);
  const int tab = TabWidth();
  if (!use_tabs || options_.Has(eoTabsToSpaces) || count < tab) {
    return std::string(static_cast<std::size_t>(count), ' ');
  }
  return std::string(static_cast<std::size_t>(count / tab), '\t') +
         std::string(static_cast<std::size_t>(count % tab), ' ');
}

}  // namespace torvane
