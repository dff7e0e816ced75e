// The editor's command side over the model: the command path and executor,
// the text-changing primitives and commands, undo and redo with the modified
// flag, and bookmarks. Plain C++ (QtGui only for the clipboard), so tests can
// drive an editor entirely by commands without a display.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/commands.h"
#include "editor/edit_model.h"
#include "editor/scrolling.h"
#include "editor/undo_list.h"
#include "platform/errors.h"

namespace torvane {

class TSrcCustomHighlighter;

// Failures of editing operations ("Clipboard copy operation failed").
class ESrcEditError : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// A handler hooked into the command path; registered together with a data
// pointer that is handed back on every call.
class ISrcEditCommandHandler {
 public:
  virtual ~ISrcEditCommandHandler() = default;
  virtual void HookedCommand(bool after_processing, bool& handled, TSrcEditorCommand& command,
                             char& ch, void* data, void* handler_data) = 0;
};

// Data pointers of commands: ecGotoXY, ecSelGotoXY and ecSetMarker<n> take a
// TBufferPos*, ecImeStr a std::string* holding the composed bytes.
using TProcessCommandEvent = std::function<void(TSrcEditorCommand& command, char& ch, void* data)>;

// Hooks itself into the model it is given (caret-move group breaks, clearing
// the undo lists with the text), so it must not outlive that model.
class TSrcEditController {
 public:
  explicit TSrcEditController(TSrcEditModel& model);
  virtual ~TSrcEditController();
  TSrcEditController(const TSrcEditController&) = delete;
  TSrcEditController& operator=(const TSrcEditController&) = delete;

  TSrcEditModel& Model() { return model_; }
  TSrcEditUndoList& UndoList() { return undo_list_; }
  TSrcEditUndoList& RedoList() { return redo_list_; }
  TSrcEditMarkList& Marks() { return model_.Marks(); }
  // The view's scrolling state; the default keeps positions without a view.
  void SetScrolling(TSrcEditScrolling* scrolling);
  TSrcEditScrolling& Scrolling() { return *scrolling_; }
  // Word characters and the string/comment test of bracket matching.
  void SetHighlighter(TSrcCustomHighlighter* highlighter);
  TSrcCustomHighlighter* Highlighter() const { return highlighter_; }
  // True while folding is on and the caret line heads a collapsed fold.
  std::function<bool()> IsCaretOnCollapsedFold;

  // --- code folding (fold_commands.cpp) ----------------------------------
  // Expands the block starting at the line when collapsed, else collapses
  // it; false when no block starts there.
  bool ToggleFoldAt(int line);
  // The folding check on a typed character: may expand blocks and move the
  // caret; false when the character must be dropped.
  bool FoldEditFilter(char ch);
  // Space and the caret keys run a pending rescan of the fold ranges.
  void FoldKeyDown(int virtual_key);

  // --- the command path (command_executor.cpp) ---------------------------
  void ProcessCommand(TSrcEditorCommand command, char ch = 0, void* data = nullptr);
  virtual void ExecuteCommand(TSrcEditorCommand command, char ch, void* data);
  void RegisterCommandHandler(ISrcEditCommandHandler* handler, void* handler_data);
  void UnregisterCommandHandler(ISrcEditCommandHandler* handler, void* handler_data);

  TProcessCommandEvent OnProcessCommand;
  TProcessCommandEvent OnProcessUserCommand;
  TProcessCommandEvent OnCommandProcessed;
  std::function<void(const std::string& word)> OnContextHelp;
  std::function<void()> OnChange;

  // --- caret commands (caret_commands.cpp) -------------------------------
  void SelectAll();
  TBufferPos NextWordPos() const { return NextWordPosFrom(model_.CaretPos()); }
  TBufferPos PrevWordPos() const { return PrevWordPosFrom(model_.CaretPos()); }
  TBufferPos NextWordPosFrom(TBufferPos pos) const;
  TBufferPos PrevWordPosFrom(TBufferPos pos) const;
  // The matching bracket of the one at pos, or (0, 0).
  TBufferPos FindMatchingBracket(TBufferPos pos) const;

  // --- text primitives (replace_selection.cpp) ---------------------------
  // The one primitive every text change goes through.
  void ReplaceSelection(TSrcSelectionMode mode, std::string_view text, bool record_undo);
  // Records the inserted text as `kind` (ckInsert typed, ckPaste by message).
  void InsertTextAtCaret(std::string_view text, TSrcEditChangeKind kind = ckInsert);
  // The exact bytes of the selection (no trimming, no padding): what undo
  // entries keep, so that taking text back never changes it.
  std::string SelectionBytes() const;
  int BlockWidth() const { return block_width_; }
  void SetBlockWidth(int width) { block_width_ = std::max(width, 0); }

