// The one replacement primitive (delete the selection, insert text in normal,
// line or column mode) and the line writer every written line goes through.
#include <algorithm>

#include "editor/edit_controller.h"
#include "editor/text_pieces.h"
#include "editor/view_sink.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

// Where the line after the one starting at `from` begins (behind its CR, LF
// or CR LF); past the end (npos) when that line is the last.
std::size_t NextLineStart(std::string_view text, std::size_t from) {
  const std::size_t at = text.find_first_of("\r\n", from);
  if (at == std::string_view::npos) {
    return at;
  }
  return at + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
}

// Keeps the line store's change batch open over a compound change, so the
// model reacts (and collapses the selection) once at its end.
class TLinesBatchScope {
 public:
  explicit TLinesBatchScope(TSrcEditStringList& lines) : lines_(lines) { lines_.BeginBatch(); }
  ~TLinesBatchScope() { lines_.EndBatch(); }
  TLinesBatchScope(const TLinesBatchScope&) = delete;
  TLinesBatchScope& operator=(const TLinesBatchScope&) = delete;

 private:
  TSrcEditStringList& lines_;
};

}  // namespace

bool TSrcEditController::DefersTrimming() const {
  return model_.HasOption(eoTrimTrailingSpaces) && !exact_writes_;
}

std::string_view TSrcEditController::TrimmedForWrite(std::string_view text, int line) {
  if (!DefersTrimming()) {
    return text;
  }
  if (undo_list_.BlockDepth() == 0) {
    return TrimTrailingSpaces(text);
  }
  // Inside a recorded change the blanks go when its group closes, as an
  // entry of their own, so undo puts back exactly what was there.
  if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    pending_trims_.push_back(line);
  }
  return text;
}

void TSrcEditController::ShiftPendingTrims(int line, int delta) {
  // Lines inserted (delta > 0) before or removed (delta < 0) from `line` on.
  std::erase_if(pending_trims_, [&](int p) { return delta < 0 && p >= line && p < line - delta; });
  for (int& p : pending_trims_) {
    if (p >= line) {
      p += delta;
    }
  }
}

void TSrcEditController::TrimWrittenLines() {
  if (pending_trims_.empty()) {
    return;
  }
  std::vector<int> lines = std::move(pending_trims_);
  pending_trims_.clear();
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  TPaintHoldScope hold(model_.PaintHold());
  const TSrcSelectionMode mode = model_.SelectionMode();
  // Positions past a trimmed end keep their screen column.
  const auto keep_column = [&](TBufferPos pos) {
    return std::pair{pos, model_.ConvertToDisplay(pos)};
  };
  const auto caret = keep_column(model_.CaretPos());
  const auto anchor = keep_column(model_.SelectionAnchor());
  const auto active = keep_column(model_.SelectionActiveEnd());
  {
    TLinesBatchScope batch(model_.Lines());
    for (const int line : lines) {
      if (line < 1 || line > model_.LineCount()) {
        continue;
      }
      const std::string_view text = model_.LineText(line);
      const std::string kept(TrimTrailingSpaces(text));
      if (kept.size() == text.size()) {
        continue;
      }
      std::string removed(text.substr(kept.size()));
      const TBufferPos from{static_cast<int>(kept.size()) + 1, line};
      const TBufferPos to{static_cast<int>(text.size()) + 1, line};
      model_.Lines().SetLine(line - 1, kept);
      undo_list_.RecordChange(ckSilentDeleteAfterCaret, from, to, std::move(removed), smNormal);
    }
  }
  const auto restored = [&](const std::pair<TBufferPos, TDisplayPos>& kept) {
    const TBufferPos pos = kept.first;
    if (pos.Char <= static_cast<int>(model_.LineText(pos.Line).size()) + 1) {
      return pos;
    }
    return model_.ConvertToBuffer(kept.second);
  };
  model_.SetSelectionMode(mode);
  model_.PlaceCaretAndSelection(restored(caret), restored(anchor), restored(active));
}

void TSrcEditController::WriteLine(int line, std::string_view text) {
  // (SetLine copies first, so `text` may be a view of the line itself.)
  const std::string_view written = TrimmedForWrite(text, line);
  if (line <= model_.LineCount() && model_.LineText(line) == written) {
    return;
  }
  model_.Lines().SetLine(line - 1, written);
}

