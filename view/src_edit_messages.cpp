// The window-text messages every editor answers: the full text, its length,
// and replacing it.
#include "editor/edit_messages.h"
#include "view/src_edit.h"

namespace torvane {

std::intptr_t TCustomSrcEdit::Perform(std::uint32_t message, std::uintptr_t wparam,
                                      std::intptr_t lparam) {
  switch (message) {
    case WM_GETTEXT:
      return static_cast<std::intptr_t>(CopyToBuffer(Lines().GetAllText(),
                                                     reinterpret_cast<char*>(lparam),
                                                     static_cast<std::int64_t>(wparam)));
    case WM_GETTEXTLENGTH:
      return static_cast<std::intptr_t>(Lines().GetAllText().size());
    default:
      return 0;
  }
}

}  // namespace torvane
