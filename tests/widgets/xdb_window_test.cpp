#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/RecordingConnection.h"
#include "common/ScriptedDialogs.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "xdb/Abgleichen.h"
#include "xdb/XdbStatements.h"
#include "xdb_document.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using namespace xdbdoc;

// Lists compared as readable text.
std::string j(const QStringList& l) { return l.join(QStringLiteral("\n")).toStdString(); }
using testsupport::FakeMainWindow;
using testsupport::RecordingConnection;
using testsupport::ScriptedDialogs;

// A recording connection whose catalogue learns the fields that ALTER TABLE adds.
class CatalogueConnection : public RecordingConnection {
public:
    void execute(const QString& statement, int options) override
    {
        RecordingConnection::execute(statement, options);
        static const QRegularExpression add(QStringLiteral("^ALTER TABLE \\[(.*)\\]  ADD \\[(.*)\\] "));
        const auto m = add.match(statement);
        if (m.hasMatch())
            tables[m.captured(1)] << m.captured(2);
    }
};

class XdbWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::beginSession(mw);
        runReport().reset();
        conn = std::make_shared<CatalogueConnection>();
        session().Verbindung1 = conn;
        conn->tables["Artikel"] = QStringList{"Nr", "Name"};
        conn->tables["ARTIKEL"] = QStringList{"NR", "NAME"};
        conn->tables["Kunde"] = QStringList{"Nr", "PLZ"};
    }
    void TearDown() override
    {
        window.reset();
        testsupport::endSession();
    }

    // Writes the document and runs it through the window.
    QStringList run(const QStringList& lines, const char* eol = "\r\n")
    {
        return runBytes(bytes(lines, eol));
    }
    QStringList runBytes(const QByteArray& content)
    {
        const QString path = write(folder + "/ZAB.XDB", content);
        if (!window)
            window = std::make_unique<Abgleichen>();
        window->Text_XDB->setText(path);
        window->XDB_Verarbeiten();
        return list();
    }
    QStringList list() const
    {
        QStringList out;
        for (int i = 0; i < window->List1->count(); ++i)
            out << window->List1->item(i)->text();
        return out;
    }
    QStringList sent() const { return conn->executed; }
    QString logText() const
    {
        QFile f(QDir(folder + "/Log/" + rt::applicationName()).filePath(
            QDir(folder + "/Log/" + rt::applicationName()).entryList({"*.LOG"}).value(0)));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    FakeMainWindow mw;
    ScriptedDialogs dialogs;
    std::shared_ptr<CatalogueConnection> conn;
    std::unique_ptr<Abgleichen> window;
    QString folder;
};

QString xdb_exists(const QString& table, const QString& index)
{
    return xdb::indexExistsQuery(ServerKind::MSSQL, table, index);
}

const QString kEnd = QStringLiteral("Die ZAB.XDB wurde abgearbeitet.");

TEST_F(XdbWindowTest, TheWindowItsPathAndTheFileDialog)
{
    session().ParamXDBPfad = "/daten/ZAB.XDB";
    window = std::make_unique<Abgleichen>();
    EXPECT_EQ(window->windowTitle(), "SQL-Server mit XDB abgleichen");
    EXPECT_EQ(window->Label1->text(), "Pfad der XDB :");
    EXPECT_EQ(window->Command1->text(), "...");
    EXPECT_EQ(window->Command8->text(), "XDB Verarbeiten");
    EXPECT_EQ(window->Text_XDB->text(), "/daten/ZAB.XDB");

    dialogs.filesToChoose << "/neu/ANDERE.XDB";
    window->Command1->click();
    EXPECT_EQ(dialogs.lastFilter, "XDB's|*.XDB");
    EXPECT_EQ(dialogs.shown.last().text, "/daten/ZAB.XDB");  // preset with the current path
    EXPECT_EQ(window->Text_XDB->text(), "/neu/ANDERE.XDB");
}

