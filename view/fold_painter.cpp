// The fold bar and the folding decorations of the text rows.
#include "view/fold_painter.h"

#include <algorithm>
#include <cmath>

#include "editor/edit_model.h"
#include "editor/row_layout.h"
#include "folding/fold_scanner.h"
#include "platform/gui/color.h"

namespace torvane {
namespace {

constexpr int kBoxSide = 9;

QColor Resolved(TColor color) {
  return ToQColor(color);
}

int RowTop(const TFoldPaintContext& c, int row) {
  return (row - c.FirstVisibleRow) * c.RowHeight;
}

// The line of a display row, 0 past the text.
int LineOfRow(const TFoldPaintContext& c, int row) {
  const TSrcEditModel& model = *c.Model;
  if (row < 1 || row > model.Mapping().DisplayRowCount()) {
    return 0;
  }
  return model.Mapping().LineOfRow(row);
}

// The row a collapsed header's mark is painted on: the header's last row,
// where its appended blanks end (the only row without word wrap).
int MarkRow(const TFoldPaintContext& c, int line) {
  const TPositionMapping& map = c.Model->Mapping();
  return map.IsWrapping() ? map.RowOfLine(line + 1) - 1 : map.RowOfLine(line);
}

// Cells before the mark's five blanks on that row: the line's width less
// five, or with word wrap the last row's width less five (a row that holds
// fewer cells than the blanks has the mark at its start).
int MarkCells(const TFoldPaintContext& c, int line) {
  const TSrcEditModel& model = *c.Model;
  const TPositionMapping& map = model.Mapping();
  if (!map.IsWrapping()) {
    return model.Lines().GetExpandedLength(line - 1) - 5;
  }
  return std::max(map.RowLayout()->RowCharCount(MarkRow(c, line)) - 5, 0);
}

}  // namespace

QRect CollapseMarkRect(const TFoldPaintContext& c, const TSrcEditFoldRange& range, int line) {
  const int row = MarkRow(c, line);
  const int top = RowTop(c, row);
  const int bottom = top + c.RowHeight - 2;
  const int left = range.MarkLeft + c.ColumnWidth;
  const int right = range.MarkLeft + 5 * c.ColumnWidth - c.ColumnWidth;
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

double RelativeLuminance(const QColor& colour) {
  auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
         0.0722 * channel(colour.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor LegibleOn(const QColor& colour, const QColor& background, double ratio) {
  QColor result = colour;
  // Darker on a light background, lighter on a dark one, in the same hue.
  const bool darken = RelativeLuminance(background) > 0.18;
  for (int step = 0; step < 40 && ContrastRatio(result, background) < ratio; ++step) {
    result = darken ? result.darker(110) : result.lighter(115);
    if (!darken && result.value() == 0) {
      result = QColor(40, 40, 40);
    }
  }
  return result;
}

void PaintFoldBar(QPainter& painter, const TFoldPaintContext& c) {
  const TSrcEditModel& model = *c.Model;
  const TSrcEditAllFoldRanges& ranges = model.Folds().Ranges();
  const TSrcCodeFolding& options = model.CodeFolding();
  const QColor window = Resolved(clWindow);
  // The boxes sit on the window's colour: a pale line colour is deepened
  // until they can be seen.
  const QColor lines =
      LegibleOn(Resolved(options.FolderBarLinesColor()), window, kFoldMarkContrast);
  const int left = c.GutterExtent - 10;
  const int right = c.GutterExtent - 1;
  const int middle = left + (right - left) / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(lines, 1, Qt::SolidLine));
  int previous_line = 0;
  for (int row = c.FirstVisibleRow; row <= c.FirstVisibleRow + c.VisibleRows; ++row) {
    const int line = LineOfRow(c, row);
    if (line == 0) {
      break;
    }
    const int top = RowTop(c, row);
    const int bottom = top + c.RowHeight;
    if (ranges.IsInsideFold(line)) {
      painter.drawLine(middle, top, middle, bottom - 1);
    }
    if (ranges.IsFoldEndLine(line)) {
      painter.drawLine(middle, top, middle, top + c.RowHeight / 2);
      painter.drawLine(middle, top + c.RowHeight / 2, right - 2, top + c.RowHeight / 2);
    }
    const bool continuation = row > 1 && line == previous_line;
    previous_line = line;
    const TSrcEditFoldRange* range = continuation ? nullptr : ranges.FindFoldStartAt(line);
    if (range == nullptr) {
      continue;
    }
    if (!range->IsCollapsed) {
      painter.drawLine(middle, top + c.RowHeight / 2, middle, bottom - 1);
    }
    const int box_top = top + (c.RowHeight - kBoxSide) / 2;
    const QRect box(left, box_top, kBoxSide, kBoxSide);
    if (options.CollapsingMarkStyle() == msEllipse) {
      painter.setBrush(window);
      painter.drawEllipse(box.adjusted(0, 0, -1, -1));
    } else {
      painter.fillRect(box, window);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
    const int box_middle = box_top + kBoxSide / 2;
    painter.drawLine(left + 2, box_middle, right - 3, box_middle);
    if (range->IsCollapsed) {
      painter.drawLine(middle, box_top + 2, middle, box_top + kBoxSide - 3);
    }
  }
  painter.restore();
}

void PaintFoldDecorations(QPainter& painter, const TFoldPaintContext& c, int first_row,
                          int last_row) {
  TSrcEditModel& model = *c.Model;
  const TSrcEditAllFoldRanges& ranges = model.Folds().Ranges();
  const TSrcCodeFolding& options = model.CodeFolding();
  const int scroll = (c.FirstVisibleColumn - 1) * c.ColumnWidth;
  const int caret_line = model.CaretLine();
  // The deepest block around the caret has its guide drawn black.
  int caret_depth = 0;
  for (int i = 0; i < ranges.AllCount(); ++i) {
    const TSrcEditFoldRange& r = *ranges.AllRange(i);
    if (!r.InsideCollapsed && r.FirstLine <= caret_line && caret_line <= r.LastLine) {
      caret_depth = std::max(caret_depth, r.IndentDepth);
    }
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  int previous_line = 0;
  for (int row = first_row; row <= last_row; ++row) {
    const int line = LineOfRow(c, row);
    if (line == 0) {
      break;
    }
    const bool first_row_of_line = line != previous_line;
    previous_line = line;
    const int top = RowTop(c, row);
    TSrcEditFoldRange* collapsed = model.Folds().CollapsedHeaderAt(line);
    // The mark and the line under the block go on the header's last row.
    if (collapsed != nullptr && row == MarkRow(c, line)) {
      collapsed->MarkLeft = MarkCells(c, line) * c.ColumnWidth + c.GutterExtent + 2;
      if (options.CollapsedCodeHint()) {
        const QRect mark = CollapseMarkRect(c, *collapsed, line).translated(-scroll, 0);
        if (mark.right() + 1 > 0) {
          painter.setPen(QPen(Qt::black, 1));
          painter.setBrush(Qt::NoBrush);
          painter.drawRect(mark.adjusted(0, 0, -1, -1));
          const int dots_y = mark.top() + ((mark.bottom() + 1 - mark.top()) / 5) * 3;
          for (const int x :
               {mark.left() + c.ColumnWidth - 2, mark.left() + (3 * c.ColumnWidth) / 2,
                mark.right() + 1 - c.ColumnWidth}) {
            painter.fillRect(QRect(x, dots_y, 2, 2), Qt::black);
          }
        }
      }
      if (options.ShowCollapsedLine()) {
        const TColor color = options.CollapsedLineColor() == clDefault
                                 ? options.FolderBarLinesColor()
                                 : options.CollapsedLineColor();
        painter.setPen(QPen(LegibleOn(Resolved(color), Resolved(clWindow), kFoldMarkContrast), 1));
        const int y = top + c.RowHeight - 1;
        painter.drawLine(c.GutterExtent + 2, y, c.ClientWidth, y);
      }
    }
    if (!options.IndentGuides() || !first_row_of_line) {
      continue;
    }
    for (int i = 0; i < ranges.AllCount(); ++i) {
      const TSrcEditFoldRange& r = *ranges.AllRange(i);
      if (r.IsCollapsed || r.InsideCollapsed || !(r.FirstLine < line && line < r.LastLine)) {
        continue;
      }
      const int x = IndentWidth(model.LineText(r.FirstLine), model.TabWidth()) * c.ColumnWidth;
      if (x <= scroll) {
        continue;
      }
      const bool black = options.HighlightIndentGuides() && r.IndentDepth == caret_depth &&
                         r.FirstLine <= caret_line && caret_line <= r.LastLine;
      const int gx = c.GuideOrigin + x - scroll;
      painter.setPen(QPen(black ? QColor(160, 160, 255) : Resolved(clWindow), 1));
      painter.drawLine(gx, top, gx, top + c.RowHeight - 1);
      const QColor dots = black ? QColor(Qt::black) : Resolved(clGray);
      const int start = (c.RowHeight % 2 == 1 && line % 2 == 1) ? 1 : 0;
      for (int y = top + start; y < top + c.RowHeight; y += 2) {
        painter.fillRect(QRect(gx, y, 1, 1), dots);
      }
    }
  }
  painter.restore();
}

}  // namespace torvane
