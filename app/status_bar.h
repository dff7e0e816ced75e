// The status bar of the 查看 menu: where the caret stands (line and
// character, display column), the selection's length, insert or overwrite,
// the selection mode, the code page, the line-break format and whether the
// text is modified. It follows the editor's status changes.
#pragma once

#include <QStatusBar>
#include <QString>

class QLabel;

namespace torvane {

class TSrcEditor;

// The texts the bar shows, computed without a widget.
struct TStatusTexts {
  QString Position;       // "行 3，字符 5": characters, not bytes
  QString Column;         // "列 9": cells from the line's start
  QString Selection;      // "选中 12"
  QString Mode;           // "插入" or "改写"
  QString SelectionMode;  // "普通", "行" or "列块"
  QString CodePage;       // the code page's name
  QString LineBreaks;     // "CRLF", "LF" or "CR"
  QString Modified;       // "已修改" or empty
};
TStatusTexts EditorStatusTexts(const TSrcEditor& editor);

class TEditorStatusBar : public QStatusBar {
 public:
  explicit TEditorStatusBar(QWidget* parent = nullptr);

  void ShowStatus(const TStatusTexts& texts);
  // The labels in the order shown, for tests.
  QStringList Texts() const;

 private:
  QLabel* AddLabel(const char* name);

  QLabel* position_ = nullptr;
  QLabel* column_ = nullptr;
  QLabel* selection_ = nullptr;
  QLabel* mode_ = nullptr;
  QLabel* selection_mode_ = nullptr;
  QLabel* code_page_ = nullptr;
  QLabel* line_breaks_ = nullptr;
  QLabel* modified_ = nullptr;
};

}  // namespace torvane
