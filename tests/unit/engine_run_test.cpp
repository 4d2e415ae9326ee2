#include "common/FakeConversionWindow.h"
#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/MemoryAccessDatabase.h"
#include "common/RecordingConnection.h"
#include "common/ScriptedDialogs.h"
#include "diag/AppContext.h"
#include "diag/Session.h"
#include "engine/TableConversion.h"
#include "runtime/Platform.h"

#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

using testsupport::field;
using testsupport::index;
namespace val = testsupport::val;
namespace ty = accessdb::type;
using Row = testsupport::MemoryAccessDatabase::Row;

namespace {

class EngineRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt::setProgramFolder(testsupport::tempFolder());
        rt::setClock([] { return QDateTime(QDate(2004, 3, 7), QTime(14, 30, 5)); });
        fresh();
    }
    void TearDown() override { resetForTests(); }
    // An empty Access database, server connection and window, for the next case of a table.
    void fresh()
    {
        db = testsupport::MemoryAccessDatabase();
        conn = std::make_shared<testsupport::RecordingConnection>();
        session().Verbindung1 = conn;
        host = testsupport::FakeConversionWindow();
        host.db = &db;
        dialogs.shown.clear();
    }
    void convert(const QString& table)
    {
        diag::SessionStatementRunner runner;
        diag::MainWindowProgress progress;
        outcome = engine::TableConversion(host, runner, progress, dialogs).convert(table);
    }
    // A table of one Long field N holding 1..rows.
    void addNumberTable(const QString& name, int rows)
    {
        accessdb::TableDef t;
        t.name = name;
        t.fields = {field("N", ty::Long)};
        auto& records = db.addTable(t);
        for (int i = 1; i <= rows; ++i)
            records << Row{val::integer(i)};
    }
    QStringList statementsStarting(const QString& prefix) const
    {
        return conn->executed.filter(QRegularExpression("^" + prefix));
    }
    void addKunden()
    {
        accessdb::TableDef t;
        t.name = "Kunden";
        t.fields = {field("Nr", ty::Long, 4, true), field("Name", ty::Text, 30)};
        t.indexes = {index("PrimaryKey", {"Nr"}, true)};
        db.addTable(t);
    }
    std::string log() const { return host.errorLog.join('|').toStdString(); }

    testsupport::FakeMainWindow mw;
    testsupport::ScriptedDialogs dialogs;
    std::shared_ptr<testsupport::RecordingConnection> conn;
    testsupport::MemoryAccessDatabase db;
    testsupport::FakeConversionWindow host;
    engine::TableOutcome outcome;
};

}  // namespace

TEST_F(EngineRun, KundenOnMsSqlListsTheTableStatementInItsParts)
{
    addKunden();
    convert("Kunden");
    const QStringList expected = {"CREATE TABLE Kunden ",
                                  "(",
                                  " \"Nr\" INT  NOT NULL ",
                                  ",\"Name\" VARCHAR(30)  NULL ",
                                  ",CONSTRAINT \"primKunden\" PRIMARY KEY(\"Nr\")",
                                  ")"};
    EXPECT_EQ(host.List1, expected);
    EXPECT_EQ(outcome.keyFields, QStringList({"Nr"}));
    EXPECT_EQ(host.errorLog, QStringList({"Tabelle: Kunden"}));
    EXPECT_FALSE(host.TabellenFehler);
    EXPECT_EQ(host.statuses.first(), "öffne Access - Tabelle");
    EXPECT_EQ(host.statuses.last(), "Fertig.");
    EXPECT_EQ(host.enabledCalls, QList<bool>({false, true}));
    EXPECT_FALSE(host.Beschaeftigt || host.stopImage);
}

