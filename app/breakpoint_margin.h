// The debugger's margin beside the gutter: a red disc on each line with a
// breakpoint, a yellow arrow on the line the program stopped at. It takes
// room only while a breakpoint is set or a debugging session runs, so the
// window looks as before for a user who never sets one; a click in it
// toggles the line's breakpoint. Breakpoints are kept per file (lines of
// the expanded text) and follow inserted and deleted lines.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "editor/line_observer.h"
#include "view/side_column.h"

namespace torvane {

class TSrcEditor;

class TBreakpointMargin : public QObject, public ISrcEditSideColumn, public ISrcEditLineObserver {
 public:
  // `file_name` gives the name of the file in the editor (empty: unnamed).
  TBreakpointMargin(TSrcEditor& editor, std::function<std::string()> file_name);
  ~TBreakpointMargin() override;
  TBreakpointMargin(const TBreakpointMargin&) = delete;
  TBreakpointMargin& operator=(const TBreakpointMargin&) = delete;

  // The file in the editor's breakpoints.
  const std::set<int>& Lines() const;
  // Every file's (those without any left out).
  const std::map<std::string, std::set<int>>& AllLines() const { return lines_; }
  bool Has(int line) const { return Lines().count(line) != 0; }
  void Set(int line, bool on);
  void Toggle(int line) { Set(line, !Has(line)); }
  // Moves a breakpoint of the file in the editor (one on a line without code
  // goes to the next line with code).
  void Move(int from, int to);
  // The line the program stopped at in the file in the editor; 0: none.
  void SetCurrentLine(int line);
  int CurrentLine() const { return current_line_; }
  // While debugging the margin shows even without breakpoints.
  void SetActive(bool on);
  // After a click or Set changed a breakpoint of the file in the editor.
  std::function<void(int line, bool on)> OnChanged;

  int Width(const TCustomSrcEdit& editor) const override;
  void PaintRow(TCustomSrcEdit& editor, QPainter& painter, const QRect& cell, int line,
                bool first_row) override;
  void LinesInserted(int line, int count) override;
  void LinesDeleted(int line, int count) override;
  void LinesCleared() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::set<int>& Own();
  void Changed();
  std::string File() const { return file_name_(); }

  TSrcEditor& editor_;
  std::function<std::string()> file_name_;
  // Between a new text's start and its name: the lines coming in are the
  // new file's, not moves of the old one's.
  bool loading_ = false;
  std::map<std::string, std::set<int>> lines_;
  int current_line_ = 0;
  bool active_ = false;
};

}  // namespace torvane