TEST_F(XdbWindowTest, AnEmptyPathOnlyTogglesTheControls)
{
    window = std::make_unique<Abgleichen>();
    window->List1->addItem("vorher");
    window->Text_XDB->clear();
    window->Command8->click();
    EXPECT_EQ(j(list()), j(QStringList{"vorher"}));
    EXPECT_EQ(conn->tableRefreshes, 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(window->Command8->isEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
}

TEST_F(XdbWindowTest, FieldsAreAddedOnceWithTheirReportLines)
{
    const QStringList report = run({"[felder]", key22("tabelle", "Artikel"), feld("Farbe", 10, 20), feld("farbe", 10, 20),
                                    feld("NAME", 10, 50), feld("Gewicht", 7, 0)});
    EXPECT_EQ(j(sent()), j((QStringList{"ALTER TABLE [Artikel]  ADD [Farbe] VARCHAR(20)", "ALTER TABLE [Artikel]  ADD [Gewicht] FLOAT"})));
    EXPECT_EQ(j(report), j((QStringList{"Artikel\t\t(Felder hinzufügen)", "\tALTER TABLE [Artikel]  ADD [Farbe] VARCHAR(20)",
                                   "\tALTER TABLE [Artikel]  ADD [Gewicht] FLOAT"})));
    EXPECT_EQ(j(dialogs.messages()), j(QStringList{kEnd}));
    EXPECT_FALSE(session().FehlerAufgetreten);
    EXPECT_TRUE(window->Command8->isEnabled());
}

TEST_F(XdbWindowTest, AMissingTableSwitchesItsSectionOffUntilTheNextHeader)
{
    const QStringList report = run({"[felder]", key22("tabelle", "Fehlt"), feld("A", 10, 5), "[felder]",
                                    key22("tabelle", "Kunde"), feld("B", 4, 0)});
    EXPECT_EQ(j(sent()), j(QStringList{"ALTER TABLE [Kunde]  ADD [B] INT"}));
    EXPECT_EQ(j(report.mid(0, 2)), j((QStringList{"Fehlt\t\t(Felder hinzufügen)", "\tTabelle existiert nicht!"})));
}

TEST_F(XdbWindowTest, OracleAndDb2LookUpUpperCaseAndNeverAddTheFrenchConfirmation)
{
    for (ServerKind kind : {ServerKind::Oracle, ServerKind::DB2}) {
        conn->executed.clear();
        conn->tables["ARTIKEL"] = QStringList{"NR", "NAME"};
        mw.kind = kind;
        const QStringList report = run({"[felder]", key22("tabelle", "Artikel"), feld("Auftragsbestätigung_Französisch", 12, 0),
                                        feld("Menge", 4, 0)});
        EXPECT_EQ(report.value(0), "ARTIKEL\t\t(Felder hinzufügen)");
        const QString intType = kind == ServerKind::DB2 ? "INTEGER" : "INT";
        EXPECT_EQ(j(sent()), j(QStringList{"ALTER TABLE [ARTIKEL]  ADD [Menge] " + intType})) << serverKindName(kind).toStdString();
    }
    conn->executed.clear();
    mw.kind = ServerKind::MSSQL;
    run({"[felder]", key22("tabelle", "Artikel"), feld("Auftragsbestätigung_Französisch", 12, 0)});
    EXPECT_EQ(j(sent()), j(QStringList{"ALTER TABLE [Artikel]  ADD [Auftragsbestätigung_Französisch] TEXT"}));
}

TEST_F(XdbWindowTest, SiblingDataSourcesChangeTheTypes)
{
    mw.kind = ServerKind::Oracle;
    mw.dsn = "tiramSQL";
    run({"[felder]", key22("tabelle", "Artikel"), feld("Aktiv", 1, 0), feld("Notiz", 12, 0)});
    EXPECT_EQ(j(sent()), j((QStringList{"ALTER TABLE [ARTIKEL]  ADD [Aktiv] FLOAT", "ALTER TABLE [ARTIKEL]  ADD [Notiz] VARCHAR(2000)"})));
}

TEST_F(XdbWindowTest, OldFormatBlocksCarryDefaults)
{
    const QStringList report = run({oldHeader("Kunde"), oldFeld("Kz", 10, 1, "\"\""), oldFeld("Rabatt", 6, 0, "0"),
                                    oldFeld("plz", 10, 5), oldHeader("Fehlt"), oldFeld("X", 4, 0)});
    EXPECT_EQ(j(sent()), j((QStringList{"ALTER TABLE [Kunde]  ADD [Kz] VARCHAR(1) DEFAULT ' ' NULL",
                                   "ALTER TABLE [Kunde]  ADD [Rabatt] REAL DEFAULT 0 NULL"})));
    EXPECT_EQ(report.value(0), "Kunde\t\t(Felder hinzufügen) [altes XDB-Format]");
    EXPECT_TRUE(report.contains("\tTabelle existiert nicht!"));
}

TEST_F(XdbWindowTest, RenamesGoOnAfterTheServerRefusesThem)
{
    mw.kind = ServerKind::MySQL;
    conn->failWhen("sp_rename", "37000: You have an error in your SQL syntax near 'sp_rename'");
    const QStringList report = run({"[renamefield]", key24("tabelle", "Kunde"), renameFeld("PLZ", "Postleitzahl"),
                                    renameFeld("Fehlt", "Egal"), "[renametable]", renameTabelle("Kunde", "Kunden"),
                                    "[felder]", key22("tabelle", "Kunde"), feld("Ort", 10, 40)});
    EXPECT_EQ(j(sent()), j((QStringList{"sp_rename 'Kunde.PLZ' , 'Postleitzahl' , 'column'", "ALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)"})));
    EXPECT_EQ(j(report), j((QStringList{"Kunde\t\t(Felder umbenennen)", "\tPLZ  ->  Postleitzahl",
                                   "37000: You have an error in your SQL syntax near 'sp_rename'",
                                   "Tabelle umbenennen: Kunde  ->  Kunden  [noch nicht implementiert]",
                                   "Kunde\t\t(Felder hinzufügen)", "\tALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)"})));
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_TRUE(logText().contains("Modul: Abgleichen\tCode: XDB_Verarbeiten"));
    EXPECT_EQ(j(dialogs.messages()), j(QStringList{kEnd}));
}

TEST_F(XdbWindowTest, LongDatabaseFailuresAreListedInPiecesOf130)
{
    const QString description = "S1000: " + QString(200, 'z');
    conn->failWhen("ALTER TABLE", description);
    const QStringList report = run({"[felder]", key22("tabelle", "Kunde"), feld("Ort", 10, 40)});
    EXPECT_EQ(j(report.mid(2)), j((QStringList{description.left(130), description.mid(130)})));
}

TEST_F(XdbWindowTest, QueriesNeedCapitalSqlKeysWhenTheyHoldBrackets)
{
    const QStringList report = run({"[querys]", key22("name", "View_Eins"), key22("sql", "SELECT [a] FROM t"),
                                    key22("name", "View_Zwei"), key22("SQL", "SELECT [b] FROM t"), "[querys]",
                                    key22("name", "View_Drei"), key22("SQL", "SELECT [c] FROM t")});
    // "sql" with "[" ends the section; the next section starts with "[querys]".
    EXPECT_EQ(j(sent()), j((QStringList{"DROP VIEW IF EXISTS \"View_Drei\"", "CREATE VIEW View_Drei AS SELECT c FROM t"})));
    EXPECT_EQ(j(report), j(QStringList{"Abfrage/Sicht erstellen: View_Drei"}));

    conn->executed.clear();
    const QStringList report2 = run({"[querys]", key22("name", "View_Eins"), key22("SQL", "SELECT [a] FROM t"),
                                     key22("name", "View_Zwei"), key22("sql", "SELECT b FROM t"), key22("sql", "SELECT x FROM t")});
    EXPECT_EQ(j(sent()), j((QStringList{"DROP VIEW IF EXISTS \"View_Eins\"", "CREATE VIEW View_Eins AS SELECT a FROM t",
                                   "DROP VIEW IF EXISTS \"View_Zwei\"", "CREATE VIEW View_Zwei AS SELECT b FROM t"})));
    EXPECT_EQ(j(report2), j((QStringList{"Abfrage/Sicht erstellen: View_Eins", "Abfrage/Sicht erstellen: View_Zwei"})));
}

TEST_F(XdbWindowTest, SybaseUnderLinuxCreatesTheOrderViewLast)
{
    mw.kind = ServerKind::Sybase;
    mw.linux_ = true;
    run({"[querys]", key22("name", "View_BestellungAuftrag"), key22("sql", "SELECT b FROM t"), key22("name", "View_A"),
         key22("sql", "SELECT a FROM t"), "[felder]", key22("tabelle", "Kunde"), feld("Ort", 10, 40)});
    EXPECT_EQ(j(sent()), j((QStringList{"DROP VIEW View_A", "CREATE VIEW View_A AS SELECT a FROM t",
                                   "ALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)", "DROP VIEW View_BestellungAuftrag",
                                   "CREATE VIEW View_BestellungAuftrag AS SELECT b FROM t"})));

    // Without such a view in the document nothing is sent: the existing view stays.
    conn->executed.clear();
    run({"[felder]"});
    EXPECT_TRUE(sent().isEmpty()) << j(sent());
}

TEST_F(XdbWindowTest, MsSqlIndexBlocks)
{
    conn->results << qMakePair(QString("'___IX_Vorhanden'"), QVariant(1));
    const QStringList report = run({
        "[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX_Ort"), key22("attribute", "1"),
        key22("felderanzahl", "2"), key22("feld", "Ort"), key22("feld", "PLZ"), key22("feld", "Drittes"),
        "[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX_Vorhanden"), key22("attribute", "0"),
        key22("felderanzahl", "1"), key22("feld", "Nr"),
        "[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX_Primaer"), key22("attribute", "3"),
        key22("felderanzahl", "1"), key22("feld", "Nr"),
    });
    const QStringList expected{xdb_exists("Kunde", "IX_Ort"), "CREATE INDEX [IX_Ort] ON [Kunde]([Ort], [PLZ])",
                               xdb_exists("Kunde", "IX_Vorhanden"), xdb_exists("Kunde", "IX_Primaer")};
    EXPECT_EQ(j(sent()), j(expected));
    EXPECT_EQ(j(report), j(QStringList{"Neuen Index anlegen: Kunde/IX_Ort"}));
}

