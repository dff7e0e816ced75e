// The completion proposal as the popup of an editor's collapsed-code hint:
// the block's lines shown in the hint kind, in the editor's font, without
// taking the keyboard from the editor. Showing attaches the editor, so its
// shortcut then opens the same lines as a list. The editor decides when
// (view/collapsed_code_hint.h); this only shows and hides.
#pragma once

#include <QFont>
#include <QPoint>
#include <string>
#include <vector>

#include "view/collapsed_code_hint.h"

namespace torvane {

class TCustomSrcEdit;
class TSrcCompletionProposal;

class TProposalHint : public ISrcCollapsedCodeHint {
 public:
  explicit TProposalHint(TSrcCompletionProposal& proposal) : proposal_(proposal) {}

  // `lines`: the header, then the hidden lines, as they are listed. Shows
  // nothing while the proposal's list is open.
  void ShowHint(TCustomSrcEdit& editor, const std::vector<std::string>& lines, QPoint screen_point,
                const QFont& editor_font);
  // Closes the hint when it shows for this editor.
  void HideHint(TCustomSrcEdit& editor);
  bool HintVisible() const;

  void ShowCollapsedCodeHint(TCustomSrcEdit& editor,
                             const TCollapsedCodeHintRequest& request) override {
    ShowHint(editor, request.Lines, request.ScreenPos, request.Font);
  }
  void HideCollapsedCodeHint(TCustomSrcEdit& editor) override { HideHint(editor); }

 private:
  TSrcCompletionProposal& proposal_;
};

}  // namespace torvane
