// What the editor model asks of whatever shows it: invalidating line ranges,
// scrolling the caret into view, refreshing the caret and the scroll bars.
// The widget implements it; model tests use a recording stand-in.
#pragma once

#include "editor/editor_options.h"

namespace torvane {

enum TTransientType : std::uint8_t { ttBefore, ttAfter };

class ISrcEditView {
 public:
  virtual ~ISrcEditView() = default;

  // Lines are 1-based; (-1, -1) means the whole text area. A last line at or
  // past the line count stands for everything below.
  virtual void InvalidateLines(int first, int last) = 0;
  virtual void InvalidateLine(int line) = 0;
  virtual void InvalidateGutterLines(int first, int last) = 0;
  // While a line-store batch is open, invalidation collects into one pending
  // rectangle; the end of the batch repaints it.
  virtual void BeginCollectingInvalidation() = 0;
  virtual void EndCollectingInvalidation() = 0;

  virtual void ScrollCaretIntoView() = 0;
  // Called by the paint hold when it is released (never while held).
  virtual void UpdateScrollBars() = 0;
  virtual void UpdateCaret() = 0;
  // The caret's shape depends on insert mode and the caret types.
  virtual void CaretShapeChanged() = 0;

  // The caret row is drawn in its own colours, so caret moves repaint rows.
  virtual bool IsActiveLineHighlighted() const = 0;
  virtual bool HasFocus() const = 0;

  // Reactions that belong to the view: drop target, special characters,
  // scroll positions and bars; called after the new set is stored.
  virtual void OptionsChanged(TSrcEditorOptions old_options, TSrcEditorOptions new_options) = 0;
  // Called before the new option set is stored when the old set lacked
  // eoScrollPastEol / eoScrollPastEof: re-apply the scroll positions.
  virtual void ReapplyScrollPositions(bool horizontal, bool vertical) = 0;
  virtual void TabWidthChanged() = 0;
  // The line store was cleared: top line and left character go back to 1.
  virtual void LinesCleared() = 0;
  // End of a line-store batch, after the model's own reaction: gutter width,
  // top line, word-wrap layout.
  virtual void LinesBatchEnded() = 0;
  virtual void PaintTransient(TTransientType type) = 0;
  // The highlighter was set, changed an attribute or went away: cells are
  // measured again and everything is repainted.
  virtual void HighlighterChanged() {}
  // Columns word wrap breaks rows at (the view knows its width); 0: none.
  virtual int WrapWidth() const { return 0; }
};

}  // namespace torvane
