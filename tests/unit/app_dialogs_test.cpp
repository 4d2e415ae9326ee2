#include "app/ConsoleDialogService.h"
#include "app/HeadlessQtMessages.h"
#include "app/QtDialogService.h"
#include "common/Fixtures.h"
#include "diag/FehlerProtokoll.h"
#include "diag/Module1.h"
#include "runtime/Platform.h"

#include <QFile>

#include <cstdio>
#include <gtest/gtest.h>

namespace {

TEST(FileFilter, OldFilterBecomesQtFilterInBothCases)
{
    EXPECT_EQ(translateFileFilter(QStringLiteral("Access|*.MDB")), QStringLiteral("Access (*.MDB *.mdb)"));
    EXPECT_EQ(translateFileFilter(QStringLiteral("XDB-Dokument|*.xdb|Alle Dateien|*.*")),
              QStringLiteral("XDB-Dokument (*.xdb *.XDB);;Alle Dateien (*)"));
    EXPECT_EQ(translateFileFilter(QStringLiteral("Datenbanken|*.mdb;*.accdb")),
              QStringLiteral("Datenbanken (*.mdb *.MDB *.accdb *.ACCDB)"));
    EXPECT_EQ(translateFileFilter(QString()), QString());
}

// Messages, the harmless answers to questions, and the log window and log file mirrored line by
// line, even when the file cannot be written; Qt's platform chatter is dropped.
TEST(ConsoleDialogs, MessagesAnswersAndLogsGoToTheStream)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ConsoleDialogService console(out);
    setDialogService(&console);
    console.message(QStringLiteral("ODBC-Datenquelle 'X' nicht gefunden!"));
    EXPECT_FALSE(console.askYesNo(QStringLiteral("Wollen Sie wirklich alle Tabellen pumpen ?"),
                                  QStringLiteral("Sicherheitsabfrage"), false));
    EXPECT_TRUE(console.askYesNo(QStringLiteral("LETZTE WARNUNG! Wollen Sie den Vorgang abbrechen ?"),
                                 QStringLiteral("Sicherheitsabfrage"), true));
    // A file where the Log folder belongs: the entry cannot be written.
    const QString folder = testsupport::tempFolder();
    QFile blocker(folder + QStringLiteral("/Log"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    rt::setProgramFolder(folder);
    Fehler_Protokollieren(QStringLiteral("ODBC"), 40002, QStringLiteral("28000: Access denied"),
                          QStringLiteral("MDIForm_Main"), QStringLiteral("Command3_Click"), QString(), QString());
    {
        FehlerProtokoll log;
        log.Add(QStringLiteral("Tabelle: Kunden\r\nS1000: kaputt"));
    }
    setDialogService(nullptr);
    rt::setProgramFolder(QString());
    const QString text = testsupport::readStream(out);
    std::fclose(out);
    for (const char* line :
         {"Dorvex: ODBC-Datenquelle 'X' nicht gefunden!\n",
          "Sicherheitsabfrage: Wollen Sie wirklich alle Tabellen pumpen ? -> Nein\n", "abbrechen ? -> Ja\n",
          "Protokolldatei: Modul: MDIForm_Main\tCode: Command3_Click\tLine: 0\n",
          "Protokolldatei: Quelle: ODBC\tFehler: 40002\t28000: Access denied\n",
          "Protokolldatei: Eintrag nicht geschrieben (", "Fehlerprotokoll: Tabelle: Kunden\n",
          "Fehlerprotokoll: S1000: kaputt\n"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << qPrintable(text);

    // Qt's remarks about the offscreen platform are chatter; anything else is not.
    EXPECT_TRUE(isQtPlatformChatter("default", QStringLiteral("This plugin does not support propagateSizeHints()")));
    EXPECT_TRUE(isQtPlatformChatter("default", QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set")));
    EXPECT_TRUE(isQtPlatformChatter("qt.qpa.fonts", QStringLiteral("Populating font family aliases took 50 ms")));
    EXPECT_FALSE(isQtPlatformChatter("default", QStringLiteral("QSqlDatabase: driver not loaded")));
}

}  // namespace
