// Painting of code folding: the fold bar over the gutter's right edge (lines
// of the blocks, boxes with minus or plus on their headers), and in the text
// the collapsed-code mark, the line under a collapsed header and the indent
// guides. Reads the editor through TFoldPaintContext and needs no widget.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace torvane {

class TSrcEditModel;
class TSrcEditFoldRange;

// The fold bar takes this many pixels at the gutter's right edge, and a
// click there toggles the block.
inline constexpr int kFoldBarWidth = 12;

struct TFoldPaintContext {
  TSrcEditModel* Model = nullptr;
  int GutterExtent = 0;
  int RowHeight = 1;
  int ColumnWidth = 1;
  int FirstVisibleRow = 1;
  int FirstVisibleColumn = 1;
  int VisibleRows = 0;
  int ClientWidth = 0;
  // Where indent guides start: the gutter's width for its character width.
  int GuideOrigin = 0;
};

// The collapsed-code mark of a collapsed header on `line`, in client pixels
// before the horizontal scroll: over the middle three of the five appended
// blanks, as the painter last placed it (MarkLeft).
QRect CollapseMarkRect(const TFoldPaintContext& context, const TSrcEditFoldRange& range, int line);

void PaintFoldBar(QPainter& painter, const TFoldPaintContext& context);

// The contrast the fold boxes and the collapsed line keep against the window.
inline constexpr double kFoldMarkContrast = 3.0;
// The contrast ratio of two colours (1 to 21, by relative luminance).
double ContrastRatio(const QColor& a, const QColor& b);
// colour, darkened (on a light background) or lightened until it has at
// least `ratio` against background.
QColor LegibleOn(const QColor& colour, const QColor& background, double ratio);
// Decorations of the text rows first_row..last_row; sets MarkLeft of the
// collapsed headers it meets.
void PaintFoldDecorations(QPainter& painter, const TFoldPaintContext& context, int first_row,
                          int last_row);

}  // namespace torvane
