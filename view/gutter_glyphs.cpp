// The shared strips of program bitmaps, masked glyphs and image lists.
#include "view/gutter_glyphs.h"

#include <algorithm>
#include <memory>

#include "platform/gui/color.h"
#include "resources/resources.h"

namespace torvane {
namespace {

struct TInternalResource {
  std::string Name;  // upper-cased
  int UsageCount = 0;
  QImage Bitmap;
};

// The process-wide list; it exists only while some strip is in use.
std::unique_ptr<std::vector<std::unique_ptr<TInternalResource>>>& SharedResources() {
  static std::unique_ptr<std::vector<std::unique_ptr<TInternalResource>>> list;
  return list;
}

std::string UpperCased(std::string_view name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return key;
}

QImage LoadBitmap(std::string_view name) {
  QImage image(BitmapResourcePath(name));
  return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

void DrawInRow(QPainter& painter, const QImage& image, const QRect& source, int x, int row_top,
               int row_height) {
  const int height = source.height();
  if (row_height < height) {
    const QRect band(source.left(), source.top() + (height - row_height) / 2, source.width(),
                     row_height);
    painter.drawImage(QPoint(x, row_top), image, band);
  } else {
    painter.drawImage(QPoint(x, row_top + (row_height - height) / 2), image, source);
  }
}

// --- shared strips ------------------------------------------------------

TSrcInternalImage::TSrcInternalImage(std::string_view resource_name, int count)
    : key_(UpperCased(resource_name)), count_(std::max(count, 0)) {
  auto& list = SharedResources();
  if (list == nullptr) {
    list = std::make_unique<std::vector<std::unique_ptr<TInternalResource>>>();
  }
  TInternalResource* entry = nullptr;
  for (auto& e : *list) {
    if (e->Name == key_) {
      entry = e.get();
      break;
    }
  }
  if (entry == nullptr) {
    auto created = std::make_unique<TInternalResource>();
    created->Name = key_;
    created->Bitmap = LoadBitmap(key_);
    entry = created.get();
    list->push_back(std::move(created));
  }
  ++entry->UsageCount;
  bitmap_ = &entry->Bitmap;
  if (count_ > 0) {
    width_ = (bitmap_->width() + count_ / 2) / count_;
  }
  height_ = bitmap_->height();
}

TSrcInternalImage::~TSrcInternalImage() {
  auto& list = SharedResources();
  if (list == nullptr) {
    return;
  }
  for (auto it = list->begin(); it != list->end(); ++it) {
    if ((*it)->Name == key_) {
      if (--(*it)->UsageCount == 0) {
        list->erase(it);
      }
      break;
    }
  }
  if (list->empty()) {
    list.reset();
  }
}

int TSrcInternalImage::SharedEntryCount() {
  const auto& list = SharedResources();
  return list == nullptr ? 0 : static_cast<int>(list->size());
}

int TSrcInternalImage::UsageCount(std::string_view resource_name) {
  const auto& list = SharedResources();
  if (list == nullptr) {
    return 0;
  }
  const std::string key = UpperCased(resource_name);
  for (const auto& e : *list) {
    if (e->Name == key) {
      return e->UsageCount;
    }
  }
  return 0;
}

void TSrcInternalImage::DrawImage(QPainter& painter, int index, int row_height, int y,
                                  int x) const {
  if (index < 0 || index >= count_ || bitmap_->isNull()) {
    return;
  }
  DrawInRow(painter, *bitmap_, QRect(index * width_, 0, width_, height_), x, y, row_height);
}

// --- glyphs -------------------------------------------------------------

TSrcGlyph::TSrcGlyph(std::string_view resource_name, TColor built_in_mask)
    : built_in_(LoadBitmap(resource_name)) {
  built_in_mask_ = built_in_.isNull() ? clNone : built_in_mask;
}

void TSrcGlyph::Changed() {
  masked_valid_ = false;
  if (OnChange) {
    OnChange();
  }
}

void TSrcGlyph::CopyFrom(const TSrcGlyph& source) {
  if (&source == this) {
    return;
  }
  if (source.HasBuiltIn()) {
    built_in_ = source.built_in_;
    built_in_mask_ = source.built_in_mask_;
  }
  visible_ = source.visible_;
  glyph_ = source.glyph_;
  mask_color_ = source.mask_color_;
  Changed();
}

void TSrcGlyph::SetVisible(bool visible) {
  if (visible != visible_) {
    visible_ = visible;
    Changed();
  }
}

void TSrcGlyph::SetGlyph(const QImage& glyph) {
  if (glyph != glyph_) {
    glyph_ = glyph;
    Changed();
  }
}

void TSrcGlyph::SetMaskColor(TColor color) {
  if (color != mask_color_) {
    mask_color_ = color;
    Changed();
  }
}

int TSrcGlyph::GlyphWidth() const {
  if (!glyph_.isNull()) {
    return glyph_.width();
  }
  return built_in_.isNull() ? 0 : built_in_.width();
}

void TSrcGlyph::DrawGlyph(QPainter& painter, int x, int row_height, int y) const {
  const bool own = !glyph_.isNull();
  const QImage& picture = own ? glyph_ : built_in_;
  if (picture.isNull()) {
    return;
  }
  if (!masked_valid_) {
    masked_ = picture.convertToFormat(QImage::Format_ARGB32);
    const TColor mask = own ? mask_color_ : built_in_mask_;
    if (mask != clNone && mask != clDefault) {
      const QRgb key = ToQColor(mask).rgb() & 0xFFFFFF;
      for (int row = 0; row < masked_.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(masked_.scanLine(row));
        for (int col = 0; col < masked_.width(); ++col) {
          if ((line[col] & 0xFFFFFF) == key) {
            line[col] = 0;
          }
        }
      }
    }
    masked_valid_ = true;
  }
  DrawInRow(painter, masked_, masked_.rect(), x, y, row_height);
}

// --- image lists --------------------------------------------------------

void TImageList::Draw(QPainter& painter, int index, int x, int y) const {
  if (index < 0 || index >= Count()) {
    return;
  }
  painter.drawImage(QPoint(x, y), images_[static_cast<std::size_t>(index)]);
}

}  // namespace torvane
