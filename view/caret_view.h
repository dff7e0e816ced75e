// The caret, drawn by the editor itself: its shape and size from the cell,
// where it stands, whether it shows, and the blink phase.
#pragma once

#include <QPainter>
#include <QRect>
#include <functional>

#include "editor/editor_options.h"

namespace torvane {

// The caret's rectangle relative to the top-left corner of its cell.
QRect CaretShapeRect(TSrcEditCaretType type, int cell_width, int glyph_height,
                     int line_spacing_extra);

class TCaretView {
 public:
  // `update` repaints a client rectangle.
  explicit TCaretView(std::function<void(const QRect&)> update) : update_(std::move(update)) {}

  // The platform caret's life: created on focus in, destroyed on focus out.
  void Create(const QRect& shape);
  void Destroy();
  bool Exists() const { return exists_; }
  // Top-left of the caret's cell in client coordinates.
  void SetPosition(QPoint cell);
  // Shown only when created; eoNoCaret keeps it hidden for good.
  void SetShown(bool shown);
  bool Shown() const { return shown_; }
  void Blink();
  // The caret on screen now (empty when not visible).
  QRect Rect() const;
  void Paint(QPainter& painter) const;

 private:
  void Refresh(const QRect& before);

  std::function<void(const QRect&)> update_;
  bool exists_ = false;
  bool shown_ = false;
  bool phase_on_ = true;
  QRect shape_;
  QPoint cell_;
};

}  // namespace torvane
