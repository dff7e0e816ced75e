// Find, replace and go to line in the main window: the items of the 编辑 menu
// with their keys, and the find bar's place between editor and output pane.
#pragma once

#include <QObject>

class QAction;
class QMenu;

namespace torvane {

class TFAsmEd;
class TFindBar;

class TFindActions : public QObject {
  Q_OBJECT

 public:
  // Adds the items at the top of the window's 编辑 menu (made when missing).
  explicit TFindActions(TFAsmEd& window);

  void FindClick();          // Ctrl+F
  void FindNextClick();      // F3
  void FindPreviousClick();  // Shift+F3
  void ReplaceClick();       // Ctrl+H
  void GoToLineClick();      // Ctrl+G

  TFindBar* Bar = nullptr;
  QAction* Find = nullptr;
  QAction* FindNext = nullptr;
  QAction* FindPrevious = nullptr;
  QAction* Replace = nullptr;
  QAction* GoToLine = nullptr;

 private:
  void Repeat(bool backward);
  // Puts the bar into the splitter under the editor (or takes it out to the
  // end, hidden), so the editor gives up the room and the pane keeps its
  // height.
  void PlaceBar(bool shown);

  TFAsmEd& window_;
};

// The window's 编辑 menu, made between 选项 and 说明 when it is not there yet.
QMenu* EditMenu(TFAsmEd& window);

}  // namespace torvane
