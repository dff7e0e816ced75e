// Pixel arithmetic of the text area; rows become lines only through the
// position mapping, which the callers hold.
#include "view/pixel_conversions.h"

#include <algorithm>

namespace torvane {
namespace {

// n / d rounded to the nearest integer, halves to the even one (d > 0).
int DivRoundHalfEven(int n, int d) {
  int q = n / d;
  int r = n % d;
  if (r < 0) {  // floor division
    --q;
    r += d;
  }
  if (2 * r > d || (2 * r == d && (q % 2) != 0)) {
    ++q;
  }
  return q;
}

int RowAt(const TViewMetrics& metrics, int y) {
  return std::max(y / metrics.RowHeight() + metrics.FirstVisibleRow(), 1);
}

}  // namespace

int TextAreaLeft(const TViewMetrics& metrics) {
  return metrics.GutterExtent() + TViewMetrics::kTextGap;
}

TDisplayPos PixelsToRowColumn(const TViewMetrics& metrics, int x, int y) {
  const int w = std::max(metrics.ColumnWidth(), 1);
  const int column = (x - TextAreaLeft(metrics)) / w + metrics.FirstVisibleColumn();
  return {std::max(column, 1), RowAt(metrics, y)};
}

TDisplayPos PixelsToNearestRowColumn(const TViewMetrics& metrics, int x, int y) {
  const int w = std::max(metrics.ColumnWidth(), 1);
  const int last_y = std::max(metrics.RowHeight() * metrics.VisibleRows() - 1, 0);
  y = std::min(y, last_y);
  const int column = DivRoundHalfEven(x - TextAreaLeft(metrics), w) + metrics.FirstVisibleColumn();
  return {std::max(column, 1), RowAt(metrics, y)};
}

QPoint RowColumnToPixels(const TViewMetrics& metrics, TDisplayPos pos) {
  return {metrics.ColumnToX(pos.Column), metrics.RowToY(pos.Row)};
}

}  // namespace torvane
