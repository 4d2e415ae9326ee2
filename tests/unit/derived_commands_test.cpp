#include "common/FakeConversionWindow.h"
#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/MemoryAccessDatabase.h"
#include "common/RecordingConnection.h"
#include "derived/DerivedObjects.h"
#include "diag/Progress.h"
#include "diag/Session.h"
#include "diag/StatementRunner.h"
#include "runtime/Platform.h"

#include <gtest/gtest.h>

namespace {

using testsupport::FakeConversionWindow;
using testsupport::FakeMainWindow;
using testsupport::MemoryAccessDatabase;
using testsupport::RecordingConnection;

class DerivedCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::beginSession(mw);
        conn = std::make_shared<RecordingConnection>();
        session().Verbindung1 = conn;
        window.db = &db;
    }
    void TearDown() override { testsupport::endSession(); }

    FakeMainWindow mw;
    std::shared_ptr<RecordingConnection> conn;
    MemoryAccessDatabase db;
    FakeConversionWindow window;
    diag::SessionStatementRunner runner;
    diag::MainWindowProgress progress;
};

TEST_F(DerivedCommandsTest, QueriesBecomeViewsAndTheListShowsTheAccessTextInPiecesOf80)
{
    mw.kind = ServerKind::MSSQL;
    const QString longSql = "SELECT [" + QString(100, 'a') + "] FROM [t];";  // 107 characters
    db.addQuery({"View_Lang", longSql});
    db.addQuery({"View_Kurz", "SELECT a FROM t"});
    Abfragen_nach_Sichten(window, runner, progress);

    EXPECT_EQ(conn->executed.value(1), "CREATE VIEW View_Lang AS SELECT " + QString(100, 'a') + " FROM t");
    EXPECT_EQ(window.List1,
              (QStringList{"View_Lang", longSql.left(80), longSql.mid(80), "", "View_Kurz", "SELECT a FROM t", ""}));
    EXPECT_EQ(window.enabledCalls, (QList<bool>{false, true}));
    EXPECT_EQ(window.statuses, (QStringList{"View_Lang", "View_Kurz"}));
    EXPECT_EQ(mw.value, 0.0f);  // the progress run has ended
}

TEST_F(DerivedCommandsTest, WarningsFollowTheirQueryAndDb2FailuresAreReportedWithHyphens)
{
    mw.kind = ServerKind::MySQL;
    conn->failWhen("DROP VIEW", "42000: DROP command denied to user 'z'");
    db.addQuery({"V1", "SELECT a FROM t"});
    const ViewsOutcome mysql = Abfragen_nach_Sichten(window, runner, progress);
    EXPECT_EQ(window.List1, (QStringList{"V1", "SELECT a FROM t", "",
                                         "Warnung: 40002"
                                         "42000: DROP command denied to user 'z'"}));

    // On DB2 a failing create reaches the click handler; a preliminary drop that found nothing does not.
    window.List1.clear();
    mw.kind = ServerKind::DB2;
    conn = std::make_shared<RecordingConnection>();
    session().Verbindung1 = conn;
    conn->failWhen("DROP VIEW V1", "S0002: SQL0204N V1 is an undefined name", 40002, 1);
    conn->failWhen("CREATE VIEW", "37000: " + QString(90, 'x'));
    const ViewsOutcome db2 = Abfragen_nach_Sichten(window, runner, progress);
    EXPECT_EQ(window.List1, (QStringList{"Warnung: 40002", "37000: " + QString(73, 'x'), QString(17, 'x'),
                                         QString(40, '-'), "V1", "SELECT a FROM t", ""}));
    EXPECT_EQ(mysql.notCreated + db2.notCreated, 1);  // the MySQL view was created despite its drop warning
    EXPECT_TRUE(mysql.failed);
    // Each warning leaves a log entry naming the view, with the statement sent in Base64.
    const QString log = testsupport::errorLogText();
    EXPECT_TRUE(log.contains("Modul: Module1\tCode: Create_View (V1)")) << log.toStdString();
    EXPECT_TRUE(log.contains("Query: " + QString::fromLatin1(QByteArray("DROP VIEW V1").toBase64())))
        << log.toStdString();
}

