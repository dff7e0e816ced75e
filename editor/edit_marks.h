// Marks and numbered bookmarks on lines, and the ordered list the editor
// keeps of them. Marks follow the line store by themselves: the model passes
// every insertion and deletion of lines on to the list, so editing code never
// moves them. The gutter draws them.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "editor/positions.h"

namespace torvane {

class TSrcEditMark {
 public:
  // Called with a buffer line whose gutter row must be repainted.
  using TChangeHandler = std::function<void(int line)>;

  TSrcEditMark() = default;
  explicit TSrcEditMark(TChangeHandler on_change) : on_change_(std::move(on_change)) {}

  int Line() const { return line_; }
  // 0 means the mark stands on no line. A visible mark repaints the old row
  // and the new one.
  void SetLine(int line);
  int Char() const { return char_; }
  void SetChar(int ch) { char_ = ch; }
  TBufferPos Pos() const { return {char_, line_}; }
  int GlyphIndex() const { return glyph_index_; }
  void SetGlyphIndex(int index);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool UseBuiltInImage() const { return use_built_in_image_; }
  void SetUseBuiltInImage(bool use);
  // -1 for a plain mark, 0..9 for a numbered bookmark.
  int BookmarkSlot() const { return bookmark_slot_; }
  void SetBookmarkSlot(int slot) { bookmark_slot_ = slot; }
  bool IsNumberedBookmark() const { return bookmark_slot_ >= 0; }

  const TChangeHandler& ChangeHandler() const { return on_change_; }
  void SetChangeHandler(TChangeHandler handler) { on_change_ = std::move(handler); }

  // Line moves made by the list as lines come and go: the rows are repainted
  // by the line change itself.
  void MoveToLine(int line) { line_ = line; }

 private:
  void Repaint(int line) const;

  TChangeHandler on_change_;
  int line_ = 0;
  int char_ = 0;
  int glyph_index_ = 0;
  bool visible_ = false;
  bool use_built_in_image_ = false;
  int bookmark_slot_ = -1;
};

// Room for the marks of one line; the gutter looks at no more than these.
inline constexpr int kMaxLineMarks = 17;
using TSrcEditMarks = std::array<TSrcEditMark*, kMaxLineMarks>;

class TSrcEditMarkList {
 public:
  TSrcEditMarkList() = default;
  TSrcEditMarkList(const TSrcEditMarkList&) = delete;
  TSrcEditMarkList& operator=(const TSrcEditMarkList&) = delete;

  int Count() const { return static_cast<int>(marks_.size()); }
  bool Empty() const { return marks_.empty(); }
  TSrcEditMark& Item(int index) const { return *marks_.at(static_cast<std::size_t>(index)); }

  // Takes the mark (nullptr is ignored); a mark without a change handler of
  // its own gets the list's. Notifies.
  TSrcEditMark& Add(std::unique_ptr<TSrcEditMark> mark);
  // Frees the mark at `index` without notifying.
  void Delete(int index);
  // Frees the given mark when it is in the list, and notifies.
  void Remove(const TSrcEditMark* mark);
  // Hands the mark back instead of freeing it (nullptr when not in the
  // list); notifies.
  std::unique_ptr<TSrcEditMark> Extract(const TSrcEditMark* mark);
  void Clear();

  // The numbered bookmark in slot 0..9, or nullptr.
  TSrcEditMark* FindBookmark(int slot) const;
  // Fills `marks` with the marks of `line` in list order, nullptr after the
  // last one; returns how many there are (at most kMaxLineMarks).
  int CollectLineMarks(int line, TSrcEditMarks& marks) const;

  // `count` lines were inserted before 1-based `line`: marks on it and
  // below move down.
  void LinesInserted(int line, int count);
  // `count` lines from 1-based `line` on were removed: marks below move up;
  // marks on removed lines go to the line that took their place.
  void LinesDeleted(int line, int count);

  // Fired after add, remove and clear (the editor repaints the gutter).
  std::function<void()> OnChange;
  // Handed to marks added without a handler: repaints one gutter row.
  TSrcEditMark::TChangeHandler OnMarkChange;

 private:
  void Changed() const;

  std::vector<std::unique_ptr<TSrcEditMark>> marks_;  // invariant: no nullptr
};

}  // namespace torvane
