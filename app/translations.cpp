// Loading Qt's translations for the locale.
#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace torvane {

QLocale TranslationLocale() {
  const QLocale system = QLocale::system();
  if (system.language() == QLocale::C) {
    return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
  }
  return system;
}

bool InstallQtTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(TranslationLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace torvane
