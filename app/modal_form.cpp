#include "app/modal_form.h"

#include <QKeyEvent>

#include "platform/gui/dialogs.h"

namespace torvane {

void TModalForm::done(int result) {
  QDialog::done(result == QDialog::Rejected ? static_cast<int>(mrCancel) : result);
}

void TModalForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->ignore();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace torvane
