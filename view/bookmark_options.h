// How the gutter shows marks (TSrcBookMarkOpt): the application's image
// list, the order of numbered bookmarks and other marks, and their spacing.
#pragma once

#include <functional>

namespace torvane {

class TImageList;

class TSrcBookMarkOpt {
 public:
  TSrcBookMarkOpt() = default;
  TSrcBookMarkOpt(const TSrcBookMarkOpt&) = delete;
  TSrcBookMarkOpt& operator=(const TSrcBookMarkOpt&) = delete;

  void CopyFrom(const TSrcBookMarkOpt& source) {
    images_ = source.images_;
    draw_bookmarks_first_ = source.draw_bookmarks_first_;
    enable_keys_ = source.enable_keys_;
    glyphs_visible_ = source.glyphs_visible_;
    left_margin_ = source.left_margin_;
    x_offset_ = source.x_offset_;
    Changed();
  }

  // Not owned; nullptr draws bookmarks from the built-in strip.
  const TImageList* BookmarkImages() const { return images_; }
  void SetBookmarkImages(const TImageList* images) { Store(images_, images); }
  bool DrawBookmarksFirst() const { return draw_bookmarks_first_; }
  void SetDrawBookmarksFirst(bool on) { Store(draw_bookmarks_first_, on); }
  // The bookmark keys work only while this is on.
  bool EnableKeys() const { return enable_keys_; }
  void SetEnableKeys(bool on) { Store(enable_keys_, on); }
  bool GlyphsVisible() const { return glyphs_visible_; }
  void SetGlyphsVisible(bool on) { Store(glyphs_visible_, on); }
  int LeftMargin() const { return left_margin_; }
  void SetLeftMargin(int pixels) { Store(left_margin_, pixels); }
  // Horizontal distance between the marks of one row.
  int Xoffset() const { return x_offset_; }
  void SetXoffset(int pixels) { Store(x_offset_, pixels); }

  std::function<void()> OnChange;

 private:
  template <typename T>
  void Store(T& field, T value) {
    if (field != value) {
      field = value;
      Changed();
    }
  }
  void Changed() const {
    if (OnChange) {
      OnChange();
    }
  }

  const TImageList* images_ = nullptr;
  bool draw_bookmarks_first_ = true;
  bool enable_keys_ = true;
  bool glyphs_visible_ = true;
  int left_margin_ = 2;
  int x_offset_ = 12;
};

}  // namespace torvane
