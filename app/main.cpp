// Program entry: the application object, the main window, the file named on
// the command line, the event loop.
#include <QIcon>
#include <clocale>
#include <csignal>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/recovery_keeper.h"
#include "app/translations.h"
#include "platform/gui/application.h"
#include "platform/gui/error_box.h"
#include "resources/resources.h"

int main(int argc, char** argv) {
  // The locale's codeset is the code page documents are read in.
  std::setlocale(LC_ALL, "");
  // Past a file size limit a write fails (and a save says so) rather than
  // the signal ending the program with the text unsaved.
  std::signal(SIGXFSZ, SIG_IGN);
  torvane::TApplication app(argc, argv);
  // Qt's own dialog texts (file dialogs, buttons) in the locale's language.
  torvane::InstallQtTranslations(app);
  QApplication::setWindowIcon(QIcon(QString::fromLatin1(torvane::kIconResource)));
  torvane::TFAsmEd window;
  window.show();
  // Opened as Open would; an unreadable file gets the open error and the
  // window stays; a name with no file yet starts an empty document of it.
  const std::string file = torvane::CommandLineFile(argc, argv);
  if (!file.empty()) {
    torvane::RunGuarded(&window, [&] { window.OpenOrStartNamedFile(file); });
  }
  // Work a program that died left unsaved is offered back.
  torvane::RunGuarded(&window, [&] { torvane::RecoveryKeeperOf(window)->OfferAtStart(); });
  return QApplication::exec();
}
