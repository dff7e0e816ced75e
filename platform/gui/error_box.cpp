// Default error box through the dialog service.
#include "platform/gui/error_box.h"

#include <QGuiApplication>
#include <new>

#include "platform/gui/dialogs.h"

namespace torvane {

QString CurrentExceptionMessage() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return QStringLiteral("Out of memory");
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

void ShowDefaultErrorBox(QWidget* parent, const QString& message) {
  TMessageRequest request;
  request.parent = parent;
  request.caption = QGuiApplication::applicationDisplayName();
  request.text = message;
  request.icon = TMsgIcon::Error;
  request.buttons = TMsgButtons::Ok;
  Dialogs().ShowMessage(request);
}

}  // namespace torvane
