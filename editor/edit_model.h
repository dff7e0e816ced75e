// The editor control's model: the line store with caret, selection, modes and
// options over it, the paint hold through which every update is delivered,
// and the reactions to line-store changes. Plain C++ below the widget; the
// command executor, editing commands and undo build on this class.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/string_list.h"
#include "editor/edit_marks.h"
#include "editor/editor_options.h"
#include "editor/line_observer.h"
#include "editor/paint_hold.h"
#include "editor/position_mapping.h"
#include "editor/positions.h"
#include "editor/word_chars.h"
#include "folding/code_folding.h"
#include "folding/fold_state.h"
#include "highlight/range_states.h"
#include "highlight/resume_points.h"

namespace torvane {

class ISrcEditView;
class TSrcCustomHighlighter;
class TSrcWordWrapPlugin;

inline constexpr int kMaxTabWidth = 256;
inline constexpr int kMaxScrollWidthLimit = 2147483646;

class TSrcEditModel {
 public:
  TSrcEditModel();
  ~TSrcEditModel();
  TSrcEditModel(const TSrcEditModel&) = delete;
  TSrcEditModel& operator=(const TSrcEditModel&) = delete;

  // --- parts -------------------------------------------------------------
  TSrcEditStringList& Lines() { return *lines_; }
  const TSrcEditStringList& Lines() const { return *lines_; }
  const TPositionMapping& Mapping() const { return mapping_; }
  TPositionMapping& Mapping() { return mapping_; }
  TPaintHold& PaintHold() { return paint_hold_; }
  // Marks and bookmarks; they follow inserted and deleted lines by themselves.
  TSrcEditMarkList& Marks() { return marks_; }
  const TSrcEditMarkList& Marks() const { return marks_; }
  // The bookmark commands (goto and set marker) run only while this is on;
  // the view's bookmark options switch it.
  bool BookmarkKeys() const { return bookmark_keys_; }
  void SetBookmarkKeys(bool on) { bookmark_keys_ = on; }
  // The view is not owned; nullptr detaches (model tests run without one).
  void SetView(ISrcEditView* view);
  ISrcEditView* View() const { return view_; }
  int LineCount() const;
  // Text of a 1-based line; empty outside 1..LineCount.
  std::string_view LineText(int line) const;

  // Not owned. Setting one rescans every line's range state; a highlighter
  // that is destroyed detaches itself. Painting uses it while Enabled.
  TSrcCustomHighlighter* Highlighter() const { return highlighter_; }
  void SetHighlighter(TSrcCustomHighlighter* highlighter);
  // The highlighter's range states, computed when a line below needs them:
  // painting and token lookups start their scans here.
  TRangeStateCache& RangeStates() { return range_states_; }
  // Where scans of long lines may begin again; kept in step with the store.
  TTokenResumePoints& ResumePoints() { return resume_points_; }

  // --- caret and selection, reading -------------------------------------
  TBufferPos CaretPos() const { return caret_; }
  int CaretChar() const { return caret_.Char; }
  int CaretLine() const { return caret_.Line; }
  std::string CaretLineText() const { return std::string(LineText(caret_.Line)); }
  TBufferPos SelectionAnchor() const { return anchor_; }
  TBufferPos SelectionActiveEnd() const { return active_; }
  TBufferPos SelStart() const { return anchor_ < active_ ? anchor_ : active_; }
  TBufferPos SelEnd() const { return anchor_ < active_ ? active_ : anchor_; }
  bool HasSelection() const;
  bool IsMultiLineSelection() const;
  // With word wrap, a caret at the end of a row that is not its line's last
  // shows there rather than at the start of the next row (end-of-row flag).
  TDisplayPos DisplayPos() const;
  int DisplayColumn() const { return DisplayPos().Column; }
  int DisplayRow() const { return DisplayPos().Row; }
  int RememberedColumn() const { return remembered_column_; }
  // Text of the selection, lines joined with CR LF (selected_text.cpp).
  std::string SelectedText() const;
  // The same text in pieces handed over in order, never joined (counting a
  // whole-file selection must not copy the file).
  void VisitSelectedText(const std::function<void(std::string_view)>& piece) const;
  bool IsPointInSelection(TBufferPos pos) const;
  // The display columns [c1, c2) of a column selection (unwrapped), and the
  // characters [from, to) they take on one line: what the selection shows,
  // copies and removes there.
  std::pair<int, int> ColumnBlockColumns() const;
  std::pair<int, int> ColumnBlockOnLine(int line, std::pair<int, int> columns) const;

