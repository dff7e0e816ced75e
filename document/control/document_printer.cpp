// Page layout of printed documents.
#include "document/control/document_printer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <string>

#include "document/string_list.h"
#include "platform/codepage.h"

namespace torvane {

bool PrintLines(const TSrcEditStringList& lines, const QFont& font, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    return false;
  }
  // The screen font's pixel size is taken as points on paper, so a printed
  // page shows about as many lines as the editor does at 96 dpi.
  QFont paper_font(font);
  if (font.pixelSize() > 0) {
    paper_font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
  }
  painter.setFont(paper_font);
  const QFontMetrics metrics(paper_font, &printer);
  const int line_height = std::max(metrics.lineSpacing(), 1);
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const int page_height = std::max(page.height(), line_height);
  int y = 0;
  for (int i = 0; i < lines.LineCount(); ++i) {
    if (y + line_height > page_height && y > 0) {
      printer.newPage();
      y = 0;
    }
    // Expanded tabs are runs of TAB bytes, one per cell; paper gets blanks.
    std::string cells(lines.GetExpandedLine(i));
    std::replace(cells.begin(), cells.end(), '\t', ' ');
    painter.drawText(0, y + metrics.ascent(), DecodeText(cells));
    y += line_height;
  }
  return painter.end();
}

}  // namespace torvane
