// The commands' scroll state forwarded to the editor control.
#include "view/view_scrolling.h"

#include <QCoreApplication>
#include <QEvent>

#include "view/src_edit.h"

namespace torvane {

int TSrcEditViewScrolling::LinesInWindow() const {
  return edit_.VisibleRows();
}

int TSrcEditViewScrolling::CharsInWindow() const {
  return edit_.VisibleColumns();
}

int TSrcEditViewScrolling::TopLine() const {
  return edit_.FirstVisibleRow();
}

void TSrcEditViewScrolling::SetTopLine(int line) {
  edit_.SetFirstVisibleRow(line);
}

int TSrcEditViewScrolling::LeftChar() const {
  return edit_.FirstVisibleColumn();
}

void TSrcEditViewScrolling::SetLeftChar(int ch) {
  edit_.SetFirstVisibleColumn(ch);
}

void TSrcEditViewScrolling::CentreCaretLine() {
  edit_.ScrollCaretIntoView(true);
}

void TSrcEditViewScrolling::UpdateNow() {
  // Pending repaints are delivered now rather than at the next event loop pass.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

}  // namespace torvane
