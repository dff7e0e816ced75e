// Bookmarks and other marks on lines: the list the editor keeps, moved along
// when lines are inserted above them or removed. The gutter draws them.
#pragma once

#include <memory>
#include <vector>

namespace torvane {

struct TSrcEditMark {
  int BookmarkNumber = -1;  // 0…9 for a bookmark, -1 for another mark
  int Char = 1;
  int Line = 1;
  bool Visible = true;
  bool IsBookmark() const { return BookmarkNumber >= 0; }
};

class TSrcEditMarkList {
 public:
  int Count() const { return static_cast<int>(marks_.size()); }
  const TSrcEditMark& At(int index) const { return *marks_[static_cast<std::size_t>(index)]; }
  // The bookmark with this number, or null.
  const TSrcEditMark* FindBookmark(int number) const;
  void Add(std::unique_ptr<TSrcEditMark> mark);
  // Removes the bookmark and returns it (null when there was none).
  std::unique_ptr<TSrcEditMark> TakeBookmark(int number);
  void Clear() { marks_.clear(); }

  // `count` lines were inserted before `line`: marks on it and below move down.
  void LinesInserted(int line, int count);
  // `count` lines from `line` on were removed: marks below move up; marks on
  // the removed lines stay on the line that took their place.
  void LinesDeleted(int line, int count);

 private:
  std::vector<std::unique_ptr<TSrcEditMark>> marks_;
};

}  // namespace torvane