  // --- caret and selection, writing -------------------------------------
  void SetCaretPos(TBufferPos pos) { PlaceCaret(pos, true); }
  void SetCaretChar(int ch) { SetCaretPos({ch, caret_.Line}); }
  void SetCaretLine(int line) { SetCaretPos({caret_.Char, line}); }
  // at_row_end: the caret shows at the end of the row before the one `pos`
  // converts to, when `pos` starts a continuation row (see DisplayPos).
  void PlaceCaret(TBufferPos pos, bool scroll_into_view, bool at_row_end = false);
  // The caret at a display position, shown on that row even where the
  // position ends it; clicks and row moves place the caret this way.
  void PlaceCaretAtDisplay(TDisplayPos pos, bool scroll_into_view);
  bool CaretAtRowEnd() const { return caret_at_row_end_; }
  void SetCaretAndDeselect(TBufferPos pos);
  void SetSelectionAnchor(TBufferPos pos);
  // Ignored under eoNoSelection, unless an editing scope is open.
  void SetSelectionActiveEnd(TBufferPos pos);
  // Text changes and undo steps select what they take out or put back, so
  // eoNoSelection, which keeps the user from selecting, must not stop them;
  // when the outermost scope closes under eoNoSelection no selection is left.
  class TEditingScope {
   public:
    explicit TEditingScope(TSrcEditModel& model) : model_(model) { ++model_.editing_scopes_; }
    ~TEditingScope();
    TEditingScope(const TEditingScope&) = delete;
    TEditingScope& operator=(const TEditingScope&) = delete;

   private:
    TSrcEditModel& model_;
  };
  void PlaceCaretAndSelection(TBufferPos caret, TBufferPos anchor, TBufferPos active_end);
  // The common step of every caret-moving command (caret_moves.cpp).
  void MoveCaretAndSelect(TBufferPos before, TBufferPos after, bool extend,
                          bool at_row_end = false);
  void MoveCaretByChars(int dx, bool extend);
  void MoveCaretByRows(int dy, bool extend);
  void SelectWordAt(TBufferPos pos);
  // Word rules of the word commands and of word selection.
  const TWordChars& WordChars() const { return word_chars_; }
  void SetWordChars(const TWordChars& chars) { word_chars_ = chars; }
  TBufferPos WordStartAt(TBufferPos pos) const;
  TBufferPos WordEndAt(TBufferPos pos) const;

  // --- modes and options -------------------------------------------------
  TSrcSelectionMode SelectionMode() const { return selection_mode_; }
  void SetSelectionMode(TSrcSelectionMode mode);
  bool InsertMode() const { return insert_mode_; }
  void SetInsertMode(bool on);
  TSrcEditCaretType InsertCaret() const { return insert_caret_; }
  TSrcEditCaretType OverwriteCaret() const { return overwrite_caret_; }
  void SetInsertCaret(TSrcEditCaretType type);
  void SetOverwriteCaret(TSrcEditCaretType type);
  // The shape in use: InsertCaret in insert mode, else OverwriteCaret.
  TSrcEditCaretType CaretShape() const { return insert_mode_ ? insert_caret_ : overwrite_caret_; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool on);
  int TabWidth() const { return mapping_.TabWidth(); }
  void SetTabWidth(int width);
  int MaxScrollWidth() const { return max_scroll_width_; }
  void SetMaxScrollWidth(int width);
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool on);
  TSrcEditorOptions Options() const { return options_; }
  bool HasOption(TSrcEditorOption o) const { return options_.Has(o); }
  void ApplyOptions(TSrcEditorOptions options);

  // --- conversions -------------------------------------------------------
  TDisplayPos ConvertToDisplay(TBufferPos pos) const { return mapping_.ConvertToDisplay(pos); }
  TBufferPos ConvertToBuffer(TDisplayPos pos) const { return mapping_.ConvertToBuffer(pos); }
  // True when `pos` is the first position of the row after the wrapped row
  // `row` of its line (at its column 1, or after a tab begun above), so it
  // also ends `row`.
  bool EndsRow(TBufferPos pos, int row) const;
  // Where a caret at `pos` shows, with or without the end-of-row flag.
  TDisplayPos ShownPos(TBufferPos pos, bool at_row_end) const;
  int LeadingBlankCount(std::string_view text, bool expand_tabs) const;

  // --- word wrap ---------------------------------------------------------
  // While on, the model owns the row layout the mapping converts through;
  // switching re-validates caret and selection under eoScrollPastEol.
  bool WordWrapActive() const { return wrap_ != nullptr; }
  void SetWordWrapActive(bool on);
  TSrcWordWrapPlugin* WordWrapLayout() const { return wrap_.get(); }
  // The view's wrap width in columns; 0 without a view.
  int WrapWidth() const;
  std::string IndentText(int count, bool use_tabs) const;

