// What the editor keeps once an assistive technology has asked for it: the
// text in characters (editor/accessible_text.h) and the caret and selection
// last told. Events go out only while QAccessible is active: the text's
// changes once per batch, then caret and selection moves once per caret
// update, so a key costs one line's worth of work.
#pragma once

#include <QAccessible>
#include <QObject>
#include <cstdint>
#include <functional>
#include <utility>

#include "editor/accessible_text.h"

namespace torvane {

class TCustomSrcEdit;

// Whether an assistive technology listens and where events go: Qt's own
// unless replaced. Tests replace them, since a platform without an
// accessibility bridge (offscreen) never counts as active.
struct TAccessibilityHooks {
  std::function<bool()> Active;
  std::function<void(QAccessibleEvent*)> Send;
};
TAccessibilityHooks& AccessibilityHooks();
// Whether an assistive technology listens now.
bool Listening();

class TSrcEditAccessibility {
 public:
  explicit TSrcEditAccessibility(TCustomSrcEdit& edit);

  TSrcEditAccessibleText& Text() { return text_; }
  // The end of a batch of line changes: the gathered text changes go out.
  void BatchEnded();
  // After the caret was placed: a moved caret or changed selection is told.
  void CaretUpdated();

 private:
  TCustomSrcEdit& edit_;
  TSrcEditAccessibleText text_;
  std::int64_t caret_ = -1;
  std::pair<std::int64_t, std::int64_t> selection_{-1, -1};
};

// Offsets in Qt's interfaces are ints; a text beyond them reads as its
// first 2^31 - 1 characters.
inline int ClampOffset(std::int64_t offset) {
  return static_cast<int>(std::min<std::int64_t>(offset, 0x7FFFFFFF));
}

}  // namespace torvane