void TSrcEditController::WriteLinePart(int line, std::size_t offset, std::size_t count,
                                       std::string_view text) {
  const std::string_view old = model_.LineText(line);
  offset = std::min(offset, old.size());
  count = std::min(count, old.size() - offset);
  const bool keeps_tail = offset + count < old.size();
  const bool has_last = keeps_tail || !text.empty() || offset > 0;
  const char last = keeps_tail      ? old.back()
                    : !text.empty() ? text.back()
                    : offset > 0    ? old[offset - 1]
                                    : 0;
  if (line > model_.LineCount() ||
      (model_.HasOption(eoTrimTrailingSpaces) && has_last && (last == ' ' || last == '\t'))) {
    // Trailing blanks to trim (or a line to append): the whole line's way.
    std::string whole(old.substr(0, offset));
    whole += text;
    whole += old.substr(offset + count);
    WriteLine(line, whole);
    return;
  }
  if (count == text.size() && old.substr(offset, count) == text) {
    return;  // unchanged, as WriteLine leaves an unchanged line alone
  }
  model_.Lines().ReplaceLineBytes(line - 1, offset, count, text);
}

void TSrcEditController::InsertLineAt(int line, std::string_view text) {
  ShiftPendingTrims(line, 1);
  model_.Lines().InsertLine(line - 1, TrimmedForWrite(text, line));
}

void TSrcEditController::InsertLinesAt(int line, std::vector<std::string_view> texts) {
  if (texts.size() == 1) {
    InsertLineAt(line, texts.front());
    return;
  }
  TSrcEditStringList& lines = model_.Lines();
  const int count = static_cast<int>(texts.size());
  ShiftPendingTrims(line, count);
  if (!model_.CodeFolding().Enabled() && model_.Folds().Ranges().AllCount() == 0) {
    // The lines go in with their texts at once: one notification, and one
    // block for many lines, which undoing a whole-text change needs. (With
    // folding, its token bookkeeping follows blank lines written one by one.)
    for (int i = 0; i < count; ++i) {
      std::string_view& text = texts[static_cast<std::size_t>(i)];
      text = TrimmedForWrite(text, line + i);
    }
    lines.ResizeCapacity(lines.LineCount() + count);  // as blank lines leave it
    lines.InsertLines(line - 1, texts);
    return;
  }
  // One move of the records for the whole block, then the texts.
  lines.InsertBlankLines(line - 1, count);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (!texts[i].empty()) {
      WriteLine(line + static_cast<int>(i), texts[i]);
    }
  }
}

bool TSrcEditController::InsertsTextWhole() const {
  return !DefersTrimming() && !model_.CodeFolding().Enabled() &&
         model_.Folds().Ranges().AllCount() == 0;
}

int TSrcEditController::InsertTextLinesAt(int line, std::string text, std::size_t from) {
  const int count = model_.Lines().InsertLinesOfText(line - 1, std::move(text), from);
  ShiftPendingTrims(line, count);
  return count;
}

void TSrcEditController::RemoveLinesAt(int line, int count) {
  if (count > 0 && line <= model_.LineCount()) {
    ShiftPendingTrims(line, -count);
    model_.Lines().RemoveLines(line - 1, count);
  }
}

std::size_t TSrcEditController::SelectedLinesSize(int first, int last) const {
  // Bytes of the lines with a CR LF after each: the most a selection of
  // them copies, reserved at once instead of growing a large copy in steps.
  std::size_t size = 0;
  for (int line = first; line <= last; ++line) {
    size += model_.LineText(line).size() + 2;
  }
  return size;
}

