#include "app/column_row_images.h"

#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cstring>

#include "view/text_drawer.h"

namespace torvane {
namespace {

// The device pixels that differ from the top left one (the background),
// widened to whole device-independent pixels.
QRect InkBox(const QImage& image) {
  const QRgb background = image.pixel(0, 0);
  int left = image.width(), right = -1, top = image.height(), bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (row[x] != background) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = y;
      }
    }
  }
  if (right < 0) {
    return {};
  }
  const int ratio = std::max(1, qCeil(image.devicePixelRatio()));
  left -= left % ratio;
  top -= top % ratio;
  return QRect(QPoint(left, top), QPoint(right, bottom)) & image.rect();
}

}  // namespace

TColumnRowImages::TColumnRowImages() = default;
TColumnRowImages::~TColumnRowImages() = default;

void TColumnRowImages::Clear() {
  images_.clear();
  drawer_.reset();
}

const TColumnRowImages::TInk& TColumnRowImages::Row(const QFont& font, const QString& unicode_font,
                                                    QSize size, qreal ratio, int left,
                                                    std::string_view text, TColor ink,
                                                    TColor background, std::size_t capacity) {
  if (drawer_ == nullptr || font != font_ || unicode_font != unicode_font_ || size != size_ ||
      ratio != ratio_ || left != left_) {
    Clear();
    font_ = font;
    unicode_font_ = unicode_font;
    size_ = size;
    ratio_ = ratio;
    left_ = left;
    drawer_ = std::make_unique<TheTextDrawer>(TFontStyles{}, &font_);
    drawer_->SetUnicodeFontName(unicode_font_);
  }
  std::string key(2 * sizeof(TColor), '\0');
  std::memcpy(key.data(), &ink, sizeof ink);
  std::memcpy(key.data() + sizeof ink, &background, sizeof background);
  key.append(text);
  if (const auto found = images_.find(key); found != images_.end()) {
    return found->second;
  }
  // Rows scroll past in their thousands; only those in view are worth keeping.
  if (images_.size() >= std::max<std::size_t>(capacity, 1)) {
    images_.clear();
  }
  QImage image(size * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  {
    QPainter painter(&image);
    drawer_->AttachDC(&painter);
    drawer_->SelectStyle({});
    drawer_->SetBackground(background);
    drawer_->SetForeground(ink);
    const QRect cell(QPoint(0, 0), size);
    drawer_->CellTextOut(left, (size.height() - drawer_->TextHeight()) / 2, kEtoOpaque, cell, text);
    drawer_->DetachDC();
  }
  TInk row;
  const QRect box = InkBox(image);
  if (!box.isEmpty()) {
    row.Image = image.copy(box);
    row.Image.setDevicePixelRatio(ratio);
    row.At = QPoint(qFloor(box.left() / ratio), qFloor(box.top() / ratio));
  }
  return images_.emplace(std::move(key), std::move(row)).first->second;
}

}  // namespace torvane
