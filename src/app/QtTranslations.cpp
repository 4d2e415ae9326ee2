#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

bool installGermanQtTranslations(QCoreApplication& app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);  // lives as long as the application
    if (translator->load(QStringLiteral("qtbase_de"), folder) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    std::fprintf(stderr,
                 "Dorvex: Die deutschen Qt-Texte (%s/qtbase_de.qm, Paket qt6-translations-l10n) fehlen; "
                 "Qt-eigene Dialoge erscheinen auf Englisch.\n",
                 qPrintable(folder));
    return false;
}
