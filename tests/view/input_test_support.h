// A shown offscreen editor whose commands are recorded, and mouse events at
// display positions, for the keyboard and mouse tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <string>
#include <vector>

#include "view/pixel_conversions.h"
#include "view/src_edit.h"

namespace torvane {

struct TRecordedCommand {
  TSrcEditorCommand Command;
  char Ch;
  std::string Text;  // ecImeStr's bytes
  friend bool operator==(const TRecordedCommand&, const TRecordedCommand&) = default;
};

inline void PrintTo(const TRecordedCommand& c, std::ostream* os) {
  *os << "{" << c.Command << ", " << static_cast<int>(c.Ch) << ", \"" << c.Text << "\"}";
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.resize(500, 300);
    // Records the commands the keyboard and mouse produce; swallowed while
    // `swallow` is set, so key tests see commands without their effects.
    edit.Controller().OnProcessCommand = [this](TSrcEditorCommand& c, char& ch, void* data) {
      if (c == ecFocusGained || c == ecFocusLost) {
        return;
      }
      std::string text;
      if (c == ecImeStr && data != nullptr) {
        text = *static_cast<std::string*>(data);
      }
      commands.push_back({c, ch, text});
      if (swallow) {
        c = ecNone;
      }
    };
    edit.show();
    edit.setFocus();
  }
  void SetText(int lines, const char* text) {
    for (int i = 0; i < lines; ++i) {
      edit.Lines().AppendLine(text);
    }
  }
  // Just right of the left edge of a display position's cell.
  QPoint At(int column, int row) const {
    const QPoint p = RowColumnToPixels(edit.Metrics(), {column, row});
    return {p.x() + 1, p.y() + edit.RowHeight() / 2};
  }
  void Send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
            Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent event(type, p, edit.viewport()->mapToGlobal(p), button, buttons, mods);
    QApplication::sendEvent(edit.viewport(), &event);
  }
  void Press(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mousePress(edit.viewport(), Qt::LeftButton, mods, p);
  }
  void DragTo(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, mods);
  }
  void Release(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseRelease(edit.viewport(), Qt::LeftButton, mods, p);
  }
  void SetOption(TSrcEditorOption option, bool on) {
    TSrcEditorOptions options = edit.Options();
    options.Set(option, on);
    edit.SetOptions(options);
  }
  void Click(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Press(p, mods);
    Release(p, mods);
  }

  TSrcEdit edit;
  std::vector<TRecordedCommand> commands;
  bool swallow = true;
};

}  // namespace torvane
