// The editor that answers the standard edit-control messages, so code
// written for a plain multi-line edit control can query and change it.
#pragma once

#include <cstdint>

#include "view/src_edit.h"

namespace torvane {

class TSrcMemo : public TSrcEdit {
  Q_OBJECT

 public:
  using TSrcEdit::TSrcEdit;

  std::int64_t PosToCharIndex(TBufferPos pos) const;
  TBufferPos CharIndexToPos(std::int64_t index) const;
  // The selection's start and end (the caret without a selection).
  std::int64_t SelStartIndex() const;
  std::int64_t SelEndIndex() const;
  // Caret there, selection collapsed onto it.
  void SetSelStartIndex(std::int64_t index);
  // The selection's active end there.
  void SetSelEndIndex(std::int64_t index);

  std::intptr_t Perform(std::uint32_t message, std::uintptr_t wparam,
                        std::intptr_t lparam) override;

 private:
  // EM_REPLACESEL: the selection replaced by `text` in one undo group,
  // recorded only when `undoable`.
  void ReplaceSelectionMessage(bool undoable, const char* text);
};

}  // namespace torvane
