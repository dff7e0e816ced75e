// Lazily computed range states and the rescans after line-store changes.
#include "highlight/range_states.h"

#include <algorithm>

namespace torvane {

namespace {

// An insertion or deletion repaints to the end whatever the states do, so
// its rescan may stop early and leave the rest to be computed on demand: a
// pasted block of a million lines is not scanned until it is painted.
constexpr int kRescanAheadLimit = 4096;

}  // namespace

void TRangeStateCache::SetHighlighter(TSrcCustomHighlighter* highlighter) {
  highlighter_ = highlighter;
  known_ = 0;
  constant_ = 0;
  if (highlighter_ != nullptr && !highlighter_->HasRangeStates()) {
    highlighter_->ResetRangeState();
    constant_ = highlighter_->SaveRangeState();
  }
}

bool TRangeStateCache::Complete() const {
  return !Tracks() || known_ >= lines_.LineCount();
}

TRangeState TRangeStateCache::ScanLine(int index, TRangeState start) {
  if (index == 0) {
    highlighter_->ResetRangeState();
  } else {
    highlighter_->RestoreRangeState(start);
  }
  highlighter_->StartLine(lines_.GetLine(index), index);
  highlighter_->SkipToLineEnd();
  return highlighter_->SaveRangeState();
}

TRangeState TRangeStateCache::StartStateOf(int index) const {
  return index > 0 ? lines_.GetLineRange(index - 1) : 0;
}

TRangeState TRangeStateCache::StateAt(int index) {
  if (!Tracks()) {
    return highlighter_ != nullptr ? constant_ : lines_.GetLineRange(index);
  }
  index = std::min(index, lines_.LineCount() - 1);
  for (; known_ <= index; ++known_) {
    lines_.CacheLineRange(known_, ScanLine(known_, StartStateOf(known_)));
  }
  return lines_.GetLineRange(index);
}

void TRangeStateCache::StartScan(int index) {
  if (highlighter_ == nullptr) {
    return;
  }
  if (index <= 0) {
    highlighter_->ResetRangeState();
  } else {
    highlighter_->RestoreRangeState(StateAt(index - 1));
  }
}

void TRangeStateCache::LineScanned(int index) {
  if (Tracks() && index == known_ && index < lines_.LineCount()) {
    lines_.CacheLineRange(index, highlighter_->SaveRangeState());
    ++known_;
  }
}

bool TRangeStateCache::ComputeAhead(int count) {
  if (Complete()) {
    return false;
  }
  StateAt(std::min(known_ + count, lines_.LineCount()) - 1);
  return !Complete();
}

int TRangeStateCache::Rescan(int index, int limit, int fresh_end) {
  TRangeState previous = StartStateOf(index);
  for (int i = index;; ++i) {
    if (i >= limit) {
      known_ = i;  // the stored states from here on were never computed
      return i - 1;
    }
    const TRangeState state = ScanLine(i, previous);
    if (i >= fresh_end && state == lines_.GetLineRange(i)) {
      known_ = limit;  // from here on the old states hold again
      return i;
    }
    lines_.CacheLineRange(i, state);
    previous = state;
    if (i == lines_.LineCount() - 1 || i - index >= kRescanAheadLimit) {
      known_ = i + 1;
      return i;
    }
  }
}

void TRangeStateCache::BeforeLineReplaced(int index) {
  // The line's state before the change decides how far the change ripples.
  if (Tracks() && index >= known_ && index < lines_.LineCount()) {
    StateAt(index);
  }
}

TLineSpan TRangeStateCache::AfterLineReplaced(int index) {
  const int count = lines_.LineCount();
  if (!Tracks() || count == 0 || index < 0 || index >= count) {
    return {index, index};
  }
  if (known_ <= index) {
    // The state before the change was never computed (BeforeLineReplaced
    // did not run): the ripple is unknown, so everything below repaints.
    StateAt(index);
    return {index, count - 1};
  }
  // As the eager rescan: stop at the first line whose new end state equals
  // its old one. Below known_ the old states are stored; beyond it they are
  // scanned beside the new ones from the last old state.
  TRangeState previous = StartStateOf(index);
  TRangeState old_previous = previous;
  for (int i = index;; ++i) {
    const TRangeState state = ScanLine(i, previous);
    TRangeState old_state;
    if (i < known_) {
      old_state = lines_.GetLineRange(i);
    } else {
      old_state = ScanLine(i, old_previous);
    }
    lines_.CacheLineRange(i, state);
    if (state == old_state || i == count - 1) {
      known_ = std::max(known_, i + 1);
      return {index, i};
    }
    previous = state;
    old_previous = old_state;
  }
}

TLineSpan TRangeStateCache::AfterLinesInserted(int index, int count) {
  const TLineSpan span{index, lines_.LineCount() - 1};
  if (!Tracks() || index >= known_) {
    return span;  // nothing known below the lines above them
  }
  Rescan(index, known_ + count, index + count);
  return span;
}

TLineSpan TRangeStateCache::AfterLinesDeleted(int index, int count) {
  const TLineSpan span{index, lines_.LineCount() - 1};
  if (!Tracks() || index >= known_) {
    return span;
  }
  if (index + count >= known_ || index >= lines_.LineCount()) {
    known_ = std::min(index, lines_.LineCount());
    return span;
  }
  Rescan(index, known_ - count, index);
  return span;
}

TTokenAtPosition TRangeStateCache::TokenAt(int char_index, int line) {
  const int index = line - 1;
  if (highlighter_ == nullptr || index < 0 || index >= lines_.LineCount()) {
    return {};
  }
  const std::string_view text = lines_.GetLine(index);
  if (char_index <= 0 || char_index > static_cast<int>(text.size())) {
    return {};
  }
  StartScan(index);
  return FindTokenAt(*highlighter_, text, index, char_index);
}

}  // namespace torvane
