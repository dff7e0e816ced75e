// The view's scroll state as the commands see it: the window's size in lines
// and characters, the top line and the left character. The widget derives
// from it; the base keeps the positions by itself, so commands work (and can
// be tested) without a display.
#pragma once

#include <algorithm>

namespace torvane {

class TSrcEditScrolling {
 public:
  virtual ~TSrcEditScrolling() = default;

  virtual int LinesInWindow() const { return lines_in_window_; }
  virtual int CharsInWindow() const { return chars_in_window_; }
  virtual int TopLine() const { return top_line_; }
  virtual void SetTopLine(int line) { top_line_ = std::max(line, 1); }
  virtual int LeftChar() const { return left_char_; }
  virtual void SetLeftChar(int ch) { left_char_ = std::max(ch, 1); }
  // Scrolls so that the caret line stands in the middle of the window.
  virtual void CentreCaretLine() {}
  // Repaints what is invalid at once rather than at the next paint event.
  virtual void UpdateNow() {}

  // Size of the window for the built-in state (tests, no view).
  void SetWindowSize(int lines, int chars) {
    lines_in_window_ = std::max(lines, 1);
    chars_in_window_ = std::max(chars, 1);
  }

 private:
  int lines_in_window_ = 25;
  int chars_in_window_ = 80;
  int top_line_ = 1;
  int left_char_ = 1;
};

}  // namespace torvane
