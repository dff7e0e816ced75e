// The gutter marks of assembler errors and warnings: which lines carry one,
// kept in step with the text as lines come and go. Plain C++; the main
// window fills it after an assembly and the gutter draws it.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "editor/line_observer.h"

namespace torvane {

enum class TLineMarkKind { None, Warning, Error };

class TMessageMarks : public ISrcEditLineObserver {
 public:
  // An error and a warning on one line show as the error.
  void Add(int line, TLineMarkKind kind);
  void Clear();
  bool Empty() const { return marks_.empty(); }
  TLineMarkKind KindAt(int line) const;
  // "3:E 7:W": the marks in line order, for tests.
  std::string Dump() const;
  // Where a message (by its key, the pane line) now points: `line` when it
  // was tracked, moved as the lines before it came and went. Cleared with
  // the marks.
  void Track(int key, int line);
  std::optional<int> TrackedLine(int key) const;

  // Lines inserted before a mark move it down; a mark on a removed line goes
  // to the line that took its place (like bookmarks).
  void LinesInserted(int line, int count) override;
  void LinesDeleted(int line, int count) override;
  void LinesCleared() override;

  // After any change of the marks (the gutter repaints).
  std::function<void()> OnChange;

 private:
  void Changed() const;

  std::map<int, TLineMarkKind> marks_;  // invariant: no None, keys >= 1
  std::map<int, int> tracked_;          // message key -> line
};

}  // namespace torvane
