// The word-wrap options object.
#include "view/word_wrap.h"

namespace torvane {

TSrcWordWrap::TSrcWordWrap() : indicator_(kWrappedResource, clLime) {}

void TSrcWordWrap::CopyFrom(const TSrcWordWrap& other) {
  if (&other == this) {
    return;
  }
  enabled_ = other.enabled_;
  position_ = other.position_;
  style_ = other.style_;
  indicator_.CopyFrom(other.indicator_);
  Changed();
}

}  // namespace torvane
