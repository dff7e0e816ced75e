// The hook for the collapsed-code hint. While the mouse rests on the mark of
// a collapsed block, the editor asks for the block's lines to be shown in a
// popup near it; the popup list (completion/) or the document control
// implements this and plugs itself in with TCustomSrcEdit::SetCollapsedCodeHint.
#pragma once

#include <QFont>
#include <QPoint>
#include <string>
#include <vector>

namespace torvane {

class TCustomSrcEdit;

struct TCollapsedCodeHintRequest {
  // The header line, then the hidden lines in document order: the
  // document's bytes (decode with platform/codepage), tabs replaced by
  // TabWidth blanks, the header without its appended mark. More than 41
  // hidden lines: the first 41, then "...".
  std::vector<std::string> Lines;
  // Top-left of the popup in screen coordinates: 2 pixels right of the
  // cell left of the first text column, 2 pixels below the header's row.
  QPoint ScreenPos;
  // The editor font's family and size.
  QFont Font;
};

class ISrcCollapsedCodeHint {
 public:
  virtual ~ISrcCollapsedCodeHint() = default;
  // Once when the mouse enters the mark of a collapsed block; moving within
  // the mark asks nothing more.
  virtual void ShowCollapsedCodeHint(TCustomSrcEdit& editor,
                                     const TCollapsedCodeHintRequest& request) = 0;
  // Once when a shown hint goes: the mouse left the mark, the block was
  // expanded, folding or the hint was switched off, or the editor was hidden.
  virtual void HideCollapsedCodeHint(TCustomSrcEdit& editor) = 0;
};

}  // namespace torvane
