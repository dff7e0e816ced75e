// The editor control as assistive technologies see it: an editable text
// whose offsets count characters of the expanded text (collapsed blocks'
// lines included). Reading goes through the control's character counts, so
// no call builds more text than it returns; edits go through the command
// path and undo like typing. A factory makes it for every TCustomSrcEdit.
#pragma once

#include <QAccessibleWidget>

namespace torvane {

class TCustomSrcEdit;
class TSrcEditAccessibleText;

class TSrcEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
 public:
  explicit TSrcEditAccessible(TCustomSrcEdit* edit);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QAccessible::State state() const override;
  QString text(QAccessible::Text kind) const override;

  // QAccessibleTextInterface
  void selection(int index, int* start, int* end) const override;
  int selectionCount() const override;
  void addSelection(int start, int end) override;
  void removeSelection(int index) override;
  void setSelection(int index, int start, int end) override;
  int cursorPosition() const override;
  void setCursorPosition(int position) override;
  QString text(int start, int end) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                           int* end) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                          int* end) const override;
  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                       int* end) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int start, int end) override;
  QString attributes(int offset, int* start, int* end) const override;

  // QAccessibleEditableTextInterface
  void deleteText(int start, int end) override;
  void insertText(int offset, const QString& text) override;
  void replaceText(int start, int end, const QString& text) override;

 private:
  TCustomSrcEdit& Edit() const;
  TSrcEditAccessibleText& Chars() const;
  // The unit of `boundary` holding `offset`: [*start, *end).
  void UnitAt(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const;
  // Selects [start, end) of the expanded text, opening collapsed blocks it
  // touches; the caret goes to `end`.
  void SelectRange(int start, int end);
};

// Registers the factory once; the control's constructor calls it.
void InstallSrcEditAccessibility();

}  // namespace torvane
