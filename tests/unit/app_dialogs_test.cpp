#include "app/ConsoleDialogService.h"
#include "app/QtDialogService.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

QString readStream(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    QByteArray bytes;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, qsizetype(n));
    return QString::fromUtf8(bytes);
}

TEST(FileFilter, OldFilterBecomesQtFilterInBothCases)
{
    EXPECT_EQ(translateFileFilter(QStringLiteral("Access|*.MDB")), QStringLiteral("Access (*.MDB *.mdb)"));
    EXPECT_EQ(translateFileFilter(QStringLiteral("XDB-Dokument|*.xdb|Alle Dateien|*.*")),
              QStringLiteral("XDB-Dokument (*.xdb *.XDB);;Alle Dateien (*)"));
    EXPECT_EQ(translateFileFilter(QStringLiteral("Datenbanken|*.mdb;*.accdb")),
              QStringLiteral("Datenbanken (*.mdb *.MDB *.accdb *.ACCDB)"));
    EXPECT_EQ(translateFileFilter(QString()), QString());
}

TEST(ConsoleDialogs, MessagesGoToTheStreamAndQuestionsTakeTheHarmlessAnswer)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ConsoleDialogService console(out);
    console.message(QStringLiteral("ODBC-Datenquelle 'X' nicht gefunden!"));
    EXPECT_FALSE(console.askYesNo(QStringLiteral("Wollen Sie wirklich alle Tabellen pumpen ?"),
                                  QStringLiteral("Sicherheitsabfrage"), false));
    EXPECT_TRUE(console.askYesNo(QStringLiteral("LETZTE WARNUNG! Wollen Sie den Vorgang abbrechen ?"),
                                 QStringLiteral("Sicherheitsabfrage"), true));
    EXPECT_EQ(console.openFile(QStringLiteral("/daten/a.mdb"), QStringLiteral("Access|*.MDB")),
              QStringLiteral("/daten/a.mdb"));
    const QString text = readStream(out);
    std::fclose(out);
    EXPECT_TRUE(text.contains(QStringLiteral("Dorvex: ODBC-Datenquelle 'X' nicht gefunden!\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Sicherheitsabfrage: Wollen Sie wirklich alle Tabellen pumpen ? -> Nein")));
    EXPECT_TRUE(text.contains(QStringLiteral("abbrechen ? -> Ja")));
}

}  // namespace
