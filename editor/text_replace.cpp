// Replacements go through InsertTextAtCaret, so undo records them like any
// typed change; all matches of one line are one edit of that line.
#include "editor/text_replace.h"

#include <vector>

#include "editor/edit_controller.h"
#include "editor/edit_model.h"

namespace torvane {
namespace {

// Replaces [start, end) of one line in normal selection mode, whatever mode
// the user's selection is in.
void ReplaceRange(TSrcEditController& controller, TBufferPos start, TBufferPos end,
                  std::string_view bytes) {
  TSrcEditModel& model = controller.Model();
  const TSrcSelectionMode mode = model.SelectionMode();
  model.SetSelectionMode(smNormal);
  model.PlaceCaretAndSelection(end, start, end);
  controller.InsertTextAtCaret(bytes);
  model.SetSelectionMode(mode);
}

}  // namespace

void ReplaceMatch(TSrcEditController& controller, const TSearchMatch& match,
                  std::string_view bytes) {
  if (controller.Model().ReadOnly()) {
    return;
  }
  TPaintHoldScope hold(controller.Model().PaintHold());
  TUndoGroupScope group(controller.UndoList());
  ReplaceRange(controller, match.Start, match.End, bytes);
}

int ReplaceAllMatches(TSrcEditController& controller, const TTextSearch& search,
                      TSearchScope& scope, const QString& replacement) {
  TSrcEditModel& model = controller.Model();
  if (model.ReadOnly()) {
    return 0;
  }
  const TSrcEditStringList& lines = model.Lines();
  const std::vector<TSearchMatch> matches = search.FindAll(lines, scope);
  if (matches.empty()) {
    return 0;
  }
  // Only a regular expression's replacement differs from match to match.
  const bool per_match = search.Options().regex;
  std::vector<std::string> texts;
  if (per_match) {
    texts.reserve(matches.size());
    for (const TSearchMatch& m : matches) {
      texts.push_back(search.ReplacementFor(lines, m, replacement));
    }
  } else {
    texts.push_back(search.ReplacementFor(lines, matches.front(), replacement));
  }
  TPaintHoldScope hold(model.PaintHold());
  TUndoGroupScope group(controller.UndoList());
  // Last line first, so the positions of the lines before stay valid.
  std::size_t last = matches.size();
  while (last > 0) {
    std::size_t first = last - 1;
    const int line = matches[first].Start.Line;
    while (first > 0 && matches[first - 1].Start.Line == line) {
      --first;
    }
    const std::string text(lines.GetLine(line - 1));
    std::string middle;
    for (std::size_t k = first; k < last; ++k) {
      if (k > first) {
        const auto from = static_cast<std::size_t>(matches[k - 1].End.Char - 1);
        middle.append(text, from, static_cast<std::size_t>(matches[k].Start.Char - 1) - from);
      }
      middle += texts[per_match ? k : 0];
    }
    const TBufferPos start = matches[first].Start;
    const TBufferPos end = matches[last - 1].End;
    if (!scope.Whole && scope.End.Line == line && scope.End >= end) {
      scope.End.Char += static_cast<int>(middle.size()) - (end.Char - start.Char);
    }
    ReplaceRange(controller, start, end, middle);
    last = first;
  }
  return static_cast<int>(matches.size());
}

}  // namespace torvane
