#include "common/Controls.h"
#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/RecordingConnection.h"
#include "common/ScriptedDialogs.h"
#include "diag/RunReport.h"
#include "diag/Session.h"
#include "mdbwriter/XdbLines.h"
#include "runtime/Platform.h"
#include "xdb/Abgleichen.h"
#include "xdb/XdbStatements.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

using mdbw::xdb::key22;
using mdbw::xdb::key24;
using mdbw::xdb::newField;
using mdbw::xdb::oldField;
using mdbw::xdb::oldHeader;
using mdbw::xdb::renamed;

// Lists compared as readable text.
std::string j(const QStringList& l) { return l.join(QStringLiteral("\n")).toStdString(); }
using testsupport::control;
using testsupport::FakeMainWindow;
using testsupport::RecordingConnection;
using testsupport::ScriptedDialogs;

class XdbWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::beginSession(mw);
        runReport().reset();
        conn = std::make_shared<RecordingConnection>();
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
    QStringList run(const QStringList& lines) { return runBytes(testsupport::cp1252Document(lines)); }
    QStringList runBytes(const QByteArray& content)
    {
        const QString path = testsupport::writeFile(folder + "/ZAB.XDB", content);
        if (!window)
            window = std::make_unique<Abgleichen>();
        control<QLineEdit>(*window, "Text_XDB")->setText(path);
        window->XDB_Verarbeiten();
        return testsupport::itemTexts(*control<QListWidget>(*window, "List1"));
    }
    bool runButtonEnabled() const { return control<QPushButton>(*window, "Command8")->isEnabled(); }
    QStringList sent() const { return conn->executed; }

    FakeMainWindow mw;
    ScriptedDialogs dialogs;
    std::shared_ptr<RecordingConnection> conn;
    std::unique_ptr<Abgleichen> window;
    QString folder;
};

QString xdb_exists(const QString& table, const QString& index)
{
    return xdb::indexExistsQuery(TextOptions{ServerKind::MSSQL}, table, index);
}

const QString kEnd = QStringLiteral("Die ZAB.XDB wurde abgearbeitet.");

TEST_F(XdbWindowTest, FieldsAreAddedOnceAndAMissingTableSwitchesItsSectionOff)
{
    bool startableDuringTheRun = true;  // a second click would apply the document twice at once
    dialogs.onMessage = [&] { startableDuringTheRun = runButtonEnabled(); };
    const QStringList report = run({"[felder]", key22("tabelle", "Fehlt"), newField("A", 10, 5), "[felder]",
                                    key22("tabelle", "Artikel"), newField("Farbe", 10, 20), newField("farbe", 10, 20),
                                    newField("NAME", 10, 50), newField("Gewicht", 7, 0)});
    EXPECT_EQ(j(sent()), j((QStringList{"ALTER TABLE [Artikel]  ADD [Farbe] VARCHAR(20)",
                                        "ALTER TABLE [Artikel]  ADD [Gewicht] FLOAT"})));
    EXPECT_EQ(j(report),
              j((QStringList{"Fehlt\t\t(Felder hinzufügen)", "\tTabelle existiert nicht!",
                             "Artikel\t\t(Felder hinzufügen)", "\tALTER TABLE [Artikel]  ADD [Farbe] VARCHAR(20)",
                             "\tALTER TABLE [Artikel]  ADD [Gewicht] FLOAT"})));
    EXPECT_EQ(j(dialogs.messages()), j(QStringList{kEnd}));
    EXPECT_FALSE(session().FehlerAufgetreten);
    EXPECT_FALSE(startableDuringTheRun);
    EXPECT_TRUE(runButtonEnabled());
}

TEST_F(XdbWindowTest, TheFrenchConfirmationIsNeverAddedOnOracleAndDb2)
{
    for (ServerKind kind : {ServerKind::Oracle, ServerKind::DB2, ServerKind::MSSQL}) {
        conn->executed.clear();
        conn->tables["ARTIKEL"] = QStringList{"NR", "NAME"};
        mw.kind = kind;
        run({"[felder]", key22("tabelle", "Artikel"), newField("Auftragsbestätigung_Französisch", 12, 0),
             newField("Menge", 4, 0)});
        EXPECT_EQ(sent().filter("Französisch").size(), kind == ServerKind::MSSQL ? 1 : 0) << j(sent());
        EXPECT_EQ(sent().filter("[Menge]").size(), 1) << j(sent());
    }
}

