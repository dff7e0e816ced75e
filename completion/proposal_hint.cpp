// The collapsed-code hint shown by the completion proposal.
#include "completion/proposal_hint.h"

#include "completion/completion_proposal.h"
#include "completion/proposal_form.h"

namespace torvane {

void TProposalHint::ShowHint(TCustomSrcEdit& editor, const std::vector<std::string>& lines,
                             QPoint screen_point, const QFont& editor_font) {
  // An open list keeps its window, its typed word and the keyboard: turning
  // it into the hint would drop its close step and lose the next key.
  if (proposal_.Visible() && proposal_.Form().DisplayType() != ctHint) {
    return;
  }
  proposal_.ItemList() = lines;
  proposal_.SetEditor(&editor);
  proposal_.Form().SetCurrentEditor(&editor);
  // The editor's face and size in the proposal's own style.
  QFont font = proposal_.Font();
  font.setFamily(editor_font.family());
  if (editor_font.pixelSize() > 0) {
    font.setPixelSize(editor_font.pixelSize());
  } else {
    font.setPointSizeF(editor_font.pointSizeF());
  }
  proposal_.SetFont(font);
  proposal_.ShowProposal(std::string(), screen_point.x(), screen_point.y(), ctHint);
  proposal_.SetTag(1);
}

void TProposalHint::HideHint(TCustomSrcEdit& editor) {
  if (proposal_.Tag() == 0) {
    return;
  }
  proposal_.SetTag(0);
  // A list opened over the hint meanwhile stays.
  if (proposal_.Form().CurrentEditor() == &editor && proposal_.Form().DisplayType() == ctHint) {
    proposal_.CancelProposal();
  }
}

bool TProposalHint::HintVisible() const {
  return proposal_.Visible() && proposal_.Form().DisplayType() == ctHint;
}

}  // namespace torvane
