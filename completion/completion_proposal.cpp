// The base component: properties, showing and cancelling the window.
#include "completion/completion_proposal.h"

#include "completion/proposal_form.h"
#include "platform/codepage.h"
#include "view/src_edit.h"

namespace torvane {

QFont DefaultProposalFont() {
  // fontconfig picks the installed sans-serif face for this name.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  return font;
}

TSrcBaseCompletionProposal::TSrcBaseCompletionProposal(QObject* parent)
    : QObject(parent), font_(DefaultProposalFont()), title_font_(DefaultProposalFont()) {
  title_font_.setBold(true);
  form_ = std::make_unique<TSrcBaseCompletionProposalForm>(*this);
}

TSrcBaseCompletionProposal::~TSrcBaseCompletionProposal() = default;

bool TSrcBaseCompletionProposal::Visible() const {
  return form_->isVisible();
}

void TSrcBaseCompletionProposal::SetOptions(TSrcCompletionOptions options) {
  options_ = options;
  form_->List().SetOptions(options);
}

void TSrcBaseCompletionProposal::SetNbLinesInWindow(int lines) {
  nb_lines_in_window_ = std::max(lines, 1);
}

void TSrcBaseCompletionProposal::ShowProposal(std::string current_text, int x, int y,
                                              SrcCompletionType kind) {
  form_->SetDisplayType(kind);
  bool can_execute = true;
  if (OnExecute) {
    OnExecute(kind, *this, current_text, x, y, can_execute);
  }
  if (!can_execute || item_list_.empty()) {
    if (kind == ctParams) {
      form_->CloseForm();
    }
    return;
  }
  TCustomSrcEdit* editor = form_->CurrentEditor();
  if (kind == ctCode && editor != nullptr) {
    // The list lines up with the start of the typed word, which the editor
    // draws in cells.
    int cells = 0;
    for (std::size_t i = 0; i < current_text.size();
         i += static_cast<std::size_t>(CharLength(current_text, i))) {
      cells += CharCells(current_text, i);
    }
    x -= cells * editor->ColumnWidth();
  }
  TProposalList& list = form_->List();
  list.Assign(item_list_, &insert_list_, options_);
  form_->Measure();
  if (kind == ctCode) {
    list.SetCurrentString(current_text);
    form_->PlaceProposalForm(x, y);
    if (list.Count() > 0) {
      form_->ShowList();
    }
  } else {
    form_->PlaceProposalForm(x, y);
    form_->ShowHint();
  }
  if (form_->isVisible() && OnShow) {
    OnShow(*this);
  }
}

void TSrcBaseCompletionProposal::CancelProposal() {
  form_->CloseForm();
}

void TSrcBaseCompletionProposal::CompleteFromForm(char, TShiftState) {
  form_->CloseForm();
}

void TSrcBaseCompletionProposal::CancelFromForm() {
  form_->CloseForm();
  if (TCustomSrcEdit* editor = form_->CurrentEditor()) {
    if (QWidget* parent = editor->parentWidget()) {
      parent->setFocus();
    }
    editor->activateWindow();
    editor->setFocus();
  }
}

void TSrcBaseCompletionProposal::EditorCommand(TSrcEditorCommand command, char ch, void* data) {
  if (TCustomSrcEdit* editor = form_->CurrentEditor()) {
    editor->ProcessCommand(command, ch, data);
  }
}

}  // namespace torvane
