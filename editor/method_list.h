// Method references (a code and an object) and ordered lists of them: the
// chains through which other components see an editor's key and mouse events.
#pragma once

#include <utility>
#include <vector>

namespace torvane {

// A handler: a function taking the object first, and the object. Two
// references are equal when both parts are, so a handler can be removed again.
template <typename... Args>
struct TMethod {
  using TCode = void (*)(void* object, Args...);

  TCode Code = nullptr;
  void* Object = nullptr;

  void operator()(Args... args) const { Code(Object, std::forward<Args>(args)...); }
  explicit operator bool() const { return Code != nullptr; }
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

namespace method_detail {

template <auto Member>
struct TMemberThunk;

template <typename Class, typename... Args, void (Class::*Member)(Args...)>
struct TMemberThunk<Member> {
  using TResult = TMethod<Args...>;
  static void Call(void* object, Args... args) {
    (static_cast<Class*>(object)->*Member)(std::forward<Args>(args)...);
  }
};

}  // namespace method_detail

// A method reference to a member function of `object`:
// MakeMethod<&TProposal::EditorKeyDown>(this).
template <auto Member, typename Class>
auto MakeMethod(Class* object) {
  using TThunk = method_detail::TMemberThunk<Member>;
  return typename TThunk::TResult{&TThunk::Call, static_cast<void*>(object)};
}

template <typename... Args>
class TMethodList {
 public:
  using TItem = TMethod<Args...>;

  void Add(TItem method) { items_.push_back(method); }
  // Removes the last entry equal to `method`; nothing when there is none.
  void Remove(TItem method) {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
      if (*it == method) {
        items_.erase(std::next(it).base());
        return;
      }
    }
  }
  int Count() const { return static_cast<int>(items_.size()); }
  // std::out_of_range outside 0 … Count - 1.
  TItem Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }

 private:
  std::vector<TItem> items_;
};

}  // namespace torvane
