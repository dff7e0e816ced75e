// Keys in list mode: moving in the list, completing, cancelling, and the
// keys and characters the window passes on to its editor.
#include <QKeyEvent>

#include "completion/completion_proposal.h"
#include "completion/proposal_form.h"
#include "editor/commands.h"
#include "platform/codepage.h"
#include "view/src_edit.h"

namespace torvane {

bool TSrcBaseCompletionProposalForm::event(QEvent* event) {
  // A list left for another window (a click elsewhere) is cancelled rather
  // than left open without the keyboard.
  if (event->type() == QEvent::WindowDeactivate && display_type_ == ctCode && isVisible()) {
    owner_.CancelProposal();
    return true;
  }
  // Tab completes here; it must not move the focus.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void TSrcBaseCompletionProposalForm::keyPressEvent(QKeyEvent* event) {
  if (display_type_ != ctCode) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  const std::uint16_t key =
      VirtualKeyFromQt(event->key(), event->modifiers(), event->nativeScanCode());
  const TShiftState shift = ShiftStateFromQt(event->modifiers());
  switch (key) {
    case VK_BACK:
    case VK_LEFT:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_UP:
    case VK_DOWN:
    case VK_RIGHT:
    case VK_DELETE:
      ListKeyDown(key, shift);
      return;
    default:
      break;
  }
  if ((shift & (ssCtrl | ssAlt)) == 0 && !event->text().isEmpty()) {
    TypeInList(EncodeText(event->text()));
  }
}

void TSrcBaseCompletionProposalForm::EditorCommand(std::uint16_t command, char ch) {
  owner_.EditorCommand(command, ch);
}

void TSrcBaseCompletionProposalForm::ListKeyDown(std::uint16_t key, TShiftState shift) {
  const TSrcCompletionOptions options = owner_.Options();
  switch (key) {
    case VK_BACK:
    case VK_LEFT: {
      if (key == VK_BACK && (shift & ssShift) != 0) {
        break;
      }
      const TSrcEditorCommand command = key == VK_BACK ? ecDeleteLastChar : ecLeft;
      std::string current = list_.CurrentString();
      if (current.empty()) {
        EditorCommand(command);
        owner_.CancelFromForm();
        return;
      }
      // The last character, not the last byte.
      std::size_t last = 0;
      for (std::size_t i = 0; i < current.size();
           i += static_cast<std::size_t>(CharLength(current, i))) {
        last = i;
      }
      current.erase(last);
      list_.SetCurrentString(current);
      SyncScrollBar();
      EditorCommand(command);
      break;
    }
    case VK_TAB:
      if (options.Has(scoCompleteWithTab)) {
        owner_.CompleteFromForm(0, shift);
        return;
      }
      break;
    case VK_RETURN:
      if (options.Has(scoCompleteWithEnter)) {
        owner_.CompleteFromForm(0, shift);
        return;
      }
      break;
    case VK_ESCAPE:
      owner_.CancelFromForm();
      return;
    case VK_PRIOR:
      SelectAndNotify(std::max(list_.Position() - list_.VisibleLines(), 0));
      break;
    case VK_NEXT:
      SelectAndNotify(std::min(list_.Position() + list_.VisibleLines(), list_.Count() - 1));
      break;
    case VK_HOME:
      SelectAndNotify(0);
      break;
    case VK_END:
      SelectAndNotify(list_.Count() - 1);
      break;
    case VK_UP:
      SelectAndNotify((shift & ssCtrl) != 0 ? 0 : std::max(list_.Position() - 1, 0));
      break;
    case VK_DOWN:
      SelectAndNotify((shift & ssCtrl) != 0 ? list_.Count() - 1
                                            : std::min(list_.Position() + 1, list_.Count() - 1));
      break;
    case VK_RIGHT: {
      if (editor_ == nullptr) {
        break;
      }
      const TSrcEditModel& model = editor_->Model();
      const std::string_view line = model.LineText(model.CaretLine());
      const std::size_t at = static_cast<std::size_t>(model.CaretChar() - 1);
      const std::string next =
          at < line.size() ? std::string(line.substr(at, CharLength(line, at))) : " ";
      const bool ends_word =
          next == "\t" || next == " " ||
          (next.size() == 1 && owner_.EndOfTokenChr().find(next[0]) != std::string::npos);
      if (ends_word) {
        owner_.CancelFromForm();
      } else {
        list_.SetCurrentString(list_.CurrentString() + next);
        SyncScrollBar();
      }
      EditorCommand(ecRight);
      break;
    }
    case VK_DELETE:
      EditorCommand(ecDeleteChar);
      break;
    default:
      break;
  }
  update();
}

void TSrcBaseCompletionProposalForm::TypeInList(const std::string& text) {
  if (text.size() == 1) {
    TypeCharInList(text[0]);
    return;
  }
  if (!text.empty() && editor_ != nullptr) {
    std::string bytes = text;
    owner_.EditorCommand(ecImeStr, 0, &bytes);
  }
  owner_.CancelFromForm();
}

void TSrcBaseCompletionProposalForm::TypeCharInList(char ch) {
  const auto code = static_cast<unsigned char>(ch);
  if (code == '\b' || code == '\r' || code == 27 || code == '\t') {
    return;  // handled as keys
  }
  if (code < 32 || code > 'z') {
    EditorCommand(ecChar, ch);
    owner_.CancelFromForm();
    return;
  }
  TCustomSrcEdit* editor = editor_;
  if (owner_.EndOfTokenChr().find(ch) != std::string::npos) {
    owner_.CompleteFromForm(ch == ' ' ? 0 : ch, 0);
  }
  list_.SetCurrentString(list_.CurrentString() + ch);
  if (isVisible()) {
    SyncScrollBar();
  }
  EditorCommand(ecChar, ch);
  if (!isVisible() && owner_.TriggerChars().find(ch) != std::string::npos) {
    owner_.TriggerTyped(editor);
  }
  update();
}

}  // namespace torvane