  // --- message edits (message_edits.cpp) ---------------------------------
  // EM_REPLACESEL: undoable or not, the modified flag follows the text.
  void ReplaceSelectionByMessage(bool undoable, std::string_view text);
  // WM_SETTEXT: the whole text, undoably, in any selection mode.
  void SetTextByMessage(std::string_view text);

  // --- clipboard (clipboard_commands.cpp) --------------------------------
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanPaste() const;
  // The text a paste puts in (only when CanPaste).
  std::string PasteText() const;

  // --- undo and redo (undo_redo.cpp) -------------------------------------
  void Undo();
  void Redo();
  bool CanUndo() const { return !model_.ReadOnly() && undo_list_.CanUndo(); }
  bool CanRedo() const { return !model_.ReadOnly() && redo_list_.CanUndo(); }
  bool Modified() const { return modified_; }
  void SetModified(bool value);
  void UpdateModified();
  void ClearAll();
  int MaxUndo() const { return undo_list_.MaxEntries(); }
  void SetMaxUndo(int value);

  // --- bookmarks (bookmark_commands.cpp) ---------------------------------
  bool GotoBookmark(int number);
  void SetBookmark(int number, int ch, int line);
  void ClearBookmark(int number);
  // May take the mark away (veto) by resetting the pointer.
  std::function<void(std::unique_ptr<TSrcEditMark>& mark)> OnPlaceBookmark;
  std::function<void(const TSrcEditMark& mark)> OnClearBookmark;

 private:
  friend class TUndoStep;

  // command_executor.cpp
  void ExecuteTextCommand(TSrcEditorCommand command, char ch, void* data);
  bool IsGuardedByFold(TSrcEditorCommand command) const;

  // caret_commands.cpp
  bool ExecuteCaretCommand(TSrcEditorCommand command, void* data);
  void MoveCaretTo(TBufferPos pos, bool extend, bool at_row_end = false);
  void LineStart(bool extend);
  void LineEnd(bool extend);
  void PageMove(int direction, bool extend);
  void ScrollByLines(int delta);

  // replace_selection.cpp: the line writer and store edits that keep marks
  void WriteLine(int line, std::string_view text);
  // WriteLine of the line with `count` bytes at byte `offset` replaced by
  // `text` (both clamped to the line), changing only those bytes: a long
  // line is not copied whole for a keystroke.
  void WriteLinePart(int line, std::size_t offset, std::size_t count, std::string_view text);
  void InsertLineAt(int line, std::string_view text);
  void InsertLinesAt(int line, std::vector<std::string_view> texts);
  // Whether InsertTextLinesAt may take a text's lines: it writes them as
  // they are, so neither trimming nor folding may look at them one by one.
  bool InsertsTextWhole() const;
  // InsertLinesAt of the lines of `text` from byte `from` on (as the store's
  // InsertLinesOfText splits them); returns their number.
  int InsertTextLinesAt(int line, std::string text, std::size_t from);
  void RemoveLinesAt(int line, int count);
  // Returns, for a column block, where its piece began on each line.
  std::vector<int> DeleteSelectionText();
  void InsertNormal(std::string text);
  // `at`: where line or column text goes in; line 0 derives it from the
  // selection or the caret.
  // `starts`: the character each column piece goes to, line by line.
  // Takes the text, so a large one (an undo entry's) moves into the store.
  void ReplaceSelectionAt(TSrcSelectionMode mode, std::string text, bool record_undo, TBufferPos at,
                          std::vector<int> starts = {});
  void InsertTextAt(std::string_view text, TBufferPos at, TSrcEditChangeKind kind = ckInsert);
  void InsertLineMode(std::string text, int line);
  void InsertColumn(std::string_view text, TBufferPos at, bool record_undo,
                    const std::vector<int>& starts);
  // With eoTrimTrailingSpaces the line writer's trimming waits, inside an
  // undo group, until the group closes (TrimWrittenLines), and is recorded
  // there; undo and redo steps write exactly.
  bool DefersTrimming() const;
  std::string_view TrimmedForWrite(std::string_view text, int line);
  void ShiftPendingTrims(int line, int delta);
  void TrimWrittenLines();
  std::size_t SelectedLinesSize(int first, int last) const;
  // Replaces the normal-mode range from..to by `with` without recording and
  // returns the exact bytes taken; the selection mode is kept.
  std::string ReplaceRange(TBufferPos from, TBufferPos to, std::string_view with);
  // Records the selection's removal with its exact bytes.
  void RecordSelectionDelete(TSrcEditChangeKind kind);
  void RecordColumnDelete(TSrcEditChangeKind kind);
  // Where text replacing the selection (or typed at the caret) will start.
  TBufferPos InsertionStart() const;
  // Fills the caret line with spaces up to a caret beyond its end, recorded
  // as an insert so that undo takes the filler back as well.
  void PadCaretLine();
  void ScrollCaretIntoView();

