// Senders of notifications, components that can be loaded from a stored
// form, and the chain that fans one change out to every listener in turn.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace torvane {

// Anything that can be the sender of a notification.
class TSrcPersistent {
 public:
  virtual ~TSrcPersistent() = default;
};

using TNotifyEvent = std::function<void(TSrcPersistent* sender)>;

// One listener: the receiver identifies it for removal, the code is called.
struct TSrcNotifyEvent {
  const void* Receiver = nullptr;
  TNotifyEvent Code;
};

class TSrcNotifyEventChain {
 public:
  // Decides, for an error a listener raised, whether the next listener still
  // runs (true) or firing stops (false).
  using TExceptionHandler = std::function<bool(std::exception_ptr error)>;

  explicit TSrcNotifyEventChain(TSrcPersistent* sender) : sender_(sender) {}

  // Appends without a duplicate test.
  void Add(TSrcNotifyEvent event) { events_.push_back(std::move(event)); }
  // Removes every entry of the receiver.
  void Remove(const void* receiver);
  int Count() const { return static_cast<int>(events_.size()); }

  TSrcPersistent* Sender() const { return sender_; }
  void SetSender(TSrcPersistent* sender) { sender_ = sender; }
  void SetExceptionHandler(TExceptionHandler handler) { on_exception_ = std::move(handler); }

  // Calls every listener, in the order added, with the sender. A listener may
  // add or remove listeners while the chain fires.
  void Fire();

 private:
  std::vector<TSrcNotifyEvent> events_;
  TSrcPersistent* sender_;
  TExceptionHandler on_exception_;
  std::ptrdiff_t* cursor_ = nullptr;  // index of the listener being called, while firing
};

// A persistent object with the component's life cycle: it may be in the
// middle of being loaded from a stored form, and others may ask to hear of
// its destruction so they can drop their references.
class TSrcComponent : public TSrcPersistent {
 public:
  TSrcComponent();
  ~TSrcComponent() override;
  TSrcComponent(const TSrcComponent&) = delete;
  TSrcComponent& operator=(const TSrcComponent&) = delete;

  bool Loading() const { return loading_; }
  // Marks the start of loading stored properties; Loaded ends it.
  void BeginLoading() { loading_ = true; }
  // The after-load step.
  virtual void Loaded() { loading_ = false; }

  // Receivers told (with this component as sender) when it is destroyed.
  void AddFreeNotification(TSrcNotifyEvent event) { free_notifications_.Add(std::move(event)); }
  void RemoveFreeNotification(const void* receiver) { free_notifications_.Remove(receiver); }

 private:
  bool loading_ = false;
  TSrcNotifyEventChain free_notifications_;
};

}  // namespace torvane
