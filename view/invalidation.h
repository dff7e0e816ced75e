// Turns line ranges into row rectangles of the client area and sends them
// to be repainted, or collects them into one pending rectangle while a
// change batch is open. The background is never erased separately.
#pragma once

#include <QRect>
#include <functional>

namespace torvane {

class TPositionMapping;
class TViewMetrics;

class TViewInvalidator {
 public:
  // `update` repaints a client rectangle (the widget's update()).
  TViewInvalidator(const TViewMetrics& metrics, const TPositionMapping& mapping,
                   std::function<void(const QRect&)> update)
      : metrics_(metrics), mapping_(mapping), update_(std::move(update)) {}

  // Lines are 1-based; (-1, -1) is the whole area. A last line at or past
  // the line count stands for all rows to the end.
  void MarkTextLinesDirty(int first, int last);
  void MarkGutterLinesDirty(int first, int last);
  void MarkTextLineDirty(int line);
  void InvalidateRect(const QRect& rect);
  void InvalidateAll();

  // Nestable: while collecting, rectangles are united into the pending one,
  // which the outermost end sends.
  void BeginCollecting() { ++collecting_; }
  void EndCollecting();
  const QRect& PendingRect() const { return pending_; }
  // False while the widget is hidden: invalidation then does nothing.
  void SetEnabled(bool enabled) { enabled_ = enabled; }

 private:
  // Rows [first, last] of lines first..last clipped to the visible rows, or
  // false when nothing of them is visible.
  bool VisibleRowsOf(int first, int last, bool gutter, int& first_row, int& last_row) const;
  void MarkRows(int first_row, int last_row, int left, int right);
  // While collecting: the pending rectangle already holds the whole client
  // area, so no line range can add to it.
  bool PendingCoversAll() const;

  const TViewMetrics& metrics_;
  const TPositionMapping& mapping_;
  std::function<void(const QRect&)> update_;
  int collecting_ = 0;
  QRect pending_;
  bool enabled_ = true;
};

}  // namespace torvane