  // editing_commands.cpp
  void DeleteLastChar();
  void DeleteChar();
  void DeleteToWordOrLineEnd(bool whole_line_end);
  void DeleteToWordOrLineStart(bool line_start);
  void DeleteLine();
  void LineBreak(bool move_caret);
  void TypeChar(char ch);
  void TypeIntoColumn(std::string_view text);
  void ImeString(const std::string& text);
  void DeleteSelectionRecorded(TSrcEditChangeKind kind);
  void RecordSilent(TSrcEditChangeKind kind, TBufferPos from, TBufferPos to, std::string text);
  int SmartIndentAbove(int line, int limit, bool expand_tabs) const;

  // tab_commands.cpp
  void Tab();
  void ShiftTab();
  void BlockIndent();
  void BlockUnindent();
  bool IsIndentSelection() const;

  // case_commands.cpp
  void ChangeCase(TSrcEditorCommand command);

  // fold_commands.cpp: text changes and undo steps act on expanded text,
  // so blocks the change touches are expanded first, and undo entries keep
  // their lines as numbers of the expanded text.
  void ExpandFoldsForEdit(TSrcEditorCommand command);
  void ExpandFoldsForSelection();
  void ExpandFoldsAtCaret(TSrcEditorCommand command);
  void ExpandFoldsBetween(int first_line, int last_line);
  // Blocks with lines among lines first..last of the expanded text.
  void ExpandFoldsInExpandedLines(int first, int last);
  // Lines above `line`, nearest first, as the expanded text has them (a
  // collapsed block's hidden lines before its header), until `visit` says
  // true; whether it did. Commands that look upwards read lines this way.
  bool VisitLinesAbove(int line, const std::function<bool(std::string_view)>& visit) const;
  void OpenFoldForLineBreak();
  void ToExpandedEntry(TSrcEditUndoItem& item) const;
  // Expands what the entry touches and gives it store positions; until the
  // returned scope ends no further expansion moves lines under the step.
  class TFoldsPrepared {
   public:
    explicit TFoldsPrepared(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~TFoldsPrepared() { flag_ = saved_; }
    TFoldsPrepared(const TFoldsPrepared&) = delete;
    TFoldsPrepared& operator=(const TFoldsPrepared&) = delete;

   private:
    bool& flag_;
    bool saved_;
  };
  [[nodiscard]] TFoldsPrepared ExpandFoldsForEntry(TSrcEditUndoItem& item);
  void FoldEntryAdded();

  // undo_redo.cpp
  void UndoItem();
  void RedoItem();
  void EntryAdded(TSrcEditUndoList& list);
  // Takes the item's text.
  void RestoreDeletedText(TSrcEditUndoItem& item);
  void JoinLineBreak(const TSrcEditUndoItem& item);
  void InsertUnindentBlock(const TSrcEditUndoItem& item);
  void RemoveUnindentBlock(const TSrcEditUndoItem& item);

  // bookmark_commands.cpp
  void ExecuteMarkerCommand(TSrcEditorCommand command, void* data);

  TSrcEditModel& model_;
  TSrcEditUndoList undo_list_;
  TSrcEditUndoList redo_list_;
  TSrcEditScrolling own_scrolling_;
  TSrcEditScrolling* scrolling_ = &own_scrolling_;
  TSrcCustomHighlighter* highlighter_ = nullptr;
  struct THookedHandler {
    ISrcEditCommandHandler* Handler;
    void* Data;
  };
  std::vector<THookedHandler> hooked_handlers_;
  int block_width_ = 2;
  // End of the lines the last line-mode insertion made, as undo entries
  // record it (the caret cannot stand below the last line).
  TBufferPos line_block_end_;
  bool modified_ = false;
  bool redo_running_ = false;
  // Set by undo and redo steps: they restore bytes as they were, untrimmed.
  bool exact_writes_ = false;
  // Lines written with trailing blanks while a group is open (1-based).
  std::vector<int> pending_trims_;
  bool folds_prepared_ = false;
};

// Opens an undo group on a list for a scope; does nothing while an undo or
// redo step has set the list's group number from outside, so entries a
// re-executed command records stay in that step's group.
class TUndoGroupScope {
 public:
  explicit TUndoGroupScope(TSrcEditUndoList& list);
  ~TUndoGroupScope();
  TUndoGroupScope(const TUndoGroupScope&) = delete;
  TUndoGroupScope& operator=(const TUndoGroupScope&) = delete;

 private:
  TSrcEditUndoList& list_;
  bool opened_;
};

}  // namespace torvane
