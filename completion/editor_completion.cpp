// The component attached to editors: the key and command hooks, starting a
// completion at the caret, and completing inside one undo group.
#include <QCursor>

#include "completion/completion_proposal.h"
#include "completion/format_chunks.h"
#include "completion/proposal_form.h"
#include "editor/paint_hold.h"
#include "platform/codepage.h"
#include "view/src_edit.h"

namespace torvane {

TSrcCompletionProposal::TSrcCompletionProposal(QObject* parent)
    : TSrcBaseCompletionProposal(parent), shortcut_(torvane::ShortCut(VK_SPACE, ssCtrl)) {}

TSrcCompletionProposal::~TSrcCompletionProposal() {
  while (!attached_.empty()) {
    DetachEditor(attached_.back());
  }
}

void TSrcCompletionProposal::SetEditor(TCustomSrcEdit* editor) {
  editor_ = editor;
  if (editor != nullptr) {
    AttachEditor(editor);
  }
}

void TSrcCompletionProposal::SetTimerInterval(int ms) {
  timer_interval_ = ms;
  if (timer_) {
    timer_->setInterval(ms);
  }
}

bool TSrcCompletionProposal::IsAttached(const TCustomSrcEdit* editor) const {
  return std::find(attached_.begin(), attached_.end(), editor) != attached_.end();
}

void TSrcCompletionProposal::AttachEditor(TCustomSrcEdit* editor) {
  if (editor == nullptr || IsAttached(editor)) {
    return;
  }
  attached_.push_back(editor);
  connect(editor, &QObject::destroyed, this, &TSrcCompletionProposal::EditorDestroyed);
  editor->AddKeyDownHandler(MakeMethod<&TSrcCompletionProposal::EditorKeyDown>(this));
  editor->AddKeyPressHandler(MakeMethod<&TSrcCompletionProposal::EditorKeyPress>(this));
  editor->Controller().RegisterCommandHandler(this, editor);
}

void TSrcCompletionProposal::DetachEditor(TCustomSrcEdit* editor) {
  if (!IsAttached(editor)) {
    return;
  }
  if (Form().CurrentEditor() == editor) {
    CancelProposal();
    Form().SetCurrentEditor(nullptr);
  }
  std::erase(attached_, editor);
  disconnect(editor, &QObject::destroyed, this, &TSrcCompletionProposal::EditorDestroyed);
  editor->RemoveKeyDownHandler(MakeMethod<&TSrcCompletionProposal::EditorKeyDown>(this));
  editor->RemoveKeyPressHandler(MakeMethod<&TSrcCompletionProposal::EditorKeyPress>(this));
  editor->Controller().UnregisterCommandHandler(this, editor);
  if (editor_ == editor) {
    editor_ = nullptr;
  }
  if (timer_editor_ == editor) {
    timer_editor_ = nullptr;
  }
}

// Only QObject is left of the editor here, so it is compared as one and
// nothing of it is touched.
void TSrcCompletionProposal::EditorDestroyed(QObject* object) {
  const auto is_gone = [object](const TCustomSrcEdit* editor) {
    return editor != nullptr && static_cast<const QObject*>(editor) == object;
  };
  if (is_gone(Form().CurrentEditor())) {
    Form().SetCurrentEditor(nullptr);
    CancelProposal();
  }
  std::erase_if(attached_, is_gone);
  if (is_gone(editor_)) {
    editor_ = nullptr;
  }
  if (is_gone(timer_editor_)) {
    timer_editor_ = nullptr;
  }
}

void TSrcCompletionProposal::EditorKeyDown(TCustomSrcEdit* editor, std::uint16_t& key,
                                           TShiftState shift) {
  if (DefaultType() == ctCode && editor->ReadOnly()) {
    return;
  }
  if (shortcut_ != 0 && torvane::ShortCut(key, shift) == shortcut_) {
    key = 0;
    StartCompletion(editor);
  }
}

void TSrcCompletionProposal::EditorKeyPress(TCustomSrcEdit* editor, char& ch) {
  if (swallow_next_key_) {
    swallow_next_key_ = false;
    ch = 0;
    return;
  }
  if (timer_) {
    if (ch != 0 && TriggerChars().find(ch) != std::string::npos) {
      timer_editor_ = editor;
      timer_->start();
    } else {
      timer_->stop();
    }
  }
}

void TSrcCompletionProposal::HookedCommand(bool after_processing, bool& handled,
                                           TSrcEditorCommand& command, char&, void*,
                                           void* handler_data) {
  // The command that has a name but no action of the editor's own opens
  // the proposal, like the shortcut.
  if (!after_processing && command == ecAutoCompletion) {
    handled = true;
    StartCompletion(static_cast<TCustomSrcEdit*>(handler_data));
  }
}

void TSrcCompletionProposal::TriggerTyped(TCustomSrcEdit* editor) {
  if (timer_) {
    timer_editor_ = editor;
    timer_->start();
  }
}

void TSrcCompletionProposal::TimerFired() {
  if (timer_) {
    timer_->stop();
  }
  if (timer_editor_ != nullptr) {
    StartCompletion(timer_editor_);
  }
}

bool TSrcCompletionProposal::IsWordChar(const TCustomSrcEdit& editor, std::string_view line,
                                        std::size_t i) const {
  const auto code = static_cast<unsigned char>(line[i]);
  if (code <= 32 || EndOfTokenChr().find(line[i]) != std::string::npos) {
    return false;
  }
  if (Options().Has(scoConsiderWordBreakChars)) {
    return IsWordCharAt(editor.Model().WordChars(), line, i);
  }
  return true;
}

void TSrcCompletionProposal::StartCompletion(TCustomSrcEdit* editor) {
  if (editor == nullptr) {
    return;
  }
  if (Options().Has(scoUseBuiltInTimer) && !timer_) {
    timer_ = std::make_unique<QTimer>();
    timer_->setInterval(timer_interval_);
    connect(timer_.get(), &QTimer::timeout, this, &TSrcCompletionProposal::TimerFired);
  }
  Form().SetCurrentEditor(editor);
  const TSrcEditModel& model = editor->Model();
  QPoint point;
  if (DefaultType() == ctHint) {
    point = QCursor::pos();
  } else {
    const TDisplayPos caret = model.DisplayPos();
    const QPoint client(editor->ColumnToX(caret.Column),
                        (caret.Row - editor->FirstVisibleRow() + 1) * editor->RowHeight());
    point = editor->viewport()->mapToGlobal(client);
  }
  // The word is the run of word characters left of the caret.
  const std::string_view line = model.LineText(model.CaretLine());
  std::size_t end =
      std::min(static_cast<std::size_t>(std::max(model.CaretChar() - 1, 0)), line.size());
  std::size_t start = end;
  while (start > 0) {
    std::size_t previous = start - 1;
    while (previous > 0 && IsTrailByte(line, previous)) {
      --previous;
    }
    if (!IsWordChar(*editor, line, previous)) {
      break;
    }
    start = previous;
  }
  completion_start_ = static_cast<int>(start) + 1;
  ShowProposal(std::string(line.substr(start, end - start)), point.x(), point.y(), DefaultType());
  if (DefaultType() == ctCode) {
    swallow_next_key_ = Visible();
  }
}

void TSrcCompletionProposal::CancelProposal() {
  if (timer_) {
    timer_->stop();
  }
  swallow_next_key_ = false;
  TSrcBaseCompletionProposal::CancelProposal();
  if (OnCancelled) {
    OnCancelled(*this);
  }
}

void TSrcCompletionProposal::CancelFromForm() {
  TSrcBaseCompletionProposal::CancelFromForm();
  if (OnCancelled) {
    OnCancelled(*this);
  }
}

std::string TSrcCompletionProposal::CompletionValue(char end_char,
                                                    const std::string& selected) const {
  const TProposalList& list = Form().List();
  if (end_char != 0 && !Options().Has(scoEndCharCompletion)) {
    return selected;
  }
  if (Options().Has(scoUseInsertList)) {
    const int index =
        Options().Has(scoLimitToMatchedText) ? list.SelectedItemIndex() : list.Position();
    const std::vector<std::string>& inserts = InsertList();
    if (index < 0 || index >= static_cast<int>(inserts.size())) {
      return selected;
    }
    return inserts[static_cast<std::size_t>(index)];
  }
  if (list.Position() < 0 || list.Position() >= list.Count()) {
    return selected;
  }
  const std::string& item = list.Displayed()[static_cast<std::size_t>(list.Position())].Text;
  // Formatting commands are for the eye, not for the document.
  return Options().Has(scoUsePrettyText) ? StripFormatCommands(item) : item;
}

void TSrcCompletionProposal::CompleteFromForm(char end_char, TShiftState shift) {
  TCustomSrcEdit* editor = Form().CurrentEditor();
  if (editor == nullptr) {
    Form().CloseForm();
    return;
  }
  TSrcEditModel& model = editor->Model();
  TSrcEditController& controller = editor->Controller();
  std::string value;
  {
    TPaintHoldScope hold(model.PaintHold());
    TUndoGroupScope group(controller.UndoList());
    const int line = model.CaretLine();
    const std::string_view text = model.LineText(line);
    TBufferPos end = model.CaretPos();
    if (end_char == 0) {
      std::size_t i = static_cast<std::size_t>(end.Char - 1);
      while (i < text.size() && IsWordChar(*editor, text, i)) {
        i += static_cast<std::size_t>(CharLength(text, i));
      }
      end.Char = std::max(end.Char, static_cast<int>(i) + 1);
    }
    const TBufferPos start{std::clamp(completion_start_, 1, end.Char), line};
    // The word is replaced as a run of characters whatever the selection
    // mode: in line mode the selection would be the whole line.
    struct TModeBack {
      TSrcEditModel& model;
      TSrcSelectionMode mode;
      ~TModeBack() { model.SetSelectionMode(mode); }
    } mode_back{model, model.SelectionMode()};
    model.SetSelectionMode(smNormal);
    model.PlaceCaretAndSelection(end, start, end);
    const std::string selected = model.SelectedText();
    value = CompletionValue(end_char, selected);
    if (OnCodeCompletion) {
      OnCodeCompletion(*this, value, shift, Form().List().SelectedItemIndex(), end_char);
    }
    if (value != selected) {
      controller.InsertTextAtCaret(value);
    }
  }
  Form().CloseForm();
  editor->activateWindow();
  editor->setFocus();
  editor->ScrollCaretIntoView(false);
  model.SetCaretAndDeselect(model.CaretPos());
  if (OnAfterCodeCompletion) {
    OnAfterCodeCompletion(*this, value, shift, Form().List().SelectedItemIndex(), end_char);
  }
}

}  // namespace torvane