std::string TSrcEditController::SelectionBytes() const {
  if (!model_.HasSelection()) {
    return {};
  }
  const TBufferPos s = model_.SelStart();
  const TBufferPos e = model_.SelEnd();
  std::string out;
  switch (model_.SelectionMode()) {
    case smNormal:
      if (s.Line == e.Line) {
        return std::string(LineSlice(model_.LineText(s.Line), s.Char, e.Char));
      }
      out.reserve(SelectedLinesSize(s.Line, e.Line));
      out = LineSlice(model_.LineText(s.Line), s.Char, INT32_MAX);
      for (int line = s.Line + 1; line < e.Line; ++line) {
        out += "\r\n";
        out += model_.LineText(line);
      }
      out += "\r\n";
      out += LineSlice(model_.LineText(e.Line), 1, e.Char);
      break;
    case smLine:
      out.reserve(SelectedLinesSize(s.Line, e.Line));
      for (int line = s.Line; line <= e.Line; ++line) {
        out += model_.LineText(line);
        out += "\r\n";
      }
      break;
    case smColumn: {
      const std::pair<int, int> columns = model_.ColumnBlockColumns();
      for (int line = s.Line; line <= e.Line; ++line) {
        if (line > s.Line) {
          out += "\r\n";
        }
        const auto [from, to] = model_.ColumnBlockOnLine(line, columns);
        out += LineSlice(model_.LineText(line), from, to);
      }
      break;
    }
  }
  return out;
}

void TSrcEditController::ReplaceSelection(TSrcSelectionMode mode, std::string_view text,
                                          bool record_undo) {
  ExpandFoldsForEdit(ecNone);
  // A copy: the text may be a view of a line this replacement rewrites.
  ReplaceSelectionAt(mode, std::string(text), record_undo, TBufferPos{0, 0});
}

void TSrcEditController::ReplaceSelectionAt(TSrcSelectionMode mode, std::string text,
                                            bool record_undo, TBufferPos at,
                                            std::vector<int> starts) {
  TPaintHoldScope hold(model_.PaintHold());
  TLinesBatchScope batch(model_.Lines());
  // Text replacing a line or column selection goes where the selection was:
  // whole lines also after the last line and a block at its exact character,
  // where the caret cannot follow.
  if (at.Line == 0 && model_.HasSelection()) {
    if (model_.SelectionMode() == smLine) {
      at = {1, model_.SelStart().Line};
    } else if (model_.SelectionMode() == smColumn) {
      at = {std::min(model_.SelectionAnchor().Char, model_.SelectionActiveEnd().Char),
            model_.SelStart().Line};
    }
  }
  if (model_.HasSelection()) {
    std::vector<int> taken = DeleteSelectionText();
    if (starts.empty()) {
      starts = std::move(taken);  // a block goes back where one was taken
    }
  }
  if (at.Line == 0) {
    at = model_.CaretPos();
  }
  if (!text.empty()) {
    switch (mode) {
      case smNormal:
        InsertNormal(std::move(text));
        break;
      case smLine:
        InsertLineMode(std::move(text), at.Line);
        break;
      case smColumn:
        InsertColumn(text, at, record_undo, starts);
        break;
    }
  }
}

std::vector<int> TSrcEditController::DeleteSelectionText() {
  const TBufferPos s = model_.SelStart();
  const TBufferPos e = model_.SelEnd();
  switch (model_.SelectionMode()) {
    case smNormal: {
      if (s.Line == e.Line) {
        WriteLinePart(s.Line, static_cast<std::size_t>(std::max(s.Char - 1, 0)),
                      static_cast<std::size_t>(std::max(e.Char - s.Char, 0)), std::string_view());
        model_.PlaceCaret(s, false);
        break;
      }
      if (s.Char == 1 && e.Char == 1 && e.Line <= model_.LineCount()) {
        // Whole lines: they go, and the line after them stays as it is, so
        // marks and per-line data on it stay with it.
        RemoveLinesAt(s.Line, e.Line - s.Line);
        model_.PlaceCaret(s, false);
        break;
      }
      std::string joined(LineSlice(model_.LineText(s.Line), 1, s.Char));
      joined += LineSlice(model_.LineText(e.Line), e.Char, INT32_MAX);
      WriteLine(s.Line, joined);
      RemoveLinesAt(s.Line + 1, e.Line - s.Line);
      model_.PlaceCaret(s, false);
      break;
    }
    case smLine:
      // The lines go entirely, also at the end (undo puts them back behind
      // the last line); only a text that loses all its lines keeps one.
      if (s.Line == 1 && e.Line >= model_.LineCount()) {
        RemoveLinesAt(2, e.Line - 1);
        WriteLine(1, std::string_view());
      } else {
        RemoveLinesAt(s.Line, e.Line - s.Line + 1);
      }
      model_.PlaceCaret({1, s.Line}, false);
      break;
    case smColumn: {
      const std::pair<int, int> columns = model_.ColumnBlockColumns();
      std::vector<int> starts;
      for (int line = s.Line; line <= e.Line; ++line) {
        const std::string_view text = model_.LineText(line);
        const auto [from, to] = model_.ColumnBlockOnLine(line, columns);
        starts.push_back(from);
        if (from > static_cast<int>(text.size())) {
          continue;
        }
        std::string changed(LineSlice(text, 1, from));
        changed += LineSlice(text, to, INT32_MAX);
        WriteLine(line, changed);
      }
      // At the block's top, where text replacing the block goes in.
      model_.PlaceCaret({starts.front(), s.Line}, false);
      return starts;
    }
  }
  return {};
}

