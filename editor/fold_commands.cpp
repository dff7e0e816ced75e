// Code folding on the command side: the blocks a text change or an undo
// step touches are expanded first, so every change acts on the full text
// and undo entries hold all of it; entries number their lines as in the
// expanded text, so collapsing and expanding between a change and its undo
// never shifts what the undo touches. Also the typed-character check, the
// fold toggle of the gutter and the automatic rescans.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/text_pieces.h"
#include "folding/fold_scanner.h"

namespace torvane {
namespace {

// Lines of a normal-mode text: one more than its line breaks.
int LineSpan(std::string_view text) {
  int breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++breaks;
    }
  }
  return breaks;
}

bool JoinsLineAbove(TSrcEditorCommand command) {
  return command == ecDeleteLastChar || command == ecDeleteLastWord || command == ecDeleteBOL;
}

bool JoinsLineBelow(TSrcEditorCommand command) {
  return command == ecDeleteChar || command == ecDeleteWord || command == ecDeleteEOL;
}

// Deletions that go from the caret whatever is selected.
bool IgnoresSelection(TSrcEditorCommand command) {
  return command == ecDeleteWord || command == ecDeleteLastWord || command == ecDeleteBOL ||
         command == ecDeleteEOL || command == ecDeleteLine;
}

// Commands that work on a word near the caret, up to two words back.
bool ReachesWords(TSrcEditorCommand command) {
  return command == ecDeleteWord || command == ecDeleteLastWord || command == ecUpperCase ||
         command == ecLowerCase || command == ecToggleCase || command == ecTitleCase;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

void TSrcEditController::ExpandFoldsBetween(int first_line, int last_line) {
  TSrcEditFolds& folds = model_.Folds();
  if (folds.CollapsedCount() == 0) {
    return;
  }
  const int first = folds.ExpandedLineNumber(std::max(first_line, 1));
  int last = folds.ExpandedLineNumber(std::max(last_line, 1));
  if (const TSrcEditFoldRange* header = folds.CollapsedHeaderAt(last_line)) {
    last += TSrcEditAllFoldRanges::HiddenTotal(*header) + 1;
  }
  ExpandFoldsInExpandedLines(first, last);
}

void TSrcEditController::ExpandFoldsInExpandedLines(int first, int last) {
  TSrcEditFolds& folds = model_.Folds();
  // The span in expanded lines stays put while blocks open inside it.
  TPaintHoldScope hold(model_.PaintHold());
  while (folds.CollapsedCount() > 0) {
    TSrcEditFoldRange* inside = nullptr;
    for (int line = folds.PresentLineNumber(first); line <= folds.PresentLineNumber(last); ++line) {
      if ((inside = folds.CollapsedHeaderAt(line)) != nullptr) {
        break;
      }
    }
    if (inside == nullptr || !model_.ExpandFold(*inside)) {
      return;
    }
  }
}

void TSrcEditController::ExpandFoldsForEdit(TSrcEditorCommand command) {
  TSrcEditFolds& folds = model_.Folds();
  if (folds.CollapsedCount() == 0 || folds_prepared_) {
    return;
  }
  if (model_.HasSelection() && !IgnoresSelection(command)) {
    ExpandFoldsForSelection();
    if (ReachesWords(command)) {
      // The word case commands take the caret's word, or the selection
      // when there is none.
      ExpandFoldsAtCaret(command);
    }
  } else {
    ExpandFoldsAtCaret(command);
    // A column of no width still types into every line between its ends.
    const int a = model_.SelectionAnchor().Line;
    const int b = model_.SelectionActiveEnd().Line;
    if (model_.SelectionMode() == smColumn && a != b) {
      ExpandFoldsBetween(std::min(a, b), std::max(a, b));
    }
  }
  if (command == ecPaste && model_.SelectionMode() == smColumn && CanPaste()) {
    // A column goes into as many lines below its top as the text has, lines
    // of the expanded text.
    const int top = model_.HasSelection() ? model_.SelStart().Line : model_.CaretLine();
    const int first = folds.ExpandedLineNumber(top);
    const int count = static_cast<int>(SplitAtLineBreaks(PasteText()).size());
    ExpandFoldsInExpandedLines(first, first + std::max(count, 1) - 1);
  }
}

void TSrcEditController::ExpandFoldsForSelection() {
  TSrcEditFolds& folds = model_.Folds();
  TBufferPos s = model_.SelStart();
  TBufferPos e = model_.SelEnd();
  // An end inside a header's appended mark covers the block behind it.
  if (const TSrcEditFoldRange* header = folds.CollapsedHeaderAt(e.Line);
      header != nullptr && e.Char > static_cast<int>(folds.HeaderText(*header).size()) + 1) {
    std::vector<std::string> block;
    folds.AppendExpandedLines(e.Line, e.Line, block);
    const TBufferPos end{static_cast<int>(block.back().size()) + 1,
                         folds.ExpandedLineNumber(e.Line) + static_cast<int>(block.size()) - 1};
    const bool anchor_first = model_.SelectionAnchor() < model_.SelectionActiveEnd();
    const TBufferPos start = model_.ToExpandedPos(s);
    ExpandFoldsBetween(e.Line >= model_.LineCount() ? s.Line - 1 : s.Line, e.Line);
    s = model_.FromExpandedPos(start);
    e = model_.FromExpandedPos(end);
    if (anchor_first) {
      model_.PlaceCaretAndSelection(e, s, e);
    } else {
      model_.PlaceCaretAndSelection(s, e, s);
    }
    return;
  }
  // Whole lines taken leave the caret on the line below, which moves up,
  // or on the line above when they were the last: not on a collapsed
  // header, where what the command puts in would land. Text within the
  // last line leaves the caret there, and opening a block above would
  // move the lines under the positions the command holds.
  const bool whole_lines = model_.SelectionMode() == smLine;
  const bool takes_last_lines = whole_lines && e.Line >= model_.LineCount();
  ExpandFoldsBetween(takes_last_lines ? s.Line - 1 : s.Line,
                     whole_lines && !takes_last_lines ? e.Line + 1 : e.Line);
}

void TSrcEditController::ExpandFoldsAtCaret(TSrcEditorCommand command) {
  const TBufferPos caret = model_.CaretPos();
  int first = caret.Line;
  int last = caret.Line;
  if (JoinsLineAbove(command) && caret.Char == 1) {
    first = std::max(caret.Line - 1, 1);
  }
  if (JoinsLineBelow(command) &&
      caret.Char > static_cast<int>(model_.LineText(caret.Line).size())) {
    last = caret.Line + 1;
  }
  if (ReachesWords(command)) {
    first = std::min(first, PrevWordPosFrom(PrevWordPos()).Line);
    last = std::max(last, NextWordPos().Line);
  }
  ExpandFoldsBetween(first, last);
}

bool TSrcEditController::VisitLinesAbove(int line,
                                         const std::function<bool(std::string_view)>& visit) const {
  const TSrcEditFolds& folds = model_.Folds();
  std::vector<std::string> block;
  for (int above = line - 1; above >= 1; --above) {
    if (folds.CollapsedHeaderAt(above) == nullptr) {
      if (visit(model_.LineText(above))) {
        return true;
      }
      continue;
    }
    // The block's hidden lines lie between its header and the lines below.
    block.clear();
    folds.AppendExpandedLines(above, above, block);
    for (auto it = block.rbegin(); it != block.rend(); ++it) {
      if (visit(*it)) {
        return true;
      }
    }
  }
  return false;
}

void TSrcEditController::OpenFoldForLineBreak() {
  // Enter at the start or the end of a collapsed header opens the block;
  // at the end the caret goes behind the block's last line, which may be
  // the header of a collapsed block in turn.
  const TSrcEditFoldRange* opened = nullptr;
  while (IsGuardedByFold(ecLineBreak)) {
    const TSrcEditFoldRange* header = model_.Folds().CollapsedHeaderAt(model_.CaretLine());
    if (header == opened || !FoldEditFilter('\r')) {
      return;
    }
    opened = header;
  }
}

void TSrcEditController::ToExpandedEntry(TSrcEditUndoItem& item) const {
  const TSrcEditFolds& folds = model_.Folds();
  if (folds.CollapsedCount() == 0) {
    return;
  }
  if (item.Kind == ckCaret || item.Kind == ckSelection || item.Kind == ckGroupBreak) {
    item.BeginPos = model_.ToExpandedPos(item.BeginPos);
    item.EndPos = model_.ToExpandedPos(item.EndPos);
    return;
  }
  // A change never spans a collapsed block (those were expanded first), so
  // both ends move alike; one of them may already be gone from the store.
  const int top = std::min(item.BeginPos.Line, item.EndPos.Line);
  const int shift = folds.ExpandedLineNumber(top) - top;
  item.BeginPos.Line += shift;
  item.EndPos.Line += shift;
}

TSrcEditController::TFoldsPrepared TSrcEditController::ExpandFoldsForEntry(TSrcEditUndoItem& item) {
  TSrcEditFolds& folds = model_.Folds();
  if (folds.CollapsedCount() == 0 || folds_prepared_) {
    return TFoldsPrepared(folds_prepared_);
  }
  const int first = std::min(item.BeginPos.Line, item.EndPos.Line);
  // An undone line break joins the line below.
  const int last = std::max(item.BeginPos.Line, item.EndPos.Line) +
                   (item.Kind == ckLineBreak ? 1 : 0) + LineSpan(item.Text);
  // A line hidden in a block counts as its header: the whole block opens.
  ExpandFoldsBetween(folds.PresentLineNumber(first), folds.PresentLineNumber(last));
  item.BeginPos = model_.FromExpandedPos(item.BeginPos);
  item.EndPos = model_.FromExpandedPos(item.EndPos);
  return TFoldsPrepared(folds_prepared_);
}

void TSrcEditController::FoldEntryAdded() {
  TSrcEditFolds& folds = model_.Folds();
  if (!model_.FoldingEnabled() || folds.FoldTokenChanges() < 2) {
    return;
  }
  const int count = undo_list_.Count();
  if (count > 1 && undo_list_.EntryAt(count - 1).Kind == undo_list_.EntryAt(count - 2).Kind) {
    return;
  }
  model_.RescanFoldsKeepingCollapsed();
  folds.SetFoldTokenChanges(0);
}

void TSrcEditController::FoldKeyDown(int virtual_key) {
  const bool trigger = virtual_key == 32 || (virtual_key >= 35 && virtual_key <= 40);
  if (trigger && model_.FoldingEnabled() && model_.Folds().FoldTokenChanges() > 0) {
    model_.RescanFoldsKeepingCollapsed();
  }
}

bool TSrcEditController::ToggleFoldAt(int line) {
  // The box of a line with a collapsed block opens that block, whichever
  // range starting there comes first.
  TSrcEditFoldRange* range = model_.Folds().CollapsedHeaderAt(line);
  if (range == nullptr) {
    range = model_.Folds().Ranges().FindFoldStartAt(line);
  }
  if (range == nullptr) {
    return false;
  }
  if (range->IsCollapsed) {
    model_.ExpandFold(*range);
  } else {
    model_.CollapseFold(*range);
  }
  return true;
}

bool TSrcEditController::FoldEditFilter(char ch) {
  // Collapsed headers are looked up as such: another range may start on
  // the same line before the collapsed one.
  TSrcEditFolds& folds = model_.Folds();
  constexpr char kEnter = '\r';
  constexpr char kBackspace = '\b';
  constexpr char kEscape = '\x1b';
  if (ch == kEscape) {
    return true;
  }
  if (model_.HasSelection()) {
    const TBufferPos s = model_.SelStart();
    const TBufferPos e = model_.SelEnd();
    const TSrcEditFoldRange* fold = folds.CollapsedHeaderAt(s.Line);
    if (s.Line != e.Line || fold == nullptr) {
      return true;
    }
    const int text_end = static_cast<int>(TrimRight(folds.HeaderText(*fold)).size()) + 1;
    if (s.Char == 1 && e.Char >= text_end) {
      // The whole header: the typed text replaces the whole block, opened
      // and selected now (undo brings it back).
      const int line_end = static_cast<int>(model_.LineText(s.Line).size()) + 1;
      model_.PlaceCaretAndSelection({line_end, s.Line}, s, {line_end, s.Line});
      ExpandFoldsForEdit(ecNone);
      return true;
    }
    return false;
  }
  const TBufferPos caret = model_.CaretPos();
  TSrcEditFoldRange* header = folds.CollapsedHeaderAt(caret.Line);
  const std::string_view text =
      header != nullptr ? folds.HeaderText(*header) : model_.LineText(caret.Line);
  const bool at_end = caret.Char > static_cast<int>(TrimRight(text).size());
  switch (ch) {
    case kEnter:
      if (header != nullptr && (caret.Char == 1 || at_end)) {
        const int last = caret.Line + header->HiddenLineCount + 1;
        const bool to_end = caret.Char > 1;
        model_.ExpandFold(*header);
        if (to_end) {
          model_.SetCaretAndDeselect({static_cast<int>(model_.LineText(last).size()) + 1, last});
        }
        return true;
      }
      return header == nullptr;
    case kBackspace:
      if (caret.Char == 1) {
        if (header != nullptr) {
          model_.ExpandFold(*header);
        }
        if (TSrcEditFoldRange* previous = folds.CollapsedHeaderAt(caret.Line - 1)) {
          model_.ExpandFold(*previous);  // the caret stays on its text
        }
        return true;
      }
      return header == nullptr;
    case '.':
      if (at_end) {
        if (TSrcEditFoldRange* next = folds.CollapsedHeaderAt(caret.Line + 1)) {
          model_.ExpandFold(*next);
        }
        if (header != nullptr) {
          model_.ExpandFold(*header);
        }
        return true;
      }
      return header == nullptr;
    default:
      return header == nullptr;
  }
}

}  // namespace torvane
