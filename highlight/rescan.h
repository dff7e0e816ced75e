// Keeping the line store's per-line range states in step with the text, and
// looking up the token at a position. The editor control calls these from
// its line-store notifications; they know nothing of widgets.
#pragma once

#include <string>
#include <string_view>

#include "document/string_list.h"
#include "highlight/custom_highlighter.h"

namespace torvane {

// Lines to repaint after a change: First..Last, both 0-based; Last is
// LineCount() - 1 for "to the end". Empty when Last < First.
struct TLineSpan {
  int First = 0;
  int Last = -1;
};

// Rescans from line `index` until a line's new end state equals the one
// stored for it; returns the index of the last line rescanned (never past the
// last line). Returns `index` unchanged when it is not below LineCount.
int RescanFromLine(TSrcEditStringList& lines, TSrcCustomHighlighter& highlighter, int index);

// Scans every line from the first and stores every end state.
void RescanAllLines(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter);

// The reactions to the line store's after-change notifications. With no
// highlighter (or no lines) they scan nothing but still name the lines to
// repaint.
TLineSpan RescanAfterLineReplaced(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter,
                                  int index);
TLineSpan RescanAfterLinesDeleted(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter,
                                  int index);
TLineSpan RescanAfterLinesInserted(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter,
                                   int index, int count);

// The token covering a position.
struct TTokenAtPosition {
  bool Found = false;
  std::string Text;
  TSrcHighlighterAttributes* Attribute = nullptr;
  int Kind = 0;
};

// The token whose bytes cover the 1-based character `char_index` of the
// 1-based line `line`; not found outside the line's text or without a
// highlighter.
TTokenAtPosition AttributeAtCharacter(const TSrcEditStringList& lines,
                                      TSrcCustomHighlighter* highlighter, int char_index, int line);

// The same for a buffer position (anything with 1-based Char and Line, such
// as the editor's TBufferPos, which lives above this folder).
template <typename TPosition>
TTokenAtPosition AttributeAtPosition(const TSrcEditStringList& lines,
                                     TSrcCustomHighlighter* highlighter,
                                     const TPosition& position) {
  return AttributeAtCharacter(lines, highlighter, position.Char, position.Line);
}

// The token of line `index` (0-based) covering the 1-based `char_index`, with
// the highlighter's start state already set.
TTokenAtPosition FindTokenAt(TSrcCustomHighlighter& highlighter, std::string_view text, int index,
                             int char_index);

}  // namespace torvane
