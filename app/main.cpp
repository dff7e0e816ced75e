// Program entry: the application object, the main window, the file named on
// the command line, the event loop.
#include <QIcon>
#include <clocale>

#include "app/command_line.h"
#include "app/main_window.h"
#include "platform/gui/application.h"
#include "platform/gui/error_box.h"
#include "resources/resources.h"

int main(int argc, char** argv) {
  // The locale's codeset is the code page documents are read in.
  std::setlocale(LC_ALL, "");
  torvane::TApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(QString::fromLatin1(torvane::kIconResource)));
  torvane::TFAsmEd window;
  window.show();
  // Opened as Open would; an unreadable file gets the open error and the
  // window stays; a name with no file yet starts an empty document of it.
  const std::string file = torvane::CommandLineFile(argc, argv);
  if (!file.empty()) {
    torvane::RunGuarded(&window, [&] { window.OpenOrStartNamedFile(file); });
  }
  return QApplication::exec();
}
