// The mark list and how its marks follow inserted and removed lines.
#include "editor/bookmarks.h"

#include <algorithm>

namespace torvane {

const TSrcEditMark* TSrcEditMarkList::FindBookmark(int number) const {
  for (const auto& mark : marks_) {
    if (mark->BookmarkNumber == number) {
      return mark.get();
    }
  }
  return nullptr;
}

void TSrcEditMarkList::Add(std::unique_ptr<TSrcEditMark> mark) {
  if (mark != nullptr) {
    marks_.push_back(std::move(mark));
  }
}

std::unique_ptr<TSrcEditMark> TSrcEditMarkList::TakeBookmark(int number) {
  for (auto it = marks_.begin(); it != marks_.end(); ++it) {
    if ((*it)->BookmarkNumber == number) {
      std::unique_ptr<TSrcEditMark> mark = std::move(*it);
      marks_.erase(it);
      return mark;
    }
  }
  return nullptr;
}

void TSrcEditMarkList::LinesInserted(int line, int count) {
  for (auto& mark : marks_) {
    if (mark->Line >= line) {
      mark->Line += count;
    }
  }
}

void TSrcEditMarkList::LinesDeleted(int line, int count) {
  for (auto& mark : marks_) {
    if (mark->Line >= line + count) {
      mark->Line -= count;
    } else if (mark->Line > line) {
      mark->Line = line;
    }
  }
}

}  // namespace torvane