  // --- code folding (model_folding.cpp) ----------------------------------
  // The options (the editor's CodeFolding) and the folds of the line store.
  TSrcCodeFolding& CodeFolding() { return *code_folding_; }
  const TSrcCodeFolding& CodeFolding() const { return *code_folding_; }
  bool FoldingEnabled() const { return code_folding_->Enabled(); }
  TSrcEditFolds& Folds() { return *folds_; }
  const TSrcEditFolds& Folds() const { return *folds_; }
  // The reaction to the options' changes: switching off expands every
  // block, fcRescan rescans.
  void CodeFoldingChanged(TSrcCodeFoldingChange change);
  // Collapsing and expanding keep caret and selection on the same text (a
  // position in a hidden line goes to the block's header).
  bool CollapseFold(TSrcEditFoldRange& range);
  bool ExpandFold(TSrcEditFoldRange& range);
  void ExpandAllFolds();
  void RescanFolds();
  void RescanFoldsKeepingCollapsed();
  // A store position <-> the same position in the text with every block
  // expanded.
  TBufferPos ToExpandedPos(TBufferPos pos) const;
  TBufferPos FromExpandedPos(TBufferPos pos) const;
  // Opens the collapsed blocks that hide line `line` of the expanded text
  // and returns the store position of that line's start.
  TBufferPos RevealExpandedLine(int line);
  // The whole text with every block expanded, lines joined by CR LF: what
  // reading, saving and printing the document see.
  std::string AllText() const { return folds_->ExpandedText(); }
  // The range whose opening or closing token the caret touches, or null.
  TSrcEditFoldRange* CurrentFoldRange() const { return current_fold_range_; }
  void UpdateCurrentFoldRange();
  // Whether the caret touches a token of the region set in use, and whether
  // it is an opening one.
  bool CaretOnFoldToken(bool* opening) const;

  // --- status changes ----------------------------------------------------
  void RaiseStatusChange(TSrcStatusChanges changes) { paint_hold_.RaiseStatusChange(changes); }
  void SetOnStatusChange(std::function<void(TSrcStatusChanges)> handler) {
    paint_hold_.OnStatusChange = std::move(handler);
  }

  // Each caret movement separates undo groups under eoGroupUndo; the undo
  // list installs this hook when it joins the model.
  std::function<void()> OnCaretMoveGroupBreak;
  // Both undo lists are emptied when the line store is cleared.
  std::function<void()> OnLinesClearedUndo;

  // Observers of inserted and deleted lines of the expanded text (not
  // owned; an observer removes itself before it goes).
  void AddLineObserver(ISrcEditLineObserver* observer) { line_observers_.push_back(observer); }
  void RemoveLineObserver(ISrcEditLineObserver* observer) { std::erase(line_observers_, observer); }

  // --- line-store notifications (store_reactions.cpp) --------------------
  void LinesBatchBegan();
  void LinesBatchEnded();
  void LinesCleared();
  void LinesInserted(int index, int count);
  void LinesDeleted(int index, int count);
  void LineReplaced(int index);

 private:
  // Clamping shared by the anchor and active-end setters.
  TBufferPos ClampSelectionEnd(TBufferPos pos) const;
  void InvalidateLines(int first, int last);
  // After the fold ranges changed: the whole text area and the fold bar.
  void InvalidateFoldsShown();
  void InvalidateSelection();
  void HookLineStore();
  void HighlighterChanged();
  void DetachHighlighter();
  void SyncFoldSettings();
  template <typename TChange>
  void KeepingPositions(TChange&& change);

  std::unique_ptr<TSrcEditStringList> lines_;
  TPositionMapping mapping_;
  std::unique_ptr<TSrcWordWrapPlugin> wrap_;
  // A line-store notification of a single line arrived in the open batch;
  // a batch without one (exchanged lines, a rescan for a new highlighter)
  // rebuilds the wrap layout at its end.
  bool batch_changed_lines_ = false;
  TPaintHold paint_hold_;
  TSrcEditMarkList marks_;
  ISrcEditView* view_ = nullptr;
  TSrcCustomHighlighter* highlighter_ = nullptr;
  TRangeStateCache range_states_{*lines_};
  TTokenResumePoints resume_points_;
  TWordChars word_chars_ = DefaultWordChars();
  std::unique_ptr<TSrcCodeFolding> code_folding_;
  std::unique_ptr<TSrcEditFolds> folds_;
  TSrcEditFoldRange* current_fold_range_ = nullptr;
  std::vector<ISrcEditLineObserver*> line_observers_;
  // Collapsing or expanding is under way: its line changes are no edits.
  int fold_changes_ = 0;
  int editing_scopes_ = 0;  // open TEditingScopes

  TBufferPos caret_;
  TBufferPos anchor_;
  TBufferPos active_;  // the end that moves with the caret
  int remembered_column_ = 1;
  // The last vertical move stepped back from inside a multi-byte character.
  bool stepped_back_ = false;
  // The caret stands at a wrapped row's end (see DisplayPos).
  bool caret_at_row_end_ = false;
  TSrcSelectionMode selection_mode_ = smNormal;
  bool insert_mode_ = true;
  TSrcEditCaretType insert_caret_ = ctVerticalLine;
  TSrcEditCaretType overwrite_caret_ = ctBlock;
  bool read_only_ = false;
  bool bookmark_keys_ = true;
  int max_scroll_width_ = 1024;
  bool hide_selection_ = false;
  TSrcEditorOptions options_ = kDefaultEditorOptions;
};

}  // namespace torvane
