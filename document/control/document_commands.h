// The document control's command executor: the commands 901 to 913 (going
// back to the last change, case changes, printing, bookmarks, word and line
// selection); every other command goes to the editor's own executor.
#pragma once

#include <functional>

#include "editor/edit_controller.h"

namespace torvane {

// The document control's extra commands; none has a name or a key binding.
inline constexpr TSrcEditorCommand ecGotoStoredCaret = 901;
inline constexpr TSrcEditorCommand ecUpperCaseAuto = 902;
inline constexpr TSrcEditorCommand ecLowerCaseAuto = 903;
inline constexpr TSrcEditorCommand ecToggleCaseAuto = 904;
inline constexpr TSrcEditorCommand ecTitleCaseAuto = 905;
inline constexpr TSrcEditorCommand ecPrintDocument = 906;
inline constexpr TSrcEditorCommand ecClearBookmarks = 907;
inline constexpr TSrcEditorCommand ecDeleteWholeWord = 908;
inline constexpr TSrcEditorCommand ecSelectLine = 909;
inline constexpr TSrcEditorCommand ecSelectNextWord = 910;
inline constexpr TSrcEditorCommand ecSelectPrevWord = 911;
inline constexpr TSrcEditorCommand ecSelectNextLine = 912;
inline constexpr TSrcEditorCommand ecSelectPrevLine = 913;

class TSrcDocumentCommands : public TSrcEditController {
 public:
  using TSrcEditController::TSrcEditController;

  void ExecuteCommand(TSrcEditorCommand command, char ch, void* data) override;

  // Where the caret stood at the last text change (kept by the owner).
  std::function<TBufferPos()> StoredCaret;
  // Prints the document; `with_dialog` shows the print dialog first.
  std::function<void(bool with_dialog)> OnPrint;

 private:
  void TitleCaseSelection();
  void SelectLine();
  // Selects words forward (or backward) until one is not blank.
  void SelectWord(bool forward);
  void SelectLineAt(int line);
};

}  // namespace torvane