TEST_F(XdbWindowTest, IndexBlocksSendNothingOnMySqlOracleAndDb2)
{
    for (ServerKind kind : {ServerKind::MySQL, ServerKind::Oracle, ServerKind::DB2}) {
        mw.kind = kind;
        const QStringList report = run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX"),
                                        key22("felderanzahl", "1"), key22("feld", "Ort")});
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_TRUE(report.isEmpty());
    }
}

TEST_F(XdbWindowTest, AFailingIndexQueryIsADatabaseFailureAndTheRunGoesOn)
{
    conn->failWhen("sysindexes", "S0002: [SQLite]no such table: dbo.sysindexes");
    const QStringList report = run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX"), key22("felderanzahl", "1"),
                                    key22("feld", "Ort"), "[felder]", key22("tabelle", "Kunde"), feld("Ort", 10, 40)});
    EXPECT_EQ(sent().last(), "ALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)");
    EXPECT_FALSE(sent().join("\n").contains("CREATE INDEX"));  // a block whose check failed is skipped
    EXPECT_EQ(report.first(), "S0002: [SQLite]no such table: dbo.sysindexes");
    EXPECT_EQ(j(dialogs.messages()), j(QStringList{kEnd}));
}

TEST_F(XdbWindowTest, AFieldLineBeforeTheFieldCountEndsTheRun)
{
    const QStringList report = run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX"), key22("feld", "Ort"),
                                    "[felder]", key22("tabelle", "Kunde"), feld("Ort", 10, 40)});
    EXPECT_EQ(j(sent()), j(QStringList{xdb_exists("Kunde", "IX")}));  // nothing after the failure
    ASSERT_FALSE(report.isEmpty());
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(window->Command8->isEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
    EXPECT_EQ(mw.value, 0.0f);
    EXPECT_TRUE(logText().contains("Fehler: 9\t"));
}