TEST_F(XdbWindowTest, MsSqlIndexBlocks)
{
    conn->results << qMakePair(QString("'___IX_Vorhanden'"), QVariant(1));
    const QStringList report =
        run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX_Ort"), key22("attribute", "1"),
             key22("felderanzahl", "2"), key22("feld", "Ort"), key22("feld", "PLZ"), key22("feld", "Drittes"),
             "[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX_Vorhanden"), key22("attribute", "0"),
             key22("felderanzahl", "1"), key22("feld", "Nr")});
    // The third field is beyond the count; an index the server has is left alone.
    const QStringList expected{xdb_exists("Kunde", "IX_Ort"), "CREATE INDEX [IX_Ort] ON [Kunde]([Ort], [PLZ])",
                               xdb_exists("Kunde", "IX_Vorhanden")};
    EXPECT_EQ(j(sent()), j(expected));
    EXPECT_EQ(j(report), j(QStringList{"Neuen Index anlegen: Kunde/IX_Ort"}));
}

TEST_F(XdbWindowTest, AFailingIndexQueryIsADatabaseFailureAndTheRunGoesOn)
{
    conn->failWhen("sysindexes", "S0002: [SQLite]no such table: dbo.sysindexes");
    const QStringList report =
        run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX"), key22("felderanzahl", "1"),
             key22("feld", "Ort"), "[felder]", key22("tabelle", "Kunde"), newField("Ort", 10, 40)});
    EXPECT_EQ(sent().last(), "ALTER TABLE [Kunde]  ADD [Ort] VARCHAR(40)");
    EXPECT_FALSE(sent().join("\n").contains("CREATE INDEX"));  // a block whose check failed is skipped
    EXPECT_EQ(report.first(), "S0002: [SQLite]no such table: dbo.sysindexes");
    EXPECT_EQ(j(dialogs.messages()), j(QStringList{kEnd}));
}

TEST_F(XdbWindowTest, AFieldLineBeforeTheFieldCountEndsTheRun)
{
    const QStringList report = run({"[Indizes]", key22("tabelle", "Kunde"), key22("name", "IX"), key22("feld", "Ort"),
                                    "[felder]", key22("tabelle", "Kunde"), newField("Ort", 10, 40)});
    EXPECT_EQ(j(sent()), j(QStringList{xdb_exists("Kunde", "IX")}));  // nothing after the failure
    ASSERT_FALSE(report.isEmpty());
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(runButtonEnabled());
    EXPECT_TRUE(mw.workControlsEnabled);
    EXPECT_EQ(mw.value, 0.0f);
    EXPECT_TRUE(testsupport::errorLogText().contains("Fehler: 9\t"));
}