TEST_F(EngineRun, IdentityColumnPerKindAndTheIdentityList)
{
    struct Case {
        ServerKind kind;
        QString line;
        QStringList list3;
        QString tail;
    } cases[] = {
        {ServerKind::MSSQL, "AutoWertIdentität int IDENTITY (1,1) PRIMARY KEY", {}, ")"},
        {ServerKind::Sybase, "AutoWertIdentität numeric IDENTITY PRIMARY KEY", {"AutoWertIdentität"}, ")"},
        {ServerKind::MySQL,
         "AutoWertIdentität INT NOT NULL auto_increment PRIMARY KEY",
         {"AutoWertIdentität"},
         " ENGINE=BDB"},
        {ServerKind::DB2,
         "AutoWertIdentität INTEGER NOT NULL GENERATED ALWAYS AS IDENTITY (START WITH 0, INCREMENT BY 1, NO CACHE ) "
         "PRIMARY KEY",
         {},
         ")"},
        {ServerKind::Oracle, "AutoWertIdentität NUMBER(10,0) PRIMARY KEY", {}, "FOR EACH ROW"},
    };
    accessdb::TableDef t;
    t.name = "Notizen";
    t.fields = {field("Text", ty::Text, 50)};
    db.addTable(t) << Row{val::text("a")} << Row{val::text("b")};
    host.autowert = true;
    host.noData = true;
    for (const Case& c : cases) {
        mw.kind = c.kind;
        host.List_Auto.clear();
        conn->executed.clear();
        convert("Notizen");
        ASSERT_GE(host.List1.size(), 4);
        EXPECT_EQ(host.List1[2], c.line) << serverKindName(c.kind).toStdString();
        EXPECT_TRUE(host.List1[3].startsWith(',')) << "the first Access field follows the identity column";
        EXPECT_EQ(host.List1.last(), c.tail);
        EXPECT_EQ(outcome.keyFields, c.list3);
        EXPECT_FALSE(host.List1.join("").contains("CONSTRAINT"));
        EXPECT_EQ(host.List_Auto, QStringList({"Notizen"}));
    }
    // Oracle: the sequence, then the table, then the trigger that numbers the rows.
    EXPECT_EQ(conn->executed.value(1), "DROP SEQUENCE SEQ_Notizen040307143005");
    EXPECT_EQ(conn->executed.value(2), "CREATE SEQUENCE SEQ_Notizen040307143005 INCREMENT BY 1 START WITH 1");
    EXPECT_TRUE(
        conn->executed.value(3).startsWith("CREATE TABLE Notizen (AutoWertIdentität NUMBER(10,0) PRIMARY KEY,Text "));
    EXPECT_TRUE(conn->executed.value(4).startsWith("CREATE TRIGGER TRG_Notizen BEFORE INSERT OR UPDATE ON Notizen FOR "
                                                   "EACH ROW DECLARE  iCounter Notizen.AutoWertIdentität%TYPE;"));
    EXPECT_TRUE(conn->executed.value(4).contains("Select SEQ_Notizen040307143005.NEXTVAL INTO iCounter FROM Dual;"));
}

TEST_F(EngineRun, RowsLeaveOutMissingValuesAndSkipEmptyRecords)
{
    accessdb::TableDef t;
    t.name = "Werte";
    t.fields = {field("Name", ty::Text, 30), field("Betrag", ty::Double), field("Tag", ty::DateTime)};
    db.addTable(t) << Row{val::text("O'Brien"), val::real(3.5), val::date(2004, 3, 7, 14, 30)}
                   << Row{val::null(), val::null(), val::null()} << Row{val::text("x"), val::null(), val::null()};
    convert("Werte");
    EXPECT_EQ(statementsStarting("INSERT"),
              QStringList({"INSERT INTO Werte (\"Name\",\"Betrag\",\"Tag\") VALUES ('O''Brien',3.5,'20040307')",
                           "INSERT INTO Werte (\"Name\") VALUES ('x')"}));
    EXPECT_TRUE(host.statuses.contains("1/3 (0)  :  33%"));
    EXPECT_TRUE(host.statuses.contains("3/3 (1)  :  100%"));
    EXPECT_EQ(outcome.emptyRecords, 1);
    EXPECT_EQ(outcome.rowsRead, 3);
    EXPECT_EQ(outcome.rowsSent, 2);
    EXPECT_EQ(outcome.serverRows, 2);
    EXPECT_TRUE(conn->executed.contains("SELECT COUNT(*) FROM Werte"));
    EXPECT_FALSE(host.TabellenFehler) << "empty records are no loss";
    EXPECT_EQ(mw.value, 0.f);  // the progress run ended
}

