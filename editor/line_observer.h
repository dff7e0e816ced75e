// Per-line data kept outside the editor (the marks of assembler messages,
// say) follows the text through this. Lines count in the text with every
// block expanded, so collapsing and expanding a fold changes nothing here.
#pragma once

namespace torvane {

class ISrcEditLineObserver {
 public:
  virtual ~ISrcEditLineObserver() = default;
  // `count` lines were inserted before 1-based `line`.
  virtual void LinesInserted(int line, int count) = 0;
  // `count` lines from 1-based `line` on were removed.
  virtual void LinesDeleted(int line, int count) = 0;
  // The store was emptied (a new text, ClearAll).
  virtual void LinesCleared() = 0;
};

}  // namespace torvane
