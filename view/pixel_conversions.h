// Client pixels to display positions and back, from the view metrics alone:
// the text area starts at the gutter's edge plus the gap, cells are
// ColumnWidth wide and rows RowHeight high.
#pragma once

#include <QPoint>

#include "editor/positions.h"
#include "view/view_metrics.h"

namespace torvane {

// The cell under the pixel; column and row at least 1.
TDisplayPos PixelsToRowColumn(const TViewMetrics& metrics, int x, int y);
// The nearest character boundary: y is first kept on the window's last row,
// the column rounds to the nearest cell edge (halves to even).
TDisplayPos PixelsToNearestRowColumn(const TViewMetrics& metrics, int x, int y);
// Top-left pixel of a display position's cell.
QPoint RowColumnToPixels(const TViewMetrics& metrics, TDisplayPos pos);
// Left edge of the text area.
int TextAreaLeft(const TViewMetrics& metrics);

}  // namespace torvane
