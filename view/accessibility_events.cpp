// Accessibility events of the editor: text changes, caret and selection.
#include "view/accessibility_events.h"

#include <QAccessible>

#include "view/src_edit.h"

namespace torvane {
namespace {

void Send(QAccessibleEvent& event) {
  const TAccessibilityHooks& hooks = AccessibilityHooks();
  if (hooks.Send) {
    hooks.Send(&event);
  } else {
    QAccessible::updateAccessibility(&event);
  }
}

}  // namespace

TAccessibilityHooks& AccessibilityHooks() {
  static TAccessibilityHooks hooks;
  return hooks;
}

bool Listening() {
  const TAccessibilityHooks& hooks = AccessibilityHooks();
  return hooks.Active ? hooks.Active() : QAccessible::isActive();
}

TSrcEditAccessibility::TSrcEditAccessibility(TCustomSrcEdit& edit)
    : edit_(edit), text_(edit.Model()) {
  text_.Collecting = Listening;
}

void TSrcEditAccessibility::BatchEnded() {
  if (!Listening()) {
    text_.TakeChanges();  // gathered before the listener left
    return;
  }
  for (const TAccessibleTextChange& change : text_.TakeChanges()) {
    const int position = ClampOffset(change.position);
    if (change.whole) {
      // Too much to carry: told as a change of nothing, after which a
      // reader reads again where the caret is.
      QAccessibleTextUpdateEvent event(&edit_, 0, QString(), QString());
      Send(event);
    } else if (!change.removed.isEmpty() && !change.inserted.isEmpty()) {
      QAccessibleTextUpdateEvent event(&edit_, position, change.removed, change.inserted);
      Send(event);
    } else if (!change.removed.isEmpty()) {
      QAccessibleTextRemoveEvent event(&edit_, position, change.removed);
      Send(event);
    } else {
      QAccessibleTextInsertEvent event(&edit_, position, change.inserted);
      Send(event);
    }
  }
}

void TSrcEditAccessibility::CaretUpdated() {
  if (!Listening()) {
    caret_ = -1;  // told afresh once a listener comes
    return;
  }
  const std::int64_t caret = text_.CaretOffset();
  const std::pair<std::int64_t, std::int64_t> selection = text_.SelectionOffsets();
  const bool had_selection = selection_.first != selection_.second;
  const bool changed = selection != selection_;
  selection_ = selection;
  // A caret move without a selection before or after is only a caret move.
  if (changed && (had_selection || selection.first != selection.second)) {
    QAccessibleTextSelectionEvent event(&edit_, ClampOffset(selection.first),
                                        ClampOffset(selection.second));
    event.setCursorPosition(ClampOffset(caret));
    Send(event);
  }
  if (caret != caret_) {
    caret_ = caret;
    QAccessibleTextCursorEvent event(&edit_, ClampOffset(caret));
    Send(event);
  }
}

}  // namespace torvane