TEST_F(EngineRun, TableThatCannotBeCreatedGetsNoRows)
{
    // Each case ends the table before its rows, with one line giving the reason, and fails it.
    struct Case {
        const char* label;
        QString table, max, mod, failCreate;
        QStringList sent;
        QString reason;
    } cases[] = {
        {"share not a number", "Kunden", "x", "1", "", {}, "PC :"},
        {"share part above the count", "Kunden", "2", "3", "", {}, "PC :"},
        {"share count zero", "Kunden", "0", "1", "", {}, "PC :"},
        {"share part missing", "Kunden", "2", "", "", {}, "PC :"},
        {"type without SQL type", "Roh", "1", "1", "", {}, "Feld 'Daten': für den Access-Feldtyp 9 gibt"},
        {"create refused", "Kunden", "1", "1", "37000: syntax error", {"DROP TABLE Kunden"}, "37000: syntax error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fresh();
        addKunden();
        db.rows("Kunden") << Row{val::integer(1), val::text("a")};
        const_cast<accessdb::TableDef&>(db.tableDef("Kunden")).indexes << index("Suchname", {"Name"});
        accessdb::TableDef raw;
        raw.name = "Roh";
        raw.fields = {field("Daten", ty::Binary, 16), field("Id", ty::Long)};  // the first field counts too
        db.addTable(raw) << Row{val::bytes("ab"), val::integer(1)};
        host.message = true;
        host.Text_Max = c.max;
        host.Text_Mod = c.mod;
        if (!c.failCreate.isEmpty())
            conn->failWhen("CREATE TABLE", c.failCreate);
        convert(c.table);
        EXPECT_EQ(conn->executed.filter(QRegularExpression("^(?!CREATE TABLE|SELECT COUNT\\(CONSTRAINT)")), c.sent);
        ASSERT_EQ(host.errorLog.size(), 2) << log();
        EXPECT_TRUE(host.errorLog[1].contains(c.reason)) << log();
        EXPECT_TRUE(host.TabellenFehler);
        EXPECT_EQ(host.statuses.last(), "Fertig.");
        EXPECT_EQ(host.enabledCalls.last(), true);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].title, "Anlegen der Tabelle");
    }
    EXPECT_EQ(dialogs.shown[0].text, "40002 ,  37000: syntax error ,  RecordingConnection");
}

