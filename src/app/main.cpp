#include "Version.h"
#include "app/CommandLine.h"
#include "app/ConsoleDialogService.h"
#include "app/HeadlessQtMessages.h"
#include "app/MDIForm_Main.h"
#include "app/QtDialogService.h"
#include "app/QtTranslations.h"
#include "app/RunSummary.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "runtime/Platform.h"

#include <QApplication>
#include <QStringList>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>
#include <memory>

namespace {
const char* const kHelp =
    "Dorvex %s - bringt eine SQL-Datenbank auf den Stand einer neuen ZABRIX-Version.\n"
    "\n"
    "Aufruf: dorvex [Schalter]\n"
    "\n"
    "  -ODBC:<Name>       ODBC-Datenquelle (Vorgabe ZABSQL)\n"
    "  -user:<Name>       Benutzer der SQL-Datenbank (Vorgabe sa)\n"
    "  -pass:<Kennwort>   Kennwort des Benutzers\n"
    "  -MDBpfad:<Datei>   Pfad der Access-Datenbank\n"
    "  -XDBpfad:<Datei>   Pfad des XDB-Dokuments\n"
    "  -auto              unbeaufsichtigter Lauf: anmelden, konvertieren, abgleichen, Modul starten,\n"
    "                     beenden (nur hinter einem anderen Schalter wirksam)\n"
    "  -noerror           bestimmte Fehlermeldungen unterdrücken\n"
    "  -servertyp:<Typ>   Art des SQL-Servers: MSSQL (Vorgabe), MySQL, Oracle, Sybase oder DB2\n"
    "  -linux             Sybase-Server unter Linux (Option \"Linux\")\n"
    "  -bericht:<Datei>   am Ende des unbeaufsichtigten Laufs einen Bericht als JSON schreiben\n"
    "  -schnell           schnelle Übertragung: Datensätze in Transaktionen zu je 1000 Zeilen\n"
    "                     (mindestens einmal je Sekunde) bestätigen (Option \"Schnelle Übertragung\")\n"
    "  --help             diese Hilfe\n"
    "\n"
    "Werte mit Leerzeichen in Anführungszeichen setzen, z. B. -MDBpfad:\"/daten/ZAB neu.mdb\".\n"
    "Groß- und Kleinschreibung der Schalter beachten.\n"
    "\n"
    "Ohne Bildschirm gehen Meldungen, Fehlerprotokoll und Protokolldatei auf die\n"
    "Standardfehlerausgabe; jeder unbeaufsichtigte Lauf endet dort mit einer Zusammenfassung.\n"
    "Dauert das Kopieren einer Tabelle länger als 5 Sekunden, steht dort alle 5 Sekunden\n"
    "der Fortschritt mit Restzeit.\n"
    "\n"
    "Exit-Status:\n"
    "  0  jeder Schritt lief und alles ist angekommen\n"
    "  1  ein Schritt ist fehlgeschlagen\n"
    "  2  die Befehlszeile war nicht verwendbar\n"
    "  3  der Lauf ging bis zum Ende, aber etwas fehlt oder wurde übersprungen\n"
    "     (Tabelle [!Fehler!], abgelehnte Zeile, Zählunterschied, XDB-Zeile nicht angewandt,\n"
    "     Sicht nicht angelegt, Modul nicht gestartet, Bericht nicht geschrieben)\n";

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(kHelp, dorvex::version::text);
            return 0;
        }
    }
    // Without a display Qt would abort; the program then runs on the offscreen platform and
    // nobody can answer a dialog.
    rt::cacheLocalTimeZone();
    const bool display = hasDisplay();
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        dropQtPlatformChatter();

    QApplication app(argc, argv);
    installGermanQtTranslations(app);
    // The SQLite ODBC driver has no wide functions; unixODBC converts through the character locale.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");

    QtDialogService qtDialogs;
    ConsoleDialogService consoleDialogs;
    setDialogService(display && QGuiApplication::platformName() != QLatin1String("offscreen")
                         ? static_cast<DialogService*>(&qtDialogs)
                         : static_cast<DialogService*>(&consoleDialogs));
    // The service must not outlive its object, whichever way main() is left.
    const std::unique_ptr<void, void (*)(void*)> unsetDialogs(&qtDialogs, [](void*) { setDialogService(nullptr); });

    // The arguments come without the quotes the user typed; the command line gets them back.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    MDIForm_Main window;
    window.setEngineFactory([] { return sql::createOdbcEngine(); });
    window.show();
    window.Form_Load(joinArguments(arguments));
    if (window.endRequested())
        return window.exitCode();
    if (!dialogs().userPresent()) {
        // Nobody could ever use the window: only the unattended run makes sense here.
        std::fprintf(stderr, "Dorvex: Ohne Bildschirm ist nur der unbeaufsichtigte Lauf möglich "
                             "(-ODBC:... -auto); siehe dorvex --help.\n");
        return exitstatus::kUnusableCommandLine;
    }
    const int status = app.exec();
    return window.endRequested() ? window.exitCode() : status;
}
