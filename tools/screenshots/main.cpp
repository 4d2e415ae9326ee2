// screenshots: the program's own windows at work, saved as PNG files for the documentation.
//   screenshots OUTDIR MDB XDB      (data source ZABSQL with an empty database; see scripts/screenshot)
// Drives the real main window like a user: SQL login, "Access zu SQL", Access login, conversion
// of the marked tables, "XDB verarbeiten" with the document. Each picture shows one window
// maximised in the main window.
#include "app/ConsoleDialogService.h"
#include "app/MDIForm_Main.h"
#include "app/QtTranslations.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/FehlerProtokoll.h"
#include "diag/Session.h"
#include "diag/SingleInstance.h"
#include "runtime/Platform.h"
#include "workbench/Konvertierung.h"
#include "xdb/Abgleichen.h"

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// A user's click on the window's button of that name.
void click(QWidget& window, const char* button)
{
    window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

bool save(MDIForm_Main& window, QWidget& child, const QString& file)
{
    window.bringToFront(&child);
    if (QMdiSubWindow* sub = window.subWindowOf(&child))
        sub->showMaximized();
    settle();
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "screenshots: %s nicht geschrieben\n", qPrintable(file));
        return false;
    }
    std::printf("screenshots: %s\n", qPrintable(file));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "Aufruf: screenshots AUSGABEORDNER MDB XDB\n");
        return 2;
    }
    QApplication app(argc, argv);
    installGermanQtTranslations(app);
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");

    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir programFolder;  // the run's log file goes here, not beside this tool
    rt::setProgramFolder(programFolder.path());
    ConsoleDialogService console;
    setDialogService(&console);

    MDIForm_Main window;
    window.setEngineFactory([] { return sql::createOdbcEngine(); });
    window.resize(1100, 760);
    window.show();
    window.Form_Load(QStringLiteral("-ODBC:ZABSQL -user:sa -pass:demo -MDBpfad:\"%1\" -XDBpfad:\"%2\"")
                         .arg(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])));
    click(window, "Command3");  // SQL anmelden
    if (!session().Verbindung1) {
        std::fprintf(stderr, "screenshots: SQL-Anmeldung an ZABSQL fehlgeschlagen\n");
        return 1;
    }
    click(window, "Command1");  // Access zu SQL
    Konvertierung& conversion = SingleInstance<Konvertierung>::get();
    click(conversion, "Command4");  // Anmelden
    click(conversion, "Command2");  // Markierte Tabellen konvertieren
    bool ok = save(window, conversion, out + QStringLiteral("/conversion-window.png"));
    ok = save(window, SingleInstance<FehlerProtokoll>::get(), out + QStringLiteral("/error-log-window.png")) && ok;

    click(window, "Command2");  // XDB verarbeiten
    Abgleichen& reconciliation = SingleInstance<Abgleichen>::get();
    click(reconciliation, "Command8");  // XDB Verarbeiten
    ok = save(window, reconciliation, out + QStringLiteral("/reconciliation-window.png")) && ok;

    setDialogService(nullptr);
    return ok ? 0 : 1;
}
