// Key presses: key down through the chains and the key table to a command,
// typed text to the character or input-method string command, key up, and
// the input method's commit strings and queries.
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "platform/codepage.h"
#include "view/src_edit.h"
#include "view/src_edit_input.h"

namespace torvane {
namespace {

bool IsModifierKey(std::uint16_t key) {
  return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU;
}

bool IsTabKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
}

bool IsReturnOrEscape(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
         event->key() == Qt::Key_Escape;
}

// Tab without Ctrl and Alt is the one Qt's focus navigation takes.
bool IsFocusTab(const QKeyEvent* event) {
  return IsTabKey(event) && (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
}

}  // namespace

bool TSrcEditInput::KeyPressEvent(QKeyEvent* event) {
  if (IsFocusTab(event) && !want_tabs_) {
    return false;  // QWidget moves the focus on
  }
  if (IsReturnOrEscape(event) && !want_returns_) {
    event->ignore();  // the form's default or cancel button
    return true;
  }
  std::uint16_t key = VirtualKeyFromQt(event->key(), event->modifiers(), event->nativeScanCode());
  const TShiftState shift = ShiftStateFromQt(event->modifiers());
  KeyDown(key, shift);
  if ((shift & (ssCtrl | ssAlt)) != 0) {
    // Qt may report the plain letter as the text of Ctrl or Alt with a key;
    // such a key is a shortcut or nothing, never typing.
    command_consumed_ = false;
  } else {
    TypeText(event->text());
  }
  event->accept();
  return true;
}

void TSrcEditInput::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) {
    OnKeyDown(editor_, key, shift);
  }
  kbd_handler_.RunKeyDown(&editor_, key, shift);
  if (editor_.CodeFoldingEnabled()) {
    editor_.Controller().FoldKeyDown(key);
  }
  // A bare modifier is part of the next key, not a key of its own: passed
  // on it would end a pending chord.
  if (IsModifierKey(key)) {
    return;
  }
  const TSrcEditorCommand command =
      key == 0 ? ecNone : translator_.TranslateKey(keystrokes_, key, shift);
  if (command != ecNone) {
    key = 0;
    command_consumed_ = true;
    ProcessCommand(command, 0, nullptr);
  } else {
    command_consumed_ = false;
  }
}

void TSrcEditInput::TypeText(const QString& text) {
  if (text.isEmpty()) {
    return;
  }
  if (editor_.CodeFoldingEnabled() && text.size() == 1 && text[0].unicode() < 128 &&
      !editor_.Controller().FoldEditFilter(static_cast<char>(text[0].unicode()))) {
    command_consumed_ = false;
    return;
  }
  if (command_consumed_) {
    command_consumed_ = false;  // the key already ran its command
    return;
  }
  std::string bytes = EncodeText(text);
  if (bytes.size() == 1) {
    char ch = bytes[0];
    if (OnKeyPress) {
      OnKeyPress(editor_, ch);
    }
    kbd_handler_.RunKeyPress(&editor_, ch);
    if (ch != 0) {
      ProcessCommand(ecChar, ch, nullptr);
    }
  } else if (!bytes.empty()) {
    ProcessCommand(ecImeStr, 0, &bytes);
  }
}

bool TSrcEditInput::KeyReleaseEvent(QKeyEvent* event) {
  if (IsFocusTab(event) && !want_tabs_) {
    return false;
  }
  std::uint16_t key = VirtualKeyFromQt(event->key(), event->modifiers(), event->nativeScanCode());
  const TShiftState shift = ShiftStateFromQt(event->modifiers());
  if (OnKeyUp) {
    OnKeyUp(editor_, key, shift);
  }
  if (editor_.CodeFoldingEnabled()) {
    editor_.Model().UpdateCurrentFoldRange();
  }
  kbd_handler_.RunKeyUp(&editor_, key, shift);
  event->accept();
  return true;
}

bool TSrcEditInput::ShortcutOverride(QKeyEvent* event) {
  // Keys the key table binds (also as the second key of a pending chord)
  // belong to the editor, not to the window's menu shortcuts.
  if (IsFocusTab(event) && !want_tabs_) {
    return false;
  }
  const std::uint16_t key =
      VirtualKeyFromQt(event->key(), event->modifiers(), event->nativeScanCode());
  const TShiftState shift = ShiftStateFromQt(event->modifiers());
  if (key == 0 || IsModifierKey(key)) {
    return false;
  }
  bool ours = keystrokes_.FindKeyBinding(key, shift) >= 0;
  if (!ours && translator_.LastKey() != 0) {
    ours = keystrokes_.FindChordBinding(translator_.LastKey(), translator_.LastShift(), key,
                                        shift) >= 0;
  }
  if (ours) {
    event->accept();
    return true;
  }
  return false;
}

void TSrcEditInput::InputMethodEvent(QInputMethodEvent* event) {
  // Qt hands over a commit string once and sends no key presses for it, so
  // nothing that follows needs to be skipped.
  const QString commit = event->commitString();
  if (!commit.isEmpty()) {
    std::string bytes = EncodeText(commit);
    if (bytes.size() == 1) {
      ProcessCommand(ecChar, bytes[0], nullptr);
    } else {
      ProcessCommand(ecImeStr, 0, &bytes);
    }
  }
  event->accept();
}

void TSrcEditInput::InputMethodQuery(QInputMethodQueryEvent* event) {
  const Qt::InputMethodQueries queries = event->queries();
  for (int bit = 0; bit < 32; ++bit) {
    const auto query = static_cast<Qt::InputMethodQuery>(1u << bit);
    if ((queries & query) == 0) {
      continue;
    }
    switch (query) {
      case Qt::ImEnabled:
        event->setValue(query, true);
        break;
      case Qt::ImFont:
        event->setValue(query, editor_.Font());
        break;
      case Qt::ImCursorRectangle: {
        // The composition window opens at the caret, in the editor's own
        // coordinates.
        const TDisplayPos pos = editor_.Model().DisplayPos();
        const QRect cell(editor_.ColumnToX(pos.Column),
                         (pos.Row - editor_.FirstVisibleRow()) * editor_.RowHeight(),
                         editor_.ColumnWidth(), editor_.RowHeight());
        event->setValue(query, cell.translated(editor_.viewport()->pos()));
        break;
      }
      default:
        event->setValue(query, editor_.inputMethodQuery(query));
        break;
    }
  }
  event->accept();
}

}  // namespace torvane
