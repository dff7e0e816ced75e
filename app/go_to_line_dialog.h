// The small dialog that asks for a line number.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane {

class TGoToLineDialog : public QDialog {
  Q_OBJECT

 public:
  TGoToLineDialog(int current, int count, QWidget* parent = nullptr);

  // The typed number clamped to 1..count; 0 when nothing usable was typed.
  int LineNumber() const;

  QLabel* Label = nullptr;
  QLineEdit* Edit = nullptr;
  QPushButton* OkButton = nullptr;
  QPushButton* CancelButton = nullptr;

 private:
  int count_;
};

// Asks through the dialog service; 0 when cancelled.
int AskLineNumber(QWidget* parent, int current, int count);

}  // namespace torvane
