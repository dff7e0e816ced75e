// Rescanning range states after changes, and the token lookup by position.
#include "highlight/rescan.h"

#include <algorithm>

namespace torvane {

namespace {

// Sets the highlighter up to scan line `index`: from the start state for the
// first line, else from the end state stored for the line above.
void StartStateFor(const TSrcEditStringList& lines, TSrcCustomHighlighter& highlighter, int index) {
  if (index == 0) {
    highlighter.ResetRangeState();
  } else {
    highlighter.RestoreRangeState(lines.GetLineRange(index - 1));
  }
}

TLineSpan ToEnd(const TSrcEditStringList& lines, int index) {
  return {index, lines.LineCount() - 1};
}

}  // namespace

int RescanFromLine(TSrcEditStringList& lines, TSrcCustomHighlighter& highlighter, int index) {
  // A negative index would ask for line -1's state; start at the top instead.
  int i = std::max(index, 0);
  if (i >= lines.LineCount()) {
    return index;
  }
  StartStateFor(lines, highlighter, i);
  for (;;) {
    highlighter.StartLine(lines.GetLine(i), i);
    highlighter.SkipToLineEnd();
    const TRangeState state = highlighter.SaveRangeState();
    if (state == lines.GetLineRange(i)) {
      break;
    }
    lines.SetLineRange(i, state);
    ++i;
    if (i == lines.LineCount()) {
      --i;
      break;
    }
  }
  return i;
}

void RescanAllLines(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter) {
  if (highlighter == nullptr || lines.LineCount() == 0) {
    return;
  }
  // One batch for the whole scan rather than one per stored state. A second
  // error from a batch-end listener while the first unwinds is dropped.
  lines.BeginBatch();
  try {
    highlighter->ResetRangeState();
    for (int i = 0; i < lines.LineCount(); ++i) {
      highlighter->StartLine(lines.GetLine(i), i);
      highlighter->SkipToLineEnd();
      lines.SetLineRange(i, highlighter->SaveRangeState());
    }
  } catch (...) {
    try {
      lines.EndBatch();
    } catch (...) {
    }
    throw;
  }
  lines.EndBatch();
}

TLineSpan RescanAfterLineReplaced(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter,
                                  int index) {
  if (highlighter == nullptr || lines.LineCount() == 0) {
    return {index, index};
  }
  return {index, std::max(index, RescanFromLine(lines, *highlighter, index))};
}

TLineSpan RescanAfterLinesDeleted(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter,
                                  int index) {
  if (highlighter != nullptr && lines.LineCount() > 0) {
    RescanFromLine(lines, *highlighter, index);
  }
  return ToEnd(lines, index);
}

TLineSpan RescanAfterLinesInserted(TSrcEditStringList& lines, TSrcCustomHighlighter* highlighter,
                                   int index, int count) {
  if (highlighter != nullptr && lines.LineCount() > 0) {
    // Every inserted line is scanned even where an old state agrees early.
    int next = index;
    do {
      next = RescanFromLine(lines, *highlighter, next) + 1;
    } while (next < index + count);
  }
  return ToEnd(lines, index);
}

TTokenAtPosition AttributeAtCharacter(const TSrcEditStringList& lines,
                                      TSrcCustomHighlighter* highlighter, int char_index,
                                      int line) {
  TTokenAtPosition result;
  const int index = line - 1;
  if (highlighter == nullptr || index < 0 || index >= lines.LineCount()) {
    return result;
  }
  const std::string_view text = lines.GetLine(index);
  if (char_index <= 0 || char_index > static_cast<int>(text.size())) {
    return result;
  }
  StartStateFor(lines, *highlighter, index);
  return FindTokenAt(*highlighter, text, index, char_index);
}

TTokenAtPosition FindTokenAt(TSrcCustomHighlighter& highlighter, std::string_view text, int index,
                             int char_index) {
  TTokenAtPosition result;
  highlighter.StartLine(text, index);
  for (; !highlighter.AtLineEnd(); highlighter.AdvanceToken()) {
    const int start = highlighter.TokenStart() + 1;
    std::string token = highlighter.TokenText();
    if (start <= char_index && char_index < start + static_cast<int>(token.size())) {
      result.Found = true;
      result.Text = std::move(token);
      result.Attribute = highlighter.TokenAttributes();
      result.Kind = highlighter.TokenKind();
      break;
    }
  }
  return result;
}

}  // namespace torvane