TEST_F(XdbWindowTest, HashesEndSectionsButNotAnIndexBlockAndHeadersReachUnfinishedBlocks)
{
    const QStringList report = run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX"), key22("felderanzahl", "2"),
                                    key22("feld", "Ort"), oldHeader("Kunde"), key22("feld", "PLZ")});
    // The "#####" line is no key line; the old-format block takes the last line as a field named "feld".
    EXPECT_TRUE(sent().contains("CREATE INDEX [IX] ON [Kunde]([Ort], [PLZ])")) << sent().join("\n").toStdString();
}

TEST_F(XdbWindowTest, AMissingDocumentIsReportedAndLogged)
{
    window = std::make_unique<Abgleichen>();
    window->Text_XDB->setText(folder + "/gibtsnicht.XDB");
    window->XDB_Verarbeiten();
    EXPECT_EQ(j(list()), j(QStringList{"Datei nicht gefunden: '" + folder + "/gibtsnicht.XDB'"}));
    EXPECT_TRUE(logText().contains("Fehler: 53\t"));
    EXPECT_TRUE(logText().contains("gibtsnicht.XDB"));
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(window->Command8->isEnabled());
}

TEST_F(XdbWindowTest, UnattendedRunsShowNoEndMessage)
{
    session().AutoLauf = true;
    run({"[felder]", key22("tabelle", "Kunde"), feld("Ort", 10, 40)});
    EXPECT_EQ(sent().size(), 1);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(XdbWindowTest, FieldsWithoutAnSqlTypeAreReportedAndNothingIsSent)
{
    const QStringList report = run({"[felder]", key22("tabelle", "Kunde"), feld("Daten", 9, 0), feld("Ort", 10, 40)});
    EXPECT_EQ(j(sent()), j(QStringList{"ALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)"}));
    ASSERT_GE(report.size(), 2);
    EXPECT_TRUE(report[1].startsWith("\t"));
    EXPECT_TRUE(report[1].contains("Daten"));
    EXPECT_TRUE(report[1].contains("Typcode 9"));
    EXPECT_TRUE(session().FehlerAufgetreten);
}

TEST_F(XdbWindowTest, ProgressCountsIn128ByteUnits)
{
    QStringList lines{"[felder]", key22("tabelle", "Kunde")};
    for (int i = 0; i < 20; ++i)
        lines << feld("Nr", 4, 0);
    const QByteArray content = bytes(lines);
    runBytes(content);
    EXPECT_EQ(mw.maximum, float(content.size() / 128 + 1));
    EXPECT_EQ(mw.value, 0.0f);
}

TEST_F(XdbWindowTest, TheWindowRefusesToCloseWhileARunIsActive)
{
    // The end message comes while the run is still active: try to close the window then.
    struct ClosingDialogs : ScriptedDialogs {
        Abgleichen* w = nullptr;
        FakeMainWindow* main = nullptr;
        bool closedDuringRun = true, enabledDuringRun = true;
        void message(const QString& text, const QString& title, Icon icon) override
        {
            ScriptedDialogs::message(text, title, icon);
            closedDuringRun = w->close();
            enabledDuringRun = w->Command1->isEnabled() || w->Text_XDB->isEnabled() || w->Command8->isEnabled() ||
                               main->workControlsEnabled;
        }
    } closing;
    closing.main = &mw;
    window = std::make_unique<Abgleichen>();
    closing.w = window.get();
    window->show();
    run({"[felder]"});
    EXPECT_FALSE(closing.closedDuringRun);
    EXPECT_FALSE(closing.enabledDuringRun);  // both windows' controls are off during the run
    EXPECT_TRUE(window->Command8->isEnabled() && mw.workControlsEnabled);
    EXPECT_TRUE(window->close());
    setDialogService(&dialogs);
}

TEST_F(XdbWindowTest, HostileLinesAreRefusedOrEscapedAndCounted)
{
    mw.kind = ServerKind::Sybase;
    const QString drop = "DROP TABLE Laender; --";
    const QStringList report = run({
        "[felder]", key22("tabelle", "Kunde"), feld("y] INT; " + drop, 4, 0), feld("Leer", 10, 0), feld("Minus", 10, -1),
        feld("Ort", 10, 40), oldHeader("Kunde"), oldFeld("Menge", 4, 0, "0 NULL; " + drop), oldFeld("Land", 10, 30, "Deutschland"),
        "[renamefield]", key24("tabelle", "Kunde"), renameFeld("PLZ", "x' , 'y'; " + drop),
        "[Indizes]", key22("tabelle", "Kunde(Nr); " + drop), key22("name", "IX"), key22("felderanzahl", "1"), key22("feld", "Nr"),
        "[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX2"), key22("felderanzahl", "1"), key22("feld", "Nr"),
        "[querys]", key22("name", "V AS SELECT 1; " + drop), key22("sql", "SELECT a FROM t"),
        key22("name", "View_Gut"), key22("sql", "SELECT a FROM t"),
    });
    const QStringList expectedSent{
        "ALTER TABLE [Kunde]  ADD [y]] INT; DROP TABLE Laender; --] INT",
        "ALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)",
        "ALTER TABLE [Kunde]  ADD [Land] VARCHAR(30) DEFAULT 'Deutschland' NULL",
        "sp_rename 'Kunde.PLZ' , 'x'' , ''y''; DROP TABLE Laender; --' , 'column'",
        xdb::indexExistsQuery(ServerKind::Sybase, "Kunde(Nr); " + drop, "IX"),
        xdb::indexExistsQuery(ServerKind::Sybase, "Kunde", "IX2"),
        "CREATE INDEX [IX2] ON Kunde(Nr)",
        "DROP VIEW View_Gut",
        "CREATE VIEW View_Gut AS SELECT a FROM t",
    };
    EXPECT_EQ(j(sent()), j(expectedSent));
    for (const char* line : {"\tFeld Leer in Kunde nicht angelegt: ungültige Länge 0",
                             "\tFeld Minus in Kunde nicht angelegt: ungültige Länge -1",
                             "\tFeld Menge in Kunde nicht angelegt: ungültiger Standardwert 0 NULL; DROP TABLE Laender; --",
                             "\tIndex IX in Kunde(Nr); DROP TABLE Laender; -- nicht angelegt: ungültiger Name"})
        EXPECT_TRUE(report.contains(QString::fromUtf8(line))) << line << "\n" << j(report);
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_TRUE(logText().contains("ungültiger Standardwert"));

    const XdbReport& x = runReport().xdb;
    EXPECT_TRUE(x.started);
    EXPECT_EQ(x.path, folder + "/ZAB.XDB");
    EXPECT_EQ(x.linesRead, 27);
    EXPECT_EQ(x.fieldsAdded, 3);
    EXPECT_EQ(x.fieldsRenamed, 1);
    EXPECT_EQ(x.indexesCreated, 1);
    EXPECT_EQ(x.viewsCreated, 1);
    EXPECT_EQ(x.linesNotApplied, 5);  // two sizes, a default, a bare index table, a view name
    EXPECT_EQ(x.problems.size(), 5) << x.problems.join("\n").toStdString();
    EXPECT_EQ(runReport().viewsNotCreated, 1);
}

