// An editor driven by commands over a recording view: the model, its command
// side and helpers to type, select and read the text back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/edit_controller.h"
#include "tests/editor/recording_view.h"

namespace torvane::testing {

struct TEditorFixture {
  explicit TEditorFixture(std::vector<std::string> lines = {}) : editor(model) {
    model.SetView(&view);
    for (const std::string& l : lines) {
      model.Lines().AppendLine(l);
    }
    editor.UndoList().Clear();
    editor.SetModified(false);
    model.SetCaretPos({1, 1});
  }

  void Cmd(TSrcEditorCommand command, char ch = 0, void* data = nullptr) {
    editor.ProcessCommand(command, ch, data);
  }
  void Type(std::string_view text) {
    for (const char c : text) {
      Cmd(ecChar, c);
    }
  }
  void Caret(int ch, int line) { model.SetCaretAndDeselect({ch, line}); }
  // Selects from anchor to active end, with the caret at the active end.
  void Select(TBufferPos anchor, TBufferPos active) {
    model.PlaceCaretAndSelection(active, anchor, active);
  }
  std::string Text() const { return model.Lines().GetAllText(); }
  std::string Line(int line) const { return std::string(model.LineText(line)); }
  // Kinds of the undo list's entries, oldest first, e.g. "ckInsert ckInsert".
  std::string UndoKinds() {
    std::string out;
    for (int i = 0; i < editor.UndoList().Count(); ++i) {
      if (!out.empty()) {
        out += ' ';
      }
      out += ChangeKindName(editor.UndoList().EntryAt(i).Kind);
    }
    return out;
  }

  TSrcEditModel model;
  TRecordingView view;
  TSrcEditController editor;
};

}  // namespace torvane::testing
