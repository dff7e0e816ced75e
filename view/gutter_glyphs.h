// Pictures the gutter draws: strips of equal images from the program's
// bitmaps shared by all editors (TSrcInternalImage), single glyphs with a
// transparent colour (TSrcGlyph) and the user's image lists (TImageList).
#pragma once

#include <QImage>
#include <QPainter>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/colors.h"

namespace torvane {

inline constexpr char kInternalImagesResource[] = "SrcEditInternalImages";
inline constexpr char kWrappedResource[] = "SrcEditWrapped";
inline constexpr int kBookmarkImageCount = 10;

// Draws `source` (part of a picture) into the row box at x: the middle band
// when the row is lower than the picture, else centred vertically.
void DrawInRow(QPainter& painter, const QImage& image, const QRect& source, int x, int row_top,
               int row_height);

// A strip of `count` equally wide images. Editors asking for the same bitmap
// (names compare without case) share one copy, freed with its last user.
class TSrcInternalImage {
 public:
  TSrcInternalImage(std::string_view resource_name, int count);
  ~TSrcInternalImage();
  TSrcInternalImage(const TSrcInternalImage&) = delete;
  TSrcInternalImage& operator=(const TSrcInternalImage&) = delete;

  int Count() const { return count_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Image `index` in the row box at x; an index outside the strip draws
  // nothing.
  void DrawImage(QPainter& painter, int index, int row_height, int y, int x) const;

  // The shared list, for tests: entries, and users of one bitmap.
  static int SharedEntryCount();
  static int UsageCount(std::string_view resource_name);

 private:
  const QImage* bitmap_ = nullptr;  // owned by the shared list
  std::string key_;                 // the upper-cased name
  int count_ = 0;
  int width_ = 0;
  int height_ = 0;
};

// A glyph: the user's picture, else a built-in one from the program's
// bitmaps; the mask colour is drawn transparent.
class TSrcGlyph {
 public:
  TSrcGlyph() = default;
  // Loads the built-in picture from a program bitmap.
  TSrcGlyph(std::string_view resource_name, TColor built_in_mask);
  TSrcGlyph(const TSrcGlyph&) = delete;
  TSrcGlyph& operator=(const TSrcGlyph&) = delete;

  // Copies the built-in picture (when the source has one), the visibility,
  // the user's picture and the mask colour; notifies once.
  void CopyFrom(const TSrcGlyph& source);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const QImage& Glyph() const { return glyph_; }
  void SetGlyph(const QImage& glyph);
  TColor MaskColor() const { return mask_color_; }
  void SetMaskColor(TColor color);
  bool HasBuiltIn() const { return !built_in_.isNull(); }
  TColor BuiltInMaskColor() const { return built_in_mask_; }

  // The user's picture's width, else the built-in one's, else 0.
  int GlyphWidth() const;
  void DrawGlyph(QPainter& painter, int x, int row_height, int y) const;

  std::function<void()> OnChange;

 private:
  void Changed();

  QImage built_in_;
  TColor built_in_mask_ = clNone;
  bool visible_ = true;
  QImage glyph_;
  TColor mask_color_ = clNone;
  // The picture in use with its mask colour made transparent.
  mutable QImage masked_;
  mutable bool masked_valid_ = false;
};

// A list of equally sized images the application gives the gutter for its
// marks (not owned by the editor).
class TImageList {
 public:
  TImageList(int width, int height) : width_(width), height_(height) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  void Add(const QImage& image) { images_.push_back(image); }
  // Image `index` with its top-left at (x, y); nothing outside the list.
  void Draw(QPainter& painter, int index, int x, int y) const;

 private:
  int width_;
  int height_;
  std::vector<QImage> images_;
};

}  // namespace torvane