TEST_F(XdbWindowTest, UnreadableDocumentsAreReportedOnceAndNothingIsApplied)
{
    QByteArray random(100 * 1024, '\0');
    quint32 seed = 12345;
    for (char& c : random)
        c = char((seed = seed * 1103515245u + 12345u) >> 24);
    const QByteArray utf16 = QByteArray::fromRawData(reinterpret_cast<const char*>(u"[felder]\r\n"), 20);
    for (const QByteArray& content : {random, utf16, QByteArray("Dies ist kein XDB-Dokument.\r\nfeld x\r\n")}) {
        runReport().reset();
        const QStringList report = runBytes(content);
        EXPECT_EQ(j(report), j(QStringList{"XDB-Dokument '" + folder + "/ZAB.XDB' enthält keine lesbaren Abschnitte"}));
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_FALSE(session().FehlerAufgetreten);  // nothing was changed
        EXPECT_EQ(runReport().xdb.linesNotApplied, 1);
        EXPECT_TRUE(window->Command8->isEnabled());
    }
    EXPECT_TRUE(logText().contains("enthält keine lesbaren Abschnitte"));
    // An empty document is nothing to do.
    runReport().reset();
    EXPECT_TRUE(runBytes(QByteArray()).isEmpty());
    EXPECT_EQ(runReport().xdb.linesNotApplied, 0);
}

