// Marks, their repaint rules, and the mark list that follows line changes.
#include "editor/edit_marks.h"

#include <algorithm>

namespace torvane {

void TSrcEditMark::Repaint(int line) const {
  if (on_change_) {
    on_change_(line);
  }
}

void TSrcEditMark::SetLine(int line) {
  if (!visible_) {
    line_ = line;
    return;
  }
  if (line_ > 0) {
    Repaint(line_);
  }
  line_ = line;
  if (line_ > 0) {
    Repaint(line_);
  }
}

void TSrcEditMark::SetGlyphIndex(int index) {
  glyph_index_ = index;
  if (visible_ && line_ > 0) {
    Repaint(line_);
  }
}

void TSrcEditMark::SetVisible(bool visible) {
  visible_ = visible;
  if (line_ > 0) {
    Repaint(line_);
  }
}

void TSrcEditMark::SetUseBuiltInImage(bool use) {
  use_built_in_image_ = use;
  if (visible_ && line_ > 0) {
    Repaint(line_);
  }
}

// --- the list -----------------------------------------------------------

void TSrcEditMarkList::Changed() const {
  if (OnChange) {
    OnChange();
  }
}

TSrcEditMark& TSrcEditMarkList::Add(std::unique_ptr<TSrcEditMark> mark) {
  if (mark == nullptr) {
    mark = std::make_unique<TSrcEditMark>();
  }
  if (!mark->ChangeHandler() && OnMarkChange) {
    mark->SetChangeHandler(OnMarkChange);
  }
  marks_.push_back(std::move(mark));
  Changed();
  return *marks_.back();
}

void TSrcEditMarkList::Delete(int index) {
  if (index < 0 || index >= Count()) {
    return;
  }
  marks_.erase(marks_.begin() + index);
}

std::unique_ptr<TSrcEditMark> TSrcEditMarkList::Extract(const TSrcEditMark* mark) {
  const auto it =
      std::find_if(marks_.begin(), marks_.end(), [mark](const auto& m) { return m.get() == mark; });
  if (it == marks_.end()) {
    return nullptr;
  }
  std::unique_ptr<TSrcEditMark> taken = std::move(*it);
  marks_.erase(it);
  Changed();
  return taken;
}

void TSrcEditMarkList::Remove(const TSrcEditMark* mark) {
  Extract(mark);
}

void TSrcEditMarkList::Clear() {
  marks_.clear();
  Changed();
}

TSrcEditMark* TSrcEditMarkList::FindBookmark(int slot) const {
  for (const auto& mark : marks_) {
    if (mark->IsNumberedBookmark() && mark->BookmarkSlot() == slot) {
      return mark.get();
    }
  }
  return nullptr;
}

int TSrcEditMarkList::CollectLineMarks(int line, TSrcEditMarks& marks) const {
  marks.fill(nullptr);
  int found = 0;
  for (const auto& mark : marks_) {
    if (mark->Line() != line) {
      continue;
    }
    marks[static_cast<std::size_t>(found)] = mark.get();
    if (++found == kMaxLineMarks) {
      break;
    }
  }
  return found;
}

void TSrcEditMarkList::LinesInserted(int line, int count) {
  for (auto& mark : marks_) {
    if (mark->Line() >= line) {
      mark->MoveToLine(mark->Line() + count);
    }
  }
}

void TSrcEditMarkList::LinesDeleted(int line, int count) {
  for (auto& mark : marks_) {
    if (mark->Line() >= line + count) {
      mark->MoveToLine(mark->Line() - count);
    } else if (mark->Line() > line) {
      mark->MoveToLine(line);
    }
  }
}

}  // namespace torvane
