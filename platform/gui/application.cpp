// Exceptions stop at the event loop's edge and become the default error box.
#include "platform/gui/application.h"

#include <QWidget>

#include "platform/gui/error_box.h"

namespace torvane {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowDefaultErrorBox(activeWindow(), CurrentExceptionMessage());
    return true;
  }
}

}  // namespace torvane