void TSrcEditController::InsertNormal(std::string text) {
  const TBufferPos caret = model_.CaretPos();
  const auto before = static_cast<std::size_t>(caret.Char - 1);
  if (before == 0 && caret.Line <= model_.LineCount() &&
      (text.back() == '\n' || text.back() == '\r')) {
    // Whole lines before the caret line: they go in above it and the caret
    // line stays as it is, so marks and per-line data on it move down with
    // it (as they move up when whole lines are deleted).
    text.resize(text.size() - (text.ends_with("\r\n") ? 2 : 1));
    int count = 0;
    if (InsertsTextWhole() && NextLineStart(text, 0) <= text.size()) {
      count = InsertTextLinesAt(caret.Line, std::move(text), 0);
    } else {
      std::vector<std::string_view> pieces = SplitAtLineBreaks(text);
      count = static_cast<int>(pieces.size());
      InsertLinesAt(caret.Line, std::move(pieces));
    }
    model_.SetCaretPos({1, caret.Line + count});
    return;
  }
  const std::size_t second = NextLineStart(text, 0);
  if (second < text.size() && NextLineStart(text, second) <= text.size() && InsertsTextWhole()) {
    // Two new lines or more: the text goes to the store whole, behind its
    // first line, and the rest of the caret line joins its last line.
    const std::string line(model_.LineText(caret.Line));
    std::string left = line.substr(0, std::min(before, line.size()));
    left.resize(before, ' ');
    left.append(text, 0, text.find_first_of("\r\n"));
    const std::size_t last_start = text.find_last_of("\r\n") + 1;
    const int last_size = static_cast<int>(text.size() - last_start);
    if (before < line.size()) {
      text.append(line, before);
    }
    WriteLine(caret.Line, left);
    const int count = InsertTextLinesAt(caret.Line + 1, std::move(text), second);
    model_.SetCaretPos({last_size + 1, caret.Line + count});
    return;
  }
  std::vector<std::string_view> pieces = SplitAtLineBreaks(text);
  if (pieces.size() == 1) {
    // Into the line where it is: typing into a long line copies no line.
    const std::size_t length = model_.LineText(caret.Line).size();
    std::string added(before > length ? before - length : 0, ' ');
    added += pieces.front();
    WriteLinePart(caret.Line, std::min(before, length), 0, added);
    model_.SetCaretPos({static_cast<int>(before + pieces.front().size()) + 1, caret.Line});
    return;
  }
  const std::string line(model_.LineText(caret.Line));
  std::string left = line.substr(0, std::min(before, line.size()));
  left.resize(before, ' ');
  const std::string right = before < line.size() ? line.substr(before) : std::string();
  const std::string last = std::string(pieces.back()) + right;
  const int last_size = static_cast<int>(pieces.back().size());
  WriteLine(caret.Line, left + std::string(pieces.front()));
  // The pieces after the first become the new lines (a whole text put back
  // by undo can be a million of them: no copy of the list).
  pieces.erase(pieces.begin());
  pieces.back() = last;
  const int count = static_cast<int>(pieces.size());
  InsertLinesAt(caret.Line + 1, std::move(pieces));
  model_.SetCaretPos({last_size + 1, caret.Line + count});
}

