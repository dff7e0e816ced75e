// Firing the notification chain, with its listener error policy.
#include "highlight/notify_event_chain.h"

#include "platform/errors.h"

namespace torvane {

void TSrcNotifyEventChain::Remove(const void* receiver) {
  for (std::size_t i = events_.size(); i-- > 0;) {
    if (events_[i].Receiver == receiver) {
      events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(i));
      // Keep a running Fire on the listener after the one it is calling.
      if (cursor_ != nullptr && static_cast<std::ptrdiff_t>(i) <= *cursor_) {
        --*cursor_;
      }
    }
  }
}

void TSrcNotifyEventChain::Fire() {
  // Indexes rather than iterators: a listener may change the chain. The code
  // is copied so a listener that removes itself is not destroyed mid-call.
  std::ptrdiff_t i = 0;
  std::ptrdiff_t* const outer_cursor = cursor_;
  cursor_ = &i;
  struct Restore {
    std::ptrdiff_t*& cursor;
    std::ptrdiff_t* saved;
    ~Restore() { cursor = saved; }
  } restore{cursor_, outer_cursor};
  for (; i < static_cast<std::ptrdiff_t>(events_.size()); ++i) {
    const TNotifyEvent code = events_[static_cast<std::size_t>(i)].Code;
    if (!code) {
      continue;
    }
    try {
      code(sender_);
    } catch (...) {
      if (!on_exception_) {
        throw;
      }
      bool go_on = false;
      try {
        go_on = on_exception_(std::current_exception());
      } catch (...) {
        throw ESrcError(FormatMessage(
            "%s.DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler",
            "TSrcNotifyEventChain"));
      }
      if (!go_on) {
        return;
      }
    }
  }
}

TSrcComponent::TSrcComponent() : free_notifications_(this) {}

TSrcComponent::~TSrcComponent() {
  // A listener must not throw out of a destructor; errors are dropped here.
  free_notifications_.SetExceptionHandler([](std::exception_ptr) { return true; });
  free_notifications_.Fire();
}

}  // namespace torvane
