// Observers that keep a copy of the text (recovery records) also hear of
// lines changed in place: a line observer that implements this gets
// LineChanged as well.
#pragma once

namespace torvane {

class ISrcEditLineChangeObserver {
 public:
  virtual ~ISrcEditLineChangeObserver() = default;
  // The text of 1-based `line` (expanded text) changed in place.
  virtual void LineChanged(int line) = 0;
};

}  // namespace torvane