void TSrcEditController::InsertLineMode(std::string text, int line) {
  // Whole lines end with a break; it does not start another line.
  if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.resize(text.size() - (text.ends_with("\r\n") ? 2 : 1));
  }
  // Lines always go in before the caret line: overwriting whole lines in
  // overwrite mode would take text that no undo entry keeps.
  // An empty store holds one empty line as far as lines are concerned, as
  // it does after all its lines were deleted.
  if (model_.LineCount() == 0) {
    InsertLineAt(1, std::string_view());
  }
  line = std::max(1, std::min(line, model_.LineCount() + 1));
  int count = 0;
  if (NextLineStart(text, 0) <= text.size() && InsertsTextWhole()) {
    count = InsertTextLinesAt(line, std::move(text), 0);
  } else {
    std::vector<std::string_view> pieces = SplitAtLineBreaks(text);
    count = static_cast<int>(pieces.size());
    InsertLinesAt(line, std::move(pieces));
  }
  line_block_end_ = {scrolling_->CharsInWindow(), line + count - 1};
  model_.SetCaretPos({1, line + count});
}

void TSrcEditController::InsertColumn(std::string_view text, TBufferPos at, bool record_undo,
                                      const std::vector<int>& starts) {
  const std::vector<std::string_view> pieces = SplitAtLineBreaks(text);
  // Lines without a given start take the pieces at the display column of
  // `at`, so the block stands straight over tabs and wide characters.
  const int tab = model_.TabWidth();
  const int col = line_cells::ColumnOfChar(model_.LineText(at.Line), at.Char, tab);
  int line = at.Line;
  int last_char = at.Char;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const std::string_view piece = pieces[k];
    const int length = static_cast<int>(piece.size());
    if (line > model_.LineCount()) {
      // A missing line is appended; recorded as one insert from the end of
      // the line before, so undo removes the new line with its filler.
      const int prev = line - 1;
      const TBufferPos from{static_cast<int>(model_.LineText(prev).size()) + 1, std::max(prev, 1)};
      const int ch = k < starts.size() ? starts[k] : col;
      std::string added(static_cast<std::size_t>(ch - 1), ' ');
      added += piece;
      InsertLineAt(model_.LineCount() + 1, added);
      line = model_.LineCount();
      last_char = ch;
      if (record_undo) {
        undo_list_.RecordChange(ckPaste, from, {ch + length, line}, std::string(), smNormal);
      }
    } else {
      const std::string current(model_.LineText(line));
      int ch = k < starts.size() ? starts[k] : line_cells::ColumnInsertChar(current, col, tab);
      while (line_cells::IsInsideChar(current, ch)) {
        ++ch;
      }
      last_char = ch;
      if (!piece.empty()) {
        const auto size = static_cast<int>(current.size());
        std::string changed = current.substr(0, static_cast<std::size_t>(std::min(ch - 1, size)));
        changed.resize(static_cast<std::size_t>(ch - 1), ' ');
        changed += piece;
        if (ch - 1 < size) {
          changed += current.substr(static_cast<std::size_t>(ch - 1));
        }
        WriteLine(line, changed);
        if (record_undo) {
          // From the old line end when filler went in, so undo removes it too.
          const TBufferPos from{std::min(ch, size + 1), line};
          undo_list_.RecordChange(ckPaste, from, {ch + length, line}, std::string(), smNormal);
        }
      }
    }
    ++line;
  }
  model_.SetCaretPos({last_char + static_cast<int>(pieces.back().size()), line - 1});
}

void TSrcEditController::InsertTextAtCaret(std::string_view text, TSrcEditChangeKind kind) {
  ExpandFoldsForEdit(ecNone);
  InsertTextAt(text, TBufferPos{0, 0}, kind);
}

void TSrcEditController::InsertTextAt(std::string_view text, TBufferPos at,
                                      TSrcEditChangeKind kind) {
  std::string owned(text);
  const bool inserts = !owned.empty();
  TUndoGroupScope group(undo_list_);
  const TSrcSelectionMode mode = model_.SelectionMode();
  if (model_.HasSelection()) {
    const TBufferPos start = model_.SelStart();
    const TBufferPos end = model_.SelEnd();
    RecordSelectionDelete(ckDelete);
    model_.SetSelectionAnchor(start);
    model_.SetSelectionActiveEnd(end);
  }
  const TBufferPos begin = InsertionStart();
  ReplaceSelectionAt(mode, std::move(owned), true, at);
  if (inserts && mode != smColumn) {
    const TBufferPos end = mode == smLine ? line_block_end_ : model_.SelEnd();
    undo_list_.RecordChange(kind, begin, end, std::string(), mode);
  }
}

