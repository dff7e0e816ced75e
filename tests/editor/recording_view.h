// A stand-in for the widget that records what the model asked of it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "editor/edit_model.h"
#include "editor/view_sink.h"

namespace torvane::testing {

class TRecordingView : public ISrcEditView {
 public:
  void InvalidateLines(int first, int last) override { invalidated.emplace_back(first, last); }
  void InvalidateLine(int line) override { invalidated.emplace_back(line, line); }
  void InvalidateGutterLines(int first, int last) override {
    gutter_invalidated.emplace_back(first, last);
  }
  void BeginCollectingInvalidation() override { ++collecting; }
  void EndCollectingInvalidation() override { --collecting; }
  void ScrollCaretIntoView() override { ++scrolls; }
  void UpdateScrollBars() override { ++scroll_bar_updates; }
  void UpdateCaret() override { ++caret_updates; }
  void CaretShapeChanged() override { ++caret_shape_changes; }
  bool IsActiveLineHighlighted() const override { return active_line; }
  bool HasFocus() const override { return true; }
  void OptionsChanged(TSrcEditorOptions, TSrcEditorOptions) override { ++option_changes; }
  void ReapplyScrollPositions(bool, bool) override {}
  void TabWidthChanged() override {}
  void LinesCleared() override { ++cleared; }
  void LinesBatchEnded() override { ++batches_ended; }
  void PaintTransient(TTransientType) override {}
  int WrapWidth() const override { return wrap_width; }

  void Reset() { *this = TRecordingView(); }

  std::vector<std::pair<int, int>> invalidated;
  std::vector<std::pair<int, int>> gutter_invalidated;
  int collecting = 0;
  int scrolls = 0;
  int scroll_bar_updates = 0;
  int caret_updates = 0;
  int caret_shape_changes = 0;
  int option_changes = 0;
  int cleared = 0;
  int batches_ended = 0;
  bool active_line = false;
  int wrap_width = 80;
};

// A model over the given lines with a recording view and a status log.
struct TModelFixture {
  explicit TModelFixture(std::vector<std::string> lines = {}) {
    model.SetView(&view);
    for (const std::string& l : lines) {
      model.Lines().AppendLine(l);
    }
    model.SetOnStatusChange([this](TSrcStatusChanges c) { status.push_back(c); });
    status.clear();
    view.Reset();
  }
  TSrcEditModel model;
  TRecordingView view;
  std::vector<TSrcStatusChanges> status;
};

}  // namespace torvane::testing
