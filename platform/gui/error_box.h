// The application's default error box and the guard that every menu and
// button handler runs under: an exception escaping the handler shows its
// message with an OK button, the rest of the handler is skipped, and the
// program goes on.
#pragma once

#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace torvane {

// A critical message box captioned with the application's title.
void ShowDefaultErrorBox(QWidget* parent, const QString& message);
// The message of the exception in flight (call inside a catch block).
QString CurrentExceptionMessage();

template <typename Handler>
void RunGuarded(QWidget* parent, Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (...) {
    ShowDefaultErrorBox(parent, CurrentExceptionMessage());
  }
}

}  // namespace torvane
