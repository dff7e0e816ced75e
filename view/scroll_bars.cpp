// Scroll-bar settings and the custom bar's back-reference bookkeeping.
#include "view/scroll_bars.h"

namespace torvane {

TSrcEditScrollBar::~TSrcEditScrollBar() {
  if (scroll_bars_ != nullptr) {
    scroll_bars_->Forget(this);
  }
}

void TSrcEditScrollBar::CopyFrom(const TSrcEditScrollBar& source) {
  OnGetScrollInfo = source.OnGetScrollInfo;
  OnSetScrollInfo = source.OnSetScrollInfo;
  OnShowScrollBar = source.OnShowScrollBar;
  OnEnabledScrollBar = source.OnEnabledScrollBar;
}

TSrcScrollBars::~TSrcScrollBars() {
  if (vertical_ != nullptr && vertical_->scroll_bars_ == this) {
    vertical_->scroll_bars_ = nullptr;
  }
  if (horizontal_ != nullptr && horizontal_->scroll_bars_ == this) {
    horizontal_->scroll_bars_ = nullptr;
  }
}

void TSrcScrollBars::Changed() const {
  if (OnChange) {
    OnChange();
  }
}

void TSrcScrollBars::CopyFrom(const TSrcScrollBars& source) {
  if (&source == this) {
    return;
  }
  scroll_bars_ = source.scroll_bars_;
  style_ = source.style_;
  hint_color_ = source.hint_color_;
  hint_format_ = source.hint_format_;
  SetVertical(source.vertical_);
  SetHorizontal(source.horizontal_);
  Changed();
}

void TSrcScrollBars::SetScrollBars(TScrollStyle bars) {
  if (bars != scroll_bars_) {
    scroll_bars_ = bars;
    Changed();
  }
}

void TSrcScrollBars::SetStyle(TScrollBarsStyle style) {
  if (style != style_) {
    style_ = style;
    Changed();
  }
}

void TSrcScrollBars::Attach(TSrcEditScrollBar*& slot, TSrcEditScrollBar* bar) {
  TSrcEditScrollBar* old = slot;
  slot = bar;
  if (old != nullptr && old != vertical_ && old != horizontal_ && old->scroll_bars_ == this) {
    old->scroll_bars_ = nullptr;
  }
  if (bar == nullptr) {
    return;
  }
  // A bar names one owner, so another settings object that still names it
  // lets go; otherwise it would keep a reference the bar cannot clear.
  if (bar->scroll_bars_ != nullptr && bar->scroll_bars_ != this) {
    bar->scroll_bars_->Forget(bar);
  }
  bar->scroll_bars_ = this;
}

void TSrcScrollBars::Forget(const TSrcEditScrollBar* bar) {
  if (vertical_ == bar) {
    vertical_ = nullptr;
  }
  if (horizontal_ == bar) {
    horizontal_ = nullptr;
  }
}

}  // namespace torvane
