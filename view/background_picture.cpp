// The background picture under the text, scrolling with it, in its four
// repeat modes.
#include <QPixmap>

#include "platform/gui/color.h"
#include "view/text_painter.h"
#include "view/view_metrics.h"
#include "view/view_options.h"

namespace torvane {

void TTextPainter::DrawBackgroundPicture(const QRect& target, TColor background) {
  const TViewMetrics& m = src_.Metrics;
  const QImage& image = src_.Background.Background();
  painter_->fillRect(target, ToQColor(background));
  if (image.isNull() || target.isEmpty()) {
    return;
  }
  // The target in document coordinates, so the picture moves with the text.
  const int sx = target.x() - (m.GutterExtent() + TViewMetrics::kTextGap) +
                 (m.FirstVisibleColumn() - 1) * m.ColumnWidth();
  const int sy = target.y() + (m.FirstVisibleRow() - 1) * m.RowHeight();
  const int w = image.width();
  const int h = image.height();
  painter_->save();
  painter_->setClipRect(target);
  switch (src_.Background.RepeatMode()) {
    case brmNone: {
      const QRect source = QRect(sx, sy, target.width(), target.height()) & image.rect();
      if (!source.isEmpty()) {
        painter_->drawImage(target.topLeft() + (source.topLeft() - QPoint(sx, sy)), image, source);
      }
      break;
    }
    case brmVert:  // one band of the picture's height, repeated to the right
      if (sy >= 0 && sy < h) {
        painter_->drawTiledPixmap(QRect(target.x(), target.y(), target.width(), h - sy),
                                  QPixmap::fromImage(image), QPoint(((sx % w) + w) % w, sy));
      }
      break;
    case brmHori:  // one column of the picture's width, repeated downwards
      if (sx >= 0 && sx < w) {
        painter_->drawTiledPixmap(QRect(target.x(), target.y(), w - sx, target.height()),
                                  QPixmap::fromImage(image), QPoint(sx, ((sy % h) + h) % h));
      }
      break;
    case brmAll:
      painter_->drawTiledPixmap(target, QPixmap::fromImage(image),
                                QPoint(((sx % w) + w) % w, ((sy % h) + h) % h));
      break;
  }
  painter_->restore();
}

}  // namespace torvane
