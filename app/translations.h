// Qt's own texts (file dialogs, standard buttons, context menus of line
// edits) in the user's language, from the translations Qt installs.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace torvane {

// The system locale, or Simplified Chinese when none is set ("C", "POSIX"):
// the program's own texts are Chinese.
QLocale TranslationLocale();
// Loads qtbase_<locale>.qm from Qt's translations folder into app; false when
// there is none for the locale (Qt's texts then stay English).
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace torvane
