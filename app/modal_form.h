// The base of the program's own modal forms: closing by the title bar gives
// mrCancel, and Enter and Escape do nothing (the forms have no default or
// cancel button).
#pragma once

#include <QDialog>

class QKeyEvent;

namespace torvane {

class TModalForm : public QDialog {
 public:
  using QDialog::QDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void done(int result) override;
};

}  // namespace torvane