TEST_F(DerivedCommandsTest, AViewThatCannotBeRewrittenSendsNothingNotEvenTheDrop)
{
    db.addQuery({"View_Kunde", "SELECT LEFT(Name) FROM Kunden"});
    for (ServerKind kind : {ServerKind::Oracle, ServerKind::DB2}) {
        mw.kind = kind;
        window.List1.clear();
        const ViewsOutcome outcome = Abfragen_nach_Sichten(window, runner, progress);
        EXPECT_TRUE(conn->executed.isEmpty()) << conn->executed.join("\n").toStdString();
        EXPECT_EQ(outcome.notCreated, 1);
        EXPECT_TRUE(outcome.failed);
        const QString warning = window.List1.join("|");
        EXPECT_TRUE(warning.contains("Warnung: ") && warning.contains("View_Kunde") && warning.contains("LEFT("))
            << warning.toStdString();
    }
    EXPECT_TRUE(testsupport::errorLogText().contains("Create_View (View_Kunde)"));
}

TEST_F(DerivedCommandsTest, OnlyMachineOneConverts)
{
    db.addQuery({"V", "SELECT a FROM t"});
    db.addRelation({"r", "A", "B", accessdb::kRelationCascadeUpdate, {{"x", "y"}}});
    window.Text_Mod = "2";
    Abfragen_nach_Sichten(window, runner, progress);
    Beziehungen_nach_Trigger(window, runner, progress);
    EXPECT_TRUE(conn->executed.isEmpty());
    EXPECT_TRUE(window.enabledCalls.isEmpty());
}

TEST_F(DerivedCommandsTest, TriggersAreDroppedThenCreatedAndFailuresListedInPiecesOf70)
{
    mw.kind = ServerKind::MySQL;
    db.addRelation({"KundeAuftrag",
                    "Kunde",
                    "Auftrag",
                    accessdb::kRelationCascadeUpdate | accessdb::kRelationCascadeDelete,
                    {{"Nr", "KundenNr"}}});
    db.addRelation({"Lose", "Lager", "Ort", 0, {{"Nr", "LagerNr"}}});
    conn->failWhen("DROP TRIGGER", "S1000: no such trigger");
    conn->failWhen("CREATE TRIGGER uKunde", "37000: " + QString(70, 'u'));
    Beziehungen_nach_Trigger(window, runner, progress);

    // A table without cascades gets its drops only.
    ASSERT_EQ(conn->executed.size(), 6);
    EXPECT_EQ(conn->executed.mid(4), (QStringList{"DROP TRIGGER uLager", "DROP TRIGGER dLager"}));

    const QStringList expected{"Kunde",
                               "\r\nUPDATE Auftrag SET Auftrag.\"KundenNr\"=INSERTED.\"Nr\" FROM INSERTED,DELETED "
                               "WHERE Auftrag.\"KundenNr\"=DELETED.\"Nr\"",
                               "\r\nDELETE FROM Auftrag FROM DELETED WHERE Auftrag.\"KundenNr\"=DELETED.\"Nr\"",
                               "\t37000: " + QString(63, 'u'),
                               "\t" + QString(7, 'u'),
                               "Lager"};
    EXPECT_EQ(window.List1, expected);
    EXPECT_EQ(window.statuses.first(), "Beziehungs-Informationen einlesen: KundeAuftrag");
    EXPECT_EQ(window.statuses.last(), "Bereit.");
    EXPECT_EQ(window.enabledCalls, (QList<bool>{false, true}));
    EXPECT_FALSE(session().FehlerAufgetreten);  // trigger failures are only listed
    EXPECT_EQ(mw.value, 0.0f);                  // the progress run has ended
}

}  // namespace
