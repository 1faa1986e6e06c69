#include "platform/framework/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/framework/ResourceTypes.h"

bool InstallResourceLanguage() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return false;
  const QLocale language(QString::fromLatin1(ResourceLanguage()));
  QLocale::setDefault(language);
  // Owned by the application, so the texts last as long as it does.
  auto* translator = new QTranslator(application);
  if (!translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}