std::string TSrcEditController::ReplaceRange(TBufferPos from, TBufferPos to,
                                             std::string_view with) {
  const TSrcSelectionMode mode = model_.SelectionMode();
  model_.SetSelectionMode(smNormal);
  model_.PlaceCaretAndSelection(from, from, to);
  std::string taken = SelectionBytes();
  ReplaceSelection(smNormal, with, false);
  model_.SetSelectionMode(mode);
  return taken;
}

void TSrcEditController::RecordSelectionDelete(TSrcEditChangeKind kind) {
  TSrcSelectionMode mode = model_.SelectionMode();
  if (mode == smColumn) {
    RecordColumnDelete(kind);
    return;
  }
  TBufferPos from = model_.SelectionAnchor();
  TBufferPos to = model_.SelectionActiveEnd();
  std::string text = SelectionBytes();
  const TBufferPos e = model_.SelEnd();
  if (mode == smLine && model_.SelStart().Line == 1 && e.Line >= model_.LineCount()) {
    // Deleting every line leaves one empty line, just as deleting all text
    // in normal mode does; recorded that way, undo restores it exactly.
    text.resize(text.size() - 2);
    from = {1, 1};
    to = {static_cast<int>(model_.LineText(e.Line).size()) + 1, e.Line};
    mode = smNormal;
  }
  undo_list_.RecordChange(kind, from, to, std::move(text), mode);
}

void TSrcEditController::RecordColumnDelete(TSrcEditChangeKind kind) {
  // The block's characters stand at different places on each line (tabs,
  // wide characters), so each line's piece is kept with its own position
  // and goes back exactly there; the selection entry restores the block.
  undo_list_.RecordChange(ckSelection, model_.SelectionAnchor(), model_.SelectionActiveEnd(),
                          std::string(), smColumn);
  const std::pair<int, int> columns = model_.ColumnBlockColumns();
  const int first = model_.SelStart().Line;
  const int last = model_.SelEnd().Line;
  for (int line = first; line <= last; ++line) {
    const std::string_view text = model_.LineText(line);
    auto [from, to] = model_.ColumnBlockOnLine(line, columns);
    const int end = static_cast<int>(text.size()) + 1;
    from = std::min(from, end);
    to = std::min(to, end);
    if (from < to) {
      undo_list_.RecordChange(kind, {from, line}, {to, line},
                              std::string(LineSlice(text, from, to)), smNormal);
    }
  }
}

TBufferPos TSrcEditController::InsertionStart() const {
  // Without a selection the text goes in at the caret, which a caret-only
  // placement may have moved away from the (empty) selection's ends.
  TBufferPos start = model_.HasSelection() ? model_.SelStart() : model_.CaretPos();
  if (model_.SelectionMode() == smLine) {
    start.Char = 1;
  } else if (model_.SelectionMode() == smNormal) {
    // Text typed past the line end goes in behind filler spaces; the entry
    // starts at the old end so that undo takes the filler back too.
    start.Char = std::min(start.Char, static_cast<int>(model_.LineText(start.Line).size()) + 1);
  }
  return start;
}

void TSrcEditController::PadCaretLine() {
  const TBufferPos caret = model_.CaretPos();
  const int length = static_cast<int>(model_.LineText(caret.Line).size());
  if (caret.Char <= length + 1) {
    return;
  }
  const TBufferPos end{length + 1, caret.Line};
  ReplaceRange(end, end, std::string(static_cast<std::size_t>(caret.Char - length - 1), ' '));
  undo_list_.RecordChange(ckInsert, end, caret, std::string(), smNormal);
  model_.PlaceCaret(caret, false);
}

void TSrcEditController::ScrollCaretIntoView() {
  if (model_.View() != nullptr) {
    model_.View()->ScrollCaretIntoView();
  }
}

}  // namespace torvane
