// The model's side of code folding: which region set the folds use, the
// answer to option changes, and collapsing and expanding with caret and
// selection kept on the same text.
#include <algorithm>
#include <functional>

#include "editor/edit_model.h"
#include "editor/view_sink.h"
#include "folding/fold_scanner.h"
#include "highlight/custom_highlighter.h"

namespace torvane {

void TSrcEditModel::SyncFoldSettings() {
  TSrcCodeFolding& options = *code_folding_;
  folds_->SetRegions(options.HighlighterFoldRegions() && highlighter_ != nullptr
                         ? &highlighter_->FoldRegions()
                         : &options.FoldRegions());
  folds_->SetCaseSensitive(options.CaseSensitive());
  folds_->SetTabWidth(mapping_.TabWidth());
  folds_->SetRangeStates(&range_states_);
  folds_->SetTokenTracking(options.Enabled());
}

void TSrcEditModel::CodeFoldingChanged(TSrcCodeFoldingChange change) {
  SyncFoldSettings();
  if (change == fcEnabled && !code_folding_->Enabled()) {
    ExpandAllFolds();
  } else if (change == fcRescan) {
    RescanFolds();
  }
  InvalidateFoldsShown();
}

TBufferPos TSrcEditModel::ToExpandedPos(TBufferPos pos) const {
  return {pos.Char, folds_->ExpandedLineNumber(pos.Line)};
}

TBufferPos TSrcEditModel::FromExpandedPos(TBufferPos pos) const {
  bool hidden = false;
  const int line = folds_->PresentLineNumber(pos.Line, &hidden);
  return hidden ? TBufferPos{1, line} : TBufferPos{pos.Char, line};
}

TBufferPos TSrcEditModel::RevealExpandedLine(int line) {
  for (bool hidden = true; hidden;) {
    const int present = folds_->PresentLineNumber(line, &hidden);
    TSrcEditFoldRange* range = hidden ? folds_->CollapsedHeaderAt(present) : nullptr;
    if (range == nullptr || !ExpandFold(*range)) {
      break;
    }
  }
  return FromExpandedPos({1, line});
}

template <typename TChange>
void TSrcEditModel::KeepingPositions(TChange&& change) {
  TPaintHoldScope hold(paint_hold_);
  const TBufferPos caret = ToExpandedPos(caret_);
  const TBufferPos anchor = ToExpandedPos(anchor_);
  const TBufferPos active = ToExpandedPos(active_);
  ++fold_changes_;
  struct TDone {
    int& depth;
    ~TDone() { --depth; }
  } done{fold_changes_};
  change();
  // Folding moves no view: the caret is put back without scrolling to it.
  PlaceCaret(FromExpandedPos(caret), false);
  SetSelectionAnchor(FromExpandedPos(anchor));
  SetSelectionActiveEnd(FromExpandedPos(active));
  UpdateCurrentFoldRange();
}

bool TSrcEditModel::CollapseFold(TSrcEditFoldRange& range) {
  bool done = false;
  KeepingPositions([&] { done = folds_->CollapseRange(range); });
  return done;
}

bool TSrcEditModel::ExpandFold(TSrcEditFoldRange& range) {
  bool done = false;
  KeepingPositions([&] { done = folds_->ExpandRange(range); });
  return done;
}

void TSrcEditModel::ExpandAllFolds() {
  if (folds_->CollapsedCount() > 0) {
    KeepingPositions([this] { folds_->ExpandAll(); });
  }
}

void TSrcEditModel::RescanFolds() {
  SyncFoldSettings();
  current_fold_range_ = nullptr;
  KeepingPositions([this] { folds_->RescanFolds(); });
  InvalidateFoldsShown();
}

void TSrcEditModel::InvalidateFoldsShown() {
  // The text's marks and guides, and every box and line of the fold bar.
  InvalidateLines(-1, -1);
  if (view_ != nullptr) {
    view_->InvalidateGutterLines(-1, -1);
  }
}

void TSrcEditModel::RescanFoldsKeepingCollapsed() {
  SyncFoldSettings();
  current_fold_range_ = nullptr;
  folds_->RescanFoldsKeepingCollapsed();
  UpdateCurrentFoldRange();
  InvalidateFoldsShown();
}

bool TSrcEditModel::CaretOnFoldToken(bool* opening) const {
  const TFoldRegions* regions = folds_->Regions();
  if (regions == nullptr || lines_->LineCount() == 0) {
    return false;
  }
  std::string text(LineText(caret_.Line));
  if (!folds_->CaseSensitive()) {
    UpperCaseAscii(text);
  }
  const auto touches = [&](const std::string& token) {
    if (token.empty()) {
      return false;
    }
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + 1)) {
      const int p = static_cast<int>(at) + 1;
      if (p <= caret_.Char && caret_.Char <= p + static_cast<int>(token.size())) {
        return true;
      }
    }
    return false;
  };
  std::function<int(const TFoldRegions&)> search = [&](const TFoldRegions& set) {
    for (int i = 0; i < set.Count(); ++i) {
      const TFoldRegionItem& item = set.Item(i);
      if (const int inner = search(*item.SubRegions); inner != 0) {
        return inner;
      }
      if (touches(item.OpenToken)) {
        return 1;
      }
      if (touches(item.CloseToken)) {
        return 2;
      }
    }
    return 0;
  };
  const int found = search(*regions);
  if (opening != nullptr) {
    *opening = found == 1;
  }
  return found != 0;
}

void TSrcEditModel::UpdateCurrentFoldRange() {
  bool opening = false;
  TSrcEditFoldRange* now = nullptr;
  if (CaretOnFoldToken(&opening)) {
    now = opening ? folds_->Ranges().FindRangeStartingAt(caret_.Line)
                  : folds_->Ranges().FindRangeEndingAt(caret_.Line);
  }
  if (current_fold_range_ != nullptr && folds_->Ranges().IndexOf(current_fold_range_) < 0) {
    current_fold_range_ = nullptr;  // removed by an edit or a scan
  }
  if (now == current_fold_range_) {
    return;
  }
  if (current_fold_range_ != nullptr) {
    InvalidateLines(current_fold_range_->FirstLine, current_fold_range_->LastLine);
  }
  current_fold_range_ = now;
  if (now != nullptr) {
    InvalidateLines(now->FirstLine, now->LastLine);
  }
}

}  // namespace torvane
