#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/RecordingConnection.h"
#include "derived/DerivedObjects.h"
#include "diag/Session.h"
#include "diag/StatementRunner.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using testsupport::FakeMainWindow;
using testsupport::RecordingConnection;

class CreateViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::beginSession(mw);
        conn = std::make_shared<RecordingConnection>();
        session().Verbindung1 = conn;
    }
    void TearDown() override { testsupport::endSession(); }

    QString logText() const
    {
        const QDir logDir(folder + "/Log/" + rt::applicationName());
        const QStringList files = logDir.entryList({"*.LOG"}, QDir::Files);
        if (files.isEmpty())
            return QString();
        QFile f(logDir.filePath(files.first()));
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }

    FakeMainWindow mw;
    std::shared_ptr<RecordingConnection> conn;
    QString folder;
    diag::SessionStatementRunner runner;
    ViewsOutcome outcome;
};

TEST_F(CreateViewTest, AFailingDropLeavesAWarningAndTheViewIsStillCreated)
{
    mw.kind = ServerKind::Oracle;
    conn->failWhen("DROP VIEW", "S1000: ORA-01031: insufficient privileges");
    QString query = "SELECT a FROM t";
    QString message;
    EXPECT_TRUE(Create_View("View_Neu", query, message, runner, mainWindowTextOptions(), outcome));
    EXPECT_EQ(conn->executed, (QStringList{"DROP VIEW View_Neu", "CREATE VIEW View_Neu AS SELECT a FROM t"}));
    EXPECT_EQ(message, "Warnung: 40002S1000: ORA-01031: insufficient privileges");
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.notCreated, 0);
    const QString log = logText();
    EXPECT_TRUE(log.contains("Modul: Module1\tCode: Create_View (View_Neu)")) << log.toStdString();
    // The statement being sent is logged, Base64-encoded.
    EXPECT_TRUE(log.contains("Query: " + QString::fromLatin1(QByteArray("DROP VIEW View_Neu").toBase64())));
}

TEST_F(CreateViewTest, ANotConvertibleViewSendsNothingAndSaysWhy)
{
    mw.kind = ServerKind::Oracle;
    QString query = "SELECT LEFT(Name) FROM Kunden";
    QString message;
    Create_View("View_Kunde", query, message, runner, mainWindowTextOptions(), outcome);
    EXPECT_TRUE(conn->executed.isEmpty());
    EXPECT_TRUE(message.startsWith("Warnung: ") && message.contains("View_Kunde") && message.contains("LEFT("))
        << message.toStdString();
    EXPECT_TRUE(outcome.failed);
    EXPECT_TRUE(logText().contains("Create_View (View_Kunde)"));

    // On DB2 nothing is dropped either: the existing view stays.
    outcome.failed = false;
    mw.kind = ServerKind::DB2;
    EXPECT_NO_THROW(Create_View("View_Kunde", query, message, runner, mainWindowTextOptions(), outcome));
    EXPECT_TRUE(conn->executed.isEmpty()) << conn->executed.join("\n").toStdString();
    EXPECT_TRUE(message.startsWith("Warnung: "));
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.notCreated, 2);
}

}  // namespace
