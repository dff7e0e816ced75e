// Rendering helpers for the drawer tests: an image to draw on and probes
// that say where ink landed.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

namespace torvane::test {

inline QFont EditorFont(int pixels = 18) {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(pixels);
  return font;
}

inline QImage WhiteImage(int width = 400, int height = 60) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// Pixels in the box that differ from `background`.
inline int InkIn(const QImage& image, const QRect& box, QColor background = Qt::white) {
  const QRect r = box & image.rect();
  int count = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      if (image.pixelColor(x, y) != background) {
        ++count;
      }
    }
  }
  return count;
}

// The columns [left, right] that hold ink, or an empty pair.
inline std::pair<int, int> InkSpan(const QImage& image, QColor background = Qt::white) {
  int left = image.width();
  int right = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) != background) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  return {left, right};
}

}  // namespace torvane::test