TEST_F(EngineRun, CopyCutShortIsFailedWithTheRowsNotSent)
{
    // Ten rows; each case cuts the copy at the fourth and must leave one line saying so.
    struct Case {
        const char* label;
        std::function<void()> arrange;
        int insertsTried;
        QString lineContains;
    } cases[] = {
        {"close request", [&] { host.stopAtStatus = "3/10 (0)  :  30%"; }, 3, "abgebrochen nach Datensatz 3"},
        {"link failure", [&] { conn->failWhen("VALUES (4)", "08S01: Communication link failure"); }, 4,
         "Verbindung zum SQL-Server verloren"},
        {"server gone", [&] { conn->failWhen("VALUES (4)", "S1000: [ma-3.1.15]Server has gone away"); }, 4,
         "Verbindung zum SQL-Server verloren"},
        {"unreadable record", [&] { db.failReadingAt("Viele", 4); }, 3, "Datensatz 4 der Access-Tabelle nicht lesbar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fresh();
        addNumberTable("Viele", 10);
        c.arrange();
        convert("Viele");
        EXPECT_EQ(statementsStarting("INSERT").size(), c.insertsTried);
        ASSERT_EQ(host.errorLog.size(), 2) << log();
        EXPECT_TRUE(host.errorLog[1].contains(c.lineContains)) << log();
        EXPECT_TRUE(host.errorLog[1].contains("7 Datensätze nicht gesendet")) << log();
        EXPECT_TRUE(host.TabellenFehler);
        EXPECT_EQ(outcome.rowsSent, 3);
        EXPECT_EQ(outcome.rowsNotSent, 7);
        EXPECT_EQ(outcome.problems.size(), 1);
        EXPECT_FALSE(host.Abbruch) << "the end of the run clears the request";
    }
    // The lost connection meets the next table at its first statement: one line, failed.
    conn->failWhen("", "08S01: Communication link failure");
    addKunden();
    host.errorLog.clear();
    host.TabellenFehler = false;
    convert("Kunden");
    EXPECT_EQ(host.errorLog, QStringList({"Tabelle: Kunden", "08S01: Communication link failure"}));
    EXPECT_TRUE(host.TabellenFehler);
}

TEST_F(EngineRun, RefusedRowsAndMissingServerRowsFailTheTable)
{
    // Every row refused: the log keeps 100 of them and a line with the count.
    addNumberTable("Abgelehnt", 150);
    conn->failWhen("INSERT", "23000: duplicate key");
    convert("Abgelehnt");
    EXPECT_EQ(statementsStarting("INSERT").size(), 150);
    ASSERT_EQ(host.errorLog.size(), 1 + 100 + 1);
    EXPECT_TRUE(host.errorLog.last().contains("150 Datensätze abgewiesen")) << host.errorLog.last().toStdString();
    EXPECT_EQ(outcome.rowsRefused, 150);
    EXPECT_EQ(outcome.serverRows, 0);
    EXPECT_TRUE(host.TabellenFehler);

    // Sybase's statement runner passes over its general failures: the row looks sent, the
    // server's count tells otherwise.
    fresh();
    addNumberTable("Zahlen", 5);
    mw.kind = ServerKind::Sybase;
    conn->failWhen("VALUES (2)", "S1000: arithmetic overflow");
    convert("Zahlen");
    EXPECT_EQ(outcome.rowsSent, 5);
    EXPECT_EQ(outcome.serverRows, 4);
    EXPECT_EQ(host.errorLog.value(1), "Tabelle Zahlen: 4 Zeilen auf dem SQL-Server, aber 5 Datensätze gesendet");
    EXPECT_TRUE(host.TabellenFehler);
    // Shared among PCs the count cannot be compared and is not taken.
    host.Text_Max = "2";
    conn->executed.clear();
    convert("Zahlen");
    EXPECT_TRUE(statementsStarting("SELECT").isEmpty());
    EXPECT_EQ(outcome.serverRows, -1);
}

TEST_F(EngineRun, FastTransferCommitsInStepsAndCountsOnlyCommittedRows)
{
    // 2,500 rows; the clock stands still, so commits come from the row count, a coming yield, a
    // message box, a stop and the end. The trace counts INSERTs between the transaction steps.
    struct Case {
        const char* label;
        std::function<void()> arrange;
        QString trace;
        qint64 sent, refused, notSent;
        QString logContains;
    } cases[] = {
        {"plain", [] {}, "OFF 1000 C 1000 C 500 C ON", 2500, 0, 0, ""},
        {"yield every 300 records", [&] { host.yieldEvery = 300; },
         "OFF 299 C 300 C 300 C 300 C 300 C 300 C 300 C 300 C 101 C ON", 2500, 0, 0, ""},
        {"stop", [&] { host.stopAtStatus = "1500/2500 (0)  :  60%"; }, "OFF 1000 C 500 C ON", 1500, 0, 1000,
         "abgebrochen nach Datensatz 1500"},
        {"refused row with message box",
         [&] {
             host.message = true;
             conn->failWhen("VALUES (1500)", "23000: Duplicate entry");
         },
         "OFF 1000 C 500 C 1000 C ON", 2499, 1, 0, "23000: Duplicate entry"},
        {"deadlock: sent again", [&] { conn->failWhen("VALUES (1500)", "40001: Deadlock found", 40002, 1); },
         "OFF 1000 C 500 RB ON 1500", 2500, 0, 0, "500 Datensätze werden einzeln erneut gesendet"},
        {"commit refused: sent again",
         [&] { conn->failWhen("COMMIT WORK", "40003: Statement completion unknown", 40002, 1); },
         "OFF 1000 C RB ON 2500", 2500, 0, 0, "1000 Datensätze werden einzeln erneut gesendet"},
        {"connection lost: uncommitted rows lost",
         [&] { conn->failWhen("VALUES (1500)", "08S01: Communication link failure"); }, "OFF 1000 C 500 RB ON", 1000, 0,
         1500, "1500 Datensätze nicht gesendet"},
        {"autocommit stays on", [&] { conn->failWhen("SET AUTOCOMMIT OFF", "S1C00: not capable"); }, "OFF 2500", 2500,
         0, 0, "schnelle Übertragung nicht möglich"},
    };
    const QHash<QString, QString> steps = {
        {"SET AUTOCOMMIT OFF", "OFF"}, {"SET AUTOCOMMIT ON", "ON"}, {"COMMIT WORK", "C"}, {"ROLLBACK WORK", "RB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fresh();
        addNumberTable("Zahlen", 2500);
        host.fast = true;
        c.arrange();
        convert("Zahlen");
        QStringList trace;
        int inserts = 0;
        for (const QString& st : conn->executed + QStringList{"end"}) {
            if (st.startsWith("INSERT")) {
                ++inserts;
                continue;
            }
            if (inserts)
                trace << QString::number(inserts);
            inserts = 0;
            if (steps.contains(st))
                trace << steps[st];
        }
        EXPECT_EQ(trace.join(' '), c.trace);
        EXPECT_EQ(outcome.rowsSent, c.sent);
        EXPECT_EQ(outcome.rowsRefused, c.refused);
        EXPECT_EQ(outcome.rowsNotSent, c.notSent);
        EXPECT_EQ(conn->rowsInserted.value("Zahlen"), c.sent);  // committed on the server
        EXPECT_TRUE(conn->autoCommit);
        EXPECT_EQ(host.TabellenFehler, c.refused + c.notSent > 0);
        EXPECT_EQ(dialogs.shown.size(), host.message ? 1 : 0);
        EXPECT_TRUE(host.errorLog.join('|').contains(c.logContains)) << log();
    }
}

TEST_F(EngineRun, OptionsChangedDuringTheCopyApplyFromTheNextRow)
{
    accessdb::TableDef t;
    t.name = "Wechsel";
    t.fields = {field("Name", ty::Text, 10), field("Ort", ty::Text, 10)};
    db.addTable(t) << Row{val::text("a"), val::null()} << Row{val::text("b"), val::null()}
                   << Row{val::text("c"), val::null()};
    // While the status line yields before the second row, the user ticks the blank default and
    // picks another server kind: the rows after it are written for what is chosen now.
    host.onStatus = [&](const QString& status) {
        if (status.startsWith("2/3")) {
            host.defaultBlank = true;
            mw.kind = ServerKind::MySQL;
        }
    };
    convert("Wechsel");
    EXPECT_EQ(statementsStarting("INSERT"), QStringList({"INSERT INTO Wechsel (\"Name\") VALUES ('a')",
                                                         "INSERT INTO Wechsel (`Name`,`Ort`) VALUES ('b',' ')",
                                                         "INSERT INTO Wechsel (`Name`,`Ort`) VALUES ('c',' ')"}));
}
