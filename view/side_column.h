// A column between the gutter and the text that its owner draws (the
// machine code beside the source). The editor keeps room for it at the
// gutter's right, paints it with the gutter's rows (so it scrolls with the
// text and repaints with a changed line) and leaves clicks in it alone.
// The fold bar stays at the gutter's own edge.
#pragma once

class QPainter;
class QRect;

namespace torvane {

class TCustomSrcEdit;

class ISrcEditSideColumn {
 public:
  virtual ~ISrcEditSideColumn() = default;
  // Pixels the column takes now; 0 takes none.
  virtual int Width(const TCustomSrcEdit& editor) const = 0;
  // Paints one display row in `cell`, every pixel of it and nothing outside
  // (the editor sets no clip for it, a clip cost a tenth of the column): of store line
  // `line` (0 below the text), `first_row` when it is the line's first.
  // The editor's TextDrawer() is not attached meanwhile: attaching it
  // between the gutter and the text slowed the text's paint by a fifth.
  virtual void PaintRow(TCustomSrcEdit& editor, QPainter& painter, const QRect& cell, int line,
                        bool first_row) = 0;
};

}  // namespace torvane
