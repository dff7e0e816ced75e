// Observers that report what an edit took out (accessibility events) hear of
// it while the old text is still there: a line observer that implements
// this gets these calls before the matching LineChanged and LinesDeleted.
#pragma once

#include <cstddef>

namespace torvane {

class ISrcEditLineEditObserver {
 public:
  virtual ~ISrcEditLineEditObserver() = default;
  // Bytes [from, size - tail) of 1-based `line` (expanded text) are about to
  // be replaced; the bytes around them stay.
  virtual void LineChanging(int line, std::size_t from, std::size_t tail) = 0;
  // `count` lines from 1-based `line` on are about to go.
  virtual void LinesDeleting(int line, int count) = 0;
};

}  // namespace torvane