TEST_F(XdbWindowTest, Utf8DocumentsKeepTheirColumns)
{
    const QStringList lines{"[felder]", key22("tabelle", "Kunde"), feld("Straße", 10, 40), feld("Größe", 4, 0)};
    const QByteArray utf8 = lines.join("\r\n").toUtf8() + "\r\n";
    const QStringList expected{"ALTER TABLE [Kunde]  ADD [Straße] VARCHAR(40)", "ALTER TABLE [Kunde]  ADD [Größe] INT"};
    for (const QByteArray& content : {utf8, QByteArray("\xEF\xBB\xBF") + utf8, bytes(lines)}) {
        conn->executed.clear();
        conn->tables["Kunde"] = QStringList{"Nr", "PLZ"};
        runBytes(content);
        EXPECT_EQ(j(sent()), j(expected));
    }
}

TEST_F(XdbWindowTest, MalformedDocumentsEndNormally)
{
    // No line ends at all, short lines, lone LFs, bytes that are not text, a very long line.
    QByteArray junk("[felder]\ntabelle\nfeld\n\x01\x02\xff\x81\x00\r\r\n[Indizes]\nfelderanzahl 99999999999");
    junk += QByteArray(100000, 'x');
    runBytes(junk);
    EXPECT_TRUE(window->Command8->isEnabled());
    runBytes(QByteArray("[querys]\nname                   V\nSQL                    SELECT LEFT(a FROM t"));
    EXPECT_TRUE(window->Command8->isEnabled());
}

}  // namespace
