// Breakpoint discs and the current-line arrow beside the gutter.
#include "app/breakpoint_margin.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "document/control/src_editor.h"

namespace torvane {

TBreakpointMargin::TBreakpointMargin(TSrcEditor& editor, std::function<std::string()> file_name)
    : editor_(editor), file_name_(std::move(file_name)) {
  editor_.Model().AddLineObserver(this);
  // Nearest the line numbers, before the machine code.
  editor_.AddSideColumn(this, true);
  editor_.viewport()->installEventFilter(this);
}

TBreakpointMargin::~TBreakpointMargin() {
  editor_.RemoveSideColumn(this);
  editor_.Model().RemoveLineObserver(this);
}

const std::set<int>& TBreakpointMargin::Lines() const {
  static const std::set<int> kNone;
  const auto it = lines_.find(File());
  return it == lines_.end() ? kNone : it->second;
}

std::set<int>& TBreakpointMargin::Own() {
  return lines_[File()];
}

void TBreakpointMargin::Changed() {
  if (const auto it = lines_.find(File()); it != lines_.end() && it->second.empty()) {
    lines_.erase(it);
  }
  editor_.SideColumnChanged();
  editor_.viewport()->update();
}

void TBreakpointMargin::Set(int line, bool on) {
  if (line < 1 || Has(line) == on) {
    return;
  }
  if (on) {
    Own().insert(line);
  } else {
    Own().erase(line);
  }
  Changed();
  if (OnChanged) {
    OnChanged(line, on);
  }
}

void TBreakpointMargin::Move(int from, int to) {
  if (from == to || !Has(from)) {
    return;
  }
  Own().erase(from);
  Own().insert(to);
  Changed();
}

void TBreakpointMargin::SetCurrentLine(int line) {
  current_line_ = line;
  editor_.SideColumnChanged();
  editor_.viewport()->update();
}

void TBreakpointMargin::SetActive(bool on) {
  active_ = on;
  editor_.SideColumnChanged();
  editor_.viewport()->update();
}

int TBreakpointMargin::Width(const TCustomSrcEdit& editor) const {
  if (!active_ && Lines().empty()) {
    return 0;
  }
  return std::max(editor.RowHeight(), 12) + 2;
}

void TBreakpointMargin::PaintRow(TCustomSrcEdit& editor, QPainter& painter, const QRect& cell,
                                 int line, bool first_row) {
  painter.fillRect(cell, QColor(236, 236, 236));
  if (line <= 0 || !first_row) {
    return;
  }
  const int expanded = editor.Model().Folds().ExpandedLineNumber(line);
  const int size = std::min(cell.width(), cell.height()) - 4;
  const QRect box(cell.left() + (cell.width() - size) / 2, cell.top() + (cell.height() - size) / 2,
                  size, size);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (Has(expanded)) {
    painter.setPen(QPen(QColor(120, 0, 0), 1));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawEllipse(box);
  }
  if (expanded == current_line_) {
    QPainterPath arrow;
    const qreal mid = box.center().y() + 0.5;
    arrow.moveTo(box.left(), mid - size / 5.0);
    arrow.lineTo(box.center().x(), mid - size / 5.0);
    arrow.lineTo(box.center().x(), box.top());
    arrow.lineTo(box.right() + 1, mid);
    arrow.lineTo(box.center().x(), box.bottom() + 1);
    arrow.lineTo(box.center().x(), mid + size / 5.0);
    arrow.lineTo(box.left(), mid + size / 5.0);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(120, 90, 0), 1));
    painter.setBrush(QColor(255, 214, 0));
    painter.drawPath(arrow);
  }
  painter.restore();
}

void TBreakpointMargin::LinesInserted(int line, int count) {
  if (loading_) {
    return;
  }
  const auto shift = [&](std::set<int>& lines) {
    std::set<int> moved;
    for (const int l : lines) {
      moved.insert(l >= line ? l + count : l);
    }
    lines.swap(moved);
  };
  if (const auto it = lines_.find(File()); it != lines_.end()) {
    shift(it->second);
  }
  if (current_line_ >= line) {
    current_line_ += count;
  }
}

void TBreakpointMargin::LinesDeleted(int line, int count) {
  if (loading_) {
    return;
  }
  if (const auto it = lines_.find(File()); it != lines_.end()) {
    std::set<int> moved;
    for (const int l : it->second) {
      if (l < line) {
        moved.insert(l);
      } else if (l >= line + count) {
        moved.insert(l - count);
      }
    }
    it->second.swap(moved);
  }
  if (current_line_ >= line + count) {
    current_line_ -= count;
  } else if (current_line_ >= line) {
    current_line_ = 0;
  }
}

void TBreakpointMargin::LinesCleared() {
  current_line_ = 0;
  // Another file opens: its own breakpoints show once its name is known.
  loading_ = true;
  QTimer::singleShot(0, this, [this] {
    loading_ = false;
    Changed();
  });
}

bool TBreakpointMargin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_.viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int left = editor_.SideColumnLeft(this);
    const int x = mouse->position().toPoint().x();
    if (mouse->button() == Qt::LeftButton && left >= 0 && x >= left &&
        x < left + editor_.SideColumnWidthOf(this)) {
      const int row = editor_.FirstVisibleRow() +
                      mouse->position().toPoint().y() / std::max(editor_.RowHeight(), 1);
      const TSrcEditModel& model = editor_.Model();
      if (row >= 1 && row <= model.Mapping().DisplayRowCount()) {
        Toggle(model.Folds().ExpandedLineNumber(model.Mapping().LineOfRow(row)));
      }
      return true;
    }
  }
  return false;
}

}  // namespace torvane
