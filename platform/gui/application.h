// The program's application object: a QApplication whose event delivery
// shows any exception that escapes an event handler in the default error box
// instead of ending the program.
#pragma once

#include <QApplication>

namespace torvane {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace torvane
