// The paint hold: a counter around compound changes. While it is above zero,
// caret and scroll-bar updates and status notifications are only collected;
// releasing it to zero delivers them once.
#pragma once

#include <functional>

#include "editor/editor_options.h"

namespace torvane {

class ISrcEditView;

class TPaintHold {
 public:
  void SetView(ISrcEditView* view) { view_ = view; }

  void Hold() { ++depth_; }
  void Release();
  bool IsHeld() const { return depth_ > 0; }
  int Depth() const { return depth_; }

  // Adds to the pending set and delivers at once when not held.
  void RaiseStatusChange(TSrcStatusChanges changes);
  TSrcStatusChanges PendingStatusChanges() const { return pending_; }
  // Updates the view now when not held, else when the hold ends.
  void RequestCaretUpdate();
  void RequestScrollBarUpdate();

  // Receives the pending set, which is then emptied. While no handler is
  // set, the set keeps accumulating.
  std::function<void(TSrcStatusChanges)> OnStatusChange;

 private:
  void Deliver();

  ISrcEditView* view_ = nullptr;
  int depth_ = 0;  // invariant: >= 0
  TSrcStatusChanges pending_;
  bool caret_pending_ = false;
  bool scroll_bars_pending_ = false;
};

// Holds painting for a scope, also when the scope is left by an exception.
class TPaintHoldScope {
 public:
  explicit TPaintHoldScope(TPaintHold& hold) : hold_(hold) { hold_.Hold(); }
  ~TPaintHoldScope() { hold_.Release(); }
  TPaintHoldScope(const TPaintHoldScope&) = delete;
  TPaintHoldScope& operator=(const TPaintHoldScope&) = delete;

 private:
  TPaintHold& hold_;
};

}  // namespace torvane