TEST_F(XdbWindowTest, HostileLinesAreRefusedOrEscapedAndCounted)
{
    mw.kind = ServerKind::Sybase;
    const QString drop = "DROP TABLE Laender; --";
    const QStringList report = run({"[felder]",
                                    key22("tabelle", "Kunde"),
                                    newField("y] INT; " + drop, 4, 0),
                                    oldHeader("Kunde"),
                                    oldField("Menge", 4, 0, "0 NULL; " + drop),
                                    oldField("Land", 10, 30, "Deutschland"),
                                    "[renamefield]",
                                    key24("tabelle", "Kunde"),
                                    renamed("feld", "PLZ", "x' , 'y'; " + drop),
                                    "[Indizes]",
                                    key22("tabelle", "Kunde(Nr); " + drop),
                                    key22("name", "IX"),
                                    key22("felderanzahl", "1"),
                                    key22("feld", "Nr"),
                                    "[Indizes]",
                                    key22("tabelle", "Kunde"),
                                    key22("name", "IX2"),
                                    key22("felderanzahl", "1"),
                                    key22("feld", "Nr"),
                                    "[querys]",
                                    key22("name", "V AS SELECT 1; " + drop),
                                    key22("sql", "SELECT a FROM t"),
                                    key22("name", "View_Gut"),
                                    key22("sql", "SELECT a FROM t")});
    const QStringList expectedSent{
        "ALTER TABLE [Kunde]  ADD [y]] INT; DROP TABLE Laender; --] INT",
        "ALTER TABLE [Kunde]  ADD [Land] VARCHAR(30) DEFAULT 'Deutschland' NULL",
        "sp_rename 'Kunde.PLZ' , 'x'' , ''y''; DROP TABLE Laender; --' , 'column'",
        xdb::indexExistsQuery(TextOptions{ServerKind::Sybase}, "Kunde(Nr); " + drop, "IX"),
        xdb::indexExistsQuery(TextOptions{ServerKind::Sybase}, "Kunde", "IX2"),
        "CREATE INDEX [IX2] ON Kunde(Nr)",
        "DROP VIEW View_Gut",
        "CREATE VIEW View_Gut AS SELECT a FROM t",
    };
    EXPECT_EQ(j(sent()), j(expectedSent));
    for (const char* line :
         {"\tFeld Menge in Kunde nicht angelegt: ungültiger Standardwert 0 NULL; DROP TABLE Laender; --",
          "\tIndex IX in Kunde(Nr); DROP TABLE Laender; -- nicht angelegt: ungültiger Name"})
        EXPECT_TRUE(report.contains(QString::fromUtf8(line))) << line << "\n" << j(report);
    EXPECT_TRUE(session().FehlerAufgetreten);
    EXPECT_TRUE(testsupport::errorLogText().contains("ungültiger Standardwert"));

    const XdbReport& x = runReport().xdb;
    EXPECT_TRUE(x.started);
    EXPECT_EQ(x.path, folder + "/ZAB.XDB");
    EXPECT_EQ(x.linesRead, 24);
    EXPECT_EQ(x.fieldsAdded, 2);
    EXPECT_EQ(x.fieldsRenamed, 1);
    EXPECT_EQ(x.indexesCreated, 1);
    EXPECT_EQ(x.viewsCreated, 1);
    EXPECT_EQ(x.linesNotApplied, 3);  // a default, a bare index table, a view name
    EXPECT_EQ(x.problems.size(), 3) << x.problems.join("\n").toStdString();
    EXPECT_EQ(runReport().viewsNotCreated, 1);
}

TEST_F(XdbWindowTest, UnreadableDocumentsAreReportedOnceAndNothingIsApplied)
{
    QByteArray random(100 * 1024, '\0');
    QRandomGenerator(12345).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    for (const QByteArray& content : {random, QByteArray("Dies ist kein XDB-Dokument.\r\nfeld x\r\n")}) {
        runReport().reset();
        const QStringList report = runBytes(content);
        EXPECT_EQ(j(report), j(QStringList{"XDB-Dokument '" + folder + "/ZAB.XDB' enthält keine lesbaren Abschnitte"}));
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_FALSE(session().FehlerAufgetreten);  // nothing was changed
        EXPECT_EQ(runReport().xdb.linesNotApplied, 1);
        EXPECT_TRUE(runButtonEnabled());
    }
    EXPECT_TRUE(testsupport::errorLogText().contains("enthält keine lesbaren Abschnitte"));
    // An empty document is nothing to do.
    runReport().reset();
    EXPECT_TRUE(runBytes(QByteArray()).isEmpty());
    EXPECT_EQ(runReport().xdb.linesNotApplied, 0);
}

TEST_F(XdbWindowTest, Utf8DocumentsKeepTheirColumns)
{
    const QStringList lines{"[felder]", key22("tabelle", "Kunde"), newField("Straße", 10, 40), newField("Größe", 4, 0)};
    const QByteArray utf8 = lines.join("\r\n").toUtf8() + "\r\n";
    const QStringList expected{"ALTER TABLE [Kunde]  ADD [Straße] VARCHAR(40)", "ALTER TABLE [Kunde]  ADD [Größe] INT"};
    for (const QByteArray& content : {utf8, QByteArray("\xEF\xBB\xBF") + utf8, testsupport::cp1252Document(lines)}) {
        conn->executed.clear();
        conn->tables["Kunde"] = QStringList{"Nr", "PLZ"};
        runBytes(content);
        EXPECT_EQ(j(sent()), j(expected));
    }
}

}  // namespace
