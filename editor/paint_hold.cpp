// Delivery of the collected caret, scroll-bar and status updates.
#include "editor/paint_hold.h"

#include "editor/view_sink.h"

namespace torvane {

void TPaintHold::Release() {
  if (depth_ == 0) {
    return;  // unbalanced release: nothing is held
  }
  if (--depth_ > 0) {
    return;
  }
  // Hold again while delivering so that handlers which move the caret or
  // raise changes do not recurse into delivery.
  ++depth_;
  try {
    if (scroll_bars_pending_ && view_ != nullptr) {
      scroll_bars_pending_ = false;
      view_->UpdateScrollBars();
    }
    if (caret_pending_ && view_ != nullptr) {
      caret_pending_ = false;
      view_->UpdateCaret();
    }
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
  if (!pending_.Empty()) {
    Deliver();
  }
}

void TPaintHold::RaiseStatusChange(TSrcStatusChanges changes) {
  pending_ |= changes;
  if (!IsHeld()) {
    Deliver();
  }
}

void TPaintHold::RequestCaretUpdate() {
  if (IsHeld() || view_ == nullptr) {
    caret_pending_ = true;
    return;
  }
  view_->UpdateCaret();
}

void TPaintHold::RequestScrollBarUpdate() {
  if (IsHeld() || view_ == nullptr) {
    scroll_bars_pending_ = true;
    return;
  }
  view_->UpdateScrollBars();
}

void TPaintHold::Deliver() {
  if (!OnStatusChange || pending_.Empty()) {
    return;
  }
  const TSrcStatusChanges changes = pending_;
  pending_ = {};
  OnStatusChange(changes);
}

}  // namespace torvane
