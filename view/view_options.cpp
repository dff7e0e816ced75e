// CopyFrom of the painting options objects: copy everything, notify once.
#include "view/view_options.h"

namespace torvane {

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
  switch (style) {
    case psSolid:
    case psInsideFrame:
      return Qt::SolidLine;
    case psDash:
      return Qt::DashLine;
    case psDot:
      return Qt::DotLine;
    case psDashDot:
      return Qt::DashDotLine;
    case psDashDotDot:
      return Qt::DashDotDotLine;
    case psClear:
      return Qt::NoPen;
  }
  return Qt::SolidLine;
}

void TSrcSelectedColor::CopyFrom(const TSrcSelectedColor& other) {
  background_ = other.background_;
  foreground_ = other.foreground_;
  Changed();
}

void TSrcActiveLine::CopyFrom(const TSrcActiveLine& other) {
  visible_ = other.visible_;
  background_ = other.background_;
  foreground_ = other.foreground_;
  Changed();
}

void TSrcRightEdge::CopyFrom(const TSrcRightEdge& other) {
  visible_ = other.visible_;
  position_ = other.position_;
  color_ = other.color_;
  style_ = other.style_;
  mouse_move_ = other.mouse_move_;
  Changed();
}

void TSrcLineDivider::CopyFrom(const TSrcLineDivider& other) {
  visible_ = other.visible_;
  color_ = other.color_;
  style_ = other.style_;
  Changed();
}

void TSrcEditBackground::SetBackground(const QImage& picture) {
  background_ = picture;
  Changed();
}

void TSrcEditBackground::CopyFrom(const TSrcEditBackground& other) {
  background_ = other.background_;
  visible_ = other.visible_;
  repeat_mode_ = other.repeat_mode_;
  Changed();
}

}  // namespace torvane
