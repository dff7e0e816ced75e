// Program entry: the application object, the main window, the event loop.
#include <QIcon>
#include <clocale>

#include "app/main_window.h"
#include "platform/gui/application.h"
#include "resources/resources.h"

int main(int argc, char** argv) {
  // The locale's codeset is the code page documents are read in.
  std::setlocale(LC_ALL, "");
  torvane::TApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(QString::fromLatin1(torvane::kIconResource)));
  torvane::TFAsmEd window;
  window.show();
  return QApplication::exec();
}
