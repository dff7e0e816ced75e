// Running the handler chains: last added first, key chains stopping at 0,
// each guarded against running inside itself.
#include "editor/kbd_handler.h"

namespace torvane {
namespace {

// Sets a chain's running flag for a scope, also when a handler throws.
class TRunningFlag {
 public:
  explicit TRunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~TRunningFlag() { flag_ = false; }
  TRunningFlag(const TRunningFlag&) = delete;
  TRunningFlag& operator=(const TRunningFlag&) = delete;

 private:
  bool& flag_;
};

template <typename List, typename Stop, typename... Args>
void RunChain(bool& running, const List& list, Stop stop, Args&&... args) {
  if (running) {
    return;
  }
  TRunningFlag flag(running);
  // A handler may remove itself or others; re-check the count every step.
  for (int i = list.Count() - 1; i >= 0; --i) {
    if (i >= list.Count()) {
      continue;
    }
    list.Items(i)(args...);
    if (stop()) {
      return;
    }
  }
}

}  // namespace

void TSrcEditKbdHandler::RunKeyDown(TCustomSrcEdit* sender, std::uint16_t& key, TShiftState shift) {
  RunChain(
      in_key_down_, key_down_, [&] { return key == 0; }, sender, key, shift);
}

void TSrcEditKbdHandler::RunKeyUp(TCustomSrcEdit* sender, std::uint16_t& key, TShiftState shift) {
  RunChain(
      in_key_up_, key_up_, [&] { return key == 0; }, sender, key, shift);
}

void TSrcEditKbdHandler::RunKeyPress(TCustomSrcEdit* sender, char& ch) {
  RunChain(
      in_key_press_, key_press_, [&] { return ch == 0; }, sender, ch);
}

void TSrcEditKbdHandler::RunMouseDown(TCustomSrcEdit* sender, TMouseButton button,
                                      TShiftState shift, int x, int y) {
  RunChain(
      in_mouse_down_, mouse_down_, [] { return false; }, sender, button, shift, x, y);
}

void TSrcEditKbdHandler::RunMouseUp(TCustomSrcEdit* sender, TMouseButton button, TShiftState shift,
                                    int x, int y) {
  RunChain(
      in_mouse_up_, mouse_up_, [] { return false; }, sender, button, shift, x, y);
}

void TSrcEditKbdHandler::RunMouseCursor(TCustomSrcEdit* sender, TBufferPos pos,
                                        Qt::CursorShape& cursor) {
  RunChain(
      in_mouse_cursor_, mouse_cursor_, [] { return false; }, sender, pos, cursor);
}

}  // namespace torvane
