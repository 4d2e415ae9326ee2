// An XDB document applied through the reconciliation window to real databases: SQLite and
// MariaDB through unixODBC.
#include "common/FakeMainWindow.h"
#include "common/ScriptedDialogs.h"
#include "common/Servers.h"
#include "../widgets/xdb_document.h"

#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "xdb/Abgleichen.h"

#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

namespace {

using namespace xdbdoc;
using testsupport::ScratchDatabase;

class XdbOnServer : public ::testing::Test {
protected:
    void open(ScratchDatabase::Kind kind, ServerKind serverKind)
    {
        db = std::make_unique<ScratchDatabase>(kind);
        engine = sql::createOdbcEngine();
        env = engine->createEnvironment(QStringLiteral("0Dorvex"), QString(), QString());
        folder = testsupport::beginSession(mw);
        runReport().reset();
        mw.kind = serverKind;
        session().Verbindung1 = env->openConnection(db->dsn());
    }
    void TearDown() override
    {
        window.reset();
        testsupport::endSession();
    }

    void exec(const QString& statement) { session().Verbindung1->execute(statement, sql::kExecDirect); }
    QVariant value(const QString& query) { return testsupport::firstValue(*session().Verbindung1, query); }
    QStringList columns(const QString& table)
    {
        session().Verbindung1->refreshTables();
        auto t = session().Verbindung1->table(table);
        t->refreshColumns();
        return t->columnNames();
    }
    QStringList run(const QStringList& lines)
    {
        window = std::make_unique<Abgleichen>();
        window->Text_XDB->setText(write(folder + "/ZAB.XDB", bytes(lines)));
        window->XDB_Verarbeiten();
        QStringList out;
        for (int i = 0; i < window->List1->count(); ++i)
            out << window->List1->item(i)->text();
        return out;
    }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::unique_ptr<ScratchDatabase> db;
    std::unique_ptr<sql::Engine> engine;
    std::shared_ptr<sql::Environment> env;
    std::unique_ptr<Abgleichen> window;
    QString folder;
};

int countStartingWith(const QStringList& l, const QString& prefix)
{
    int n = 0;
    for (const QString& s : l)
        n += s.startsWith(prefix);
    return n;
}

TEST_F(XdbOnServer, SqliteTakesTheBracketedFormAndTheRunGoesOnPastFailures)
{
    REQUIRE_SQLITE();
    open(ScratchDatabase::Kind::Sqlite, ServerKind::MSSQL);
    exec("CREATE TABLE Artikel (Nr INTEGER, Name VARCHAR(40))");
    exec("CREATE TABLE Kunde (Nr INTEGER, PLZ VARCHAR(5))");
    exec("INSERT INTO Artikel (Nr, Name) VALUES (1, 'Schraube')");
    exec("INSERT INTO Artikel (Nr, Name) VALUES (2, 'Mutter')");

    const QStringList report = run({
        "[felder]", key22("tabelle", "Artikel"), feld("Größe", 10, 20), feld("GRÖßE", 10, 20), feld("Gewicht", 7, 0),
        "[renamefield]", key24("tabelle", "Kunde"), renameFeld("PLZ", "Postleitzahl"),
        "[renametable]", renameTabelle("Kunde", "Kunden"),
        "[Indizes]", key22("tabelle", "Artikel"), key22("name", "IX_Name"), key22("attribute", "0"),
        key22("felderanzahl", "1"), key22("feld", "Name"),
        oldHeader("Kunde"), oldFeld("Bemerkung", 12, 0), oldFeld("Kz", 10, 1, "\"\""),
        "[querys]", key22("name", "View_Größe"),
        key22("SQL", "SELECT DISTINCTROW [Artikel].[Nr], [Artikel].[Größe] FROM [Artikel] WHERE [Artikel].[Name]=\"Schraube\";"),
    });

    // Each field once, whatever the case of the second line.
    EXPECT_EQ(columns("Artikel"), (QStringList{"Nr", "Name", "Größe", "Gewicht"}));
    EXPECT_EQ(countStartingWith(report, "\tALTER TABLE [Artikel]  ADD [Größe] VARCHAR(20)"), 1);
    EXPECT_EQ(columns("Kunde"), (QStringList{"Nr", "PLZ", "Bemerkung", "Kz"}));
    // SQLite has no sp_rename and no sysindexes: both are reported and the run goes on.
    EXPECT_TRUE(report.contains("\tPLZ  ->  Postleitzahl"));
    EXPECT_EQ(countStartingWith(report, "S1000:"), 1) << report.join("\n").toStdString();  // sp_rename
    EXPECT_EQ(countStartingWith(report, "S0002:"), 1) << report.join("\n").toStdString();  // sysindexes
    EXPECT_TRUE(report.contains("Tabelle umbenennen: Kunde  ->  Kunden  [noch nicht implementiert]"));
    EXPECT_TRUE(report.contains("Abfrage/Sicht erstellen: View_Größe"));
    EXPECT_EQ(value("SELECT COUNT(*) FROM View_Größe").toInt(), 1);
    EXPECT_EQ(dialogs.messages(), QStringList{"Die ZAB.XDB wurde abgearbeitet."});
    EXPECT_TRUE(session().FehlerAufgetreten);

    // A second run finds everything in place: no ALTER TABLE again.
    const QStringList again = run({"[felder]", key22("tabelle", "Artikel"), feld("Größe", 10, 20)});
    EXPECT_EQ(again, QStringList{"Artikel\t\t(Felder hinzufügen)"});
}

TEST_F(XdbOnServer, MariadbRefusesTheBracketedFormAndTheRunGoesOn)
{
    REQUIRE_MARIADB();
    open(ScratchDatabase::Kind::Mariadb, ServerKind::MySQL);
    exec("CREATE TABLE Artikel (Nr INT, Name VARCHAR(40))");
    exec("INSERT INTO Artikel (Nr, Name) VALUES (1, 'Schraube'), (2, 'Mutter'), (3, 'Scheibe')");

    const QStringList report = run({
        "[felder]", key22("tabelle", "Artikel"), feld("Farbe", 10, 20),
        "[renamefield]", key24("tabelle", "Artikel"), renameFeld("Name", "Bezeichnung"),
        "[Indizes]", key22("tabelle", "Artikel"), key22("name", "IX_Name"), key22("felderanzahl", "1"), key22("feld", "Name"),
        "[querys]", key22("name", "View_S"), key22("SQL", "SELECT [Nr] FROM [Artikel] WHERE LEFT([Name],2)=\"Sc\""),
    });
    EXPECT_EQ(columns("Artikel"), (QStringList{"Nr", "Name"}));
    EXPECT_EQ(countStartingWith(report, "37000:"), 2) << report.join("\n").toStdString();  // ALTER and sp_rename
    EXPECT_FALSE(report.join("\n").contains("Neuen Index anlegen"));
    // A new view on MySQL: the drop finds none, which is no failure, and the view is created.
    const int viewLine = report.indexOf("Abfrage/Sicht erstellen: View_S");
    ASSERT_GE(viewLine, 0);
    EXPECT_EQ(viewLine, report.size() - 1) << report.join("\n").toStdString();
    EXPECT_EQ(value("SELECT COUNT(*) FROM View_S").toInt(), 2);
    EXPECT_EQ(dialogs.messages(), QStringList{"Die ZAB.XDB wurde abgearbeitet."});
}

// Names and defaults that would end their place in the statement: the table stays, the line is reported.
TEST_F(XdbOnServer, HostileDocumentsLeaveOtherTablesAlone)
{
    const struct {
        ScratchDatabase::Kind db;
        ServerKind kind;
    } setups[] = {{ScratchDatabase::Kind::Sqlite, ServerKind::MSSQL}, {ScratchDatabase::Kind::Mariadb, ServerKind::MySQL}};
    for (const auto& s : setups) {
        if (s.db == ScratchDatabase::Kind::Sqlite) {
            REQUIRE_SQLITE();
        } else {
            REQUIRE_MARIADB();
        }
        open(s.db, s.kind);
        exec("CREATE TABLE Laender (Kz VARCHAR(3))");
        exec("INSERT INTO Laender (Kz) VALUES ('D')");
        exec("CREATE TABLE Kunde (Nr INT, PLZ VARCHAR(5))");
        const QString drop = "DROP TABLE Laender; --";
        const QStringList report = run({
            "[felder]", key22("tabelle", "Kunde"), feld("y] INT; " + drop, 4, 0),
            oldHeader("Kunde"), oldFeld("Menge", 4, 0, "0 NULL; " + drop), oldFeld("Land", 10, 30, "x'); " + drop),
            "[renamefield]", key24("tabelle", "Kunde"), renameFeld("PLZ", "x' , 'y'; " + drop),
            "[querys]", key22("name", "V AS SELECT 1; " + drop), key22("sql", "SELECT 1"),
        });
        EXPECT_EQ(value("SELECT COUNT(*) FROM Laender").toInt(), 1) << report.join("\n").toStdString();
        EXPECT_TRUE(report.contains(QString::fromUtf8("\tFeld Menge in Kunde nicht angelegt: ungültiger Standardwert 0 NULL; ") + drop));
        EXPECT_GE(runReport().xdb.linesNotApplied, 2);
        if (s.db == ScratchDatabase::Kind::Sqlite) {
            // SQLite takes brackets: the quoted default arrives as the text it was.
            EXPECT_TRUE(columns("Kunde").contains("Land"));
            exec("INSERT INTO Kunde (Nr) VALUES (1)");
            EXPECT_EQ(value("SELECT Land FROM Kunde").toString(), "x'); " + drop);
        }
        window.reset();
        testsupport::endSession();
    }
}

}  // namespace
