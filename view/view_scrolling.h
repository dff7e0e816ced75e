// The scroll state the editing commands see, backed by the editor control:
// the scrolling commands move the view itself.
#pragma once

#include "editor/scrolling.h"

namespace torvane {

class TCustomSrcEdit;

class TSrcEditViewScrolling final : public TSrcEditScrolling {
 public:
  explicit TSrcEditViewScrolling(TCustomSrcEdit& edit) : edit_(edit) {}

  int LinesInWindow() const override;
  int CharsInWindow() const override;
  // Display rows: lines until word wrap is on.
  int TopLine() const override;
  void SetTopLine(int line) override;
  int LeftChar() const override;
  void SetLeftChar(int ch) override;
  void CentreCaretLine() override;
  void UpdateNow() override;

 private:
  TCustomSrcEdit& edit_;
};

}  // namespace torvane
